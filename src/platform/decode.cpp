// Choosing the encoding of a file's bytes. Files come from this program (UTF-8) or from the Windows
// version (GB18030); neither carries a mark of its encoding, so the bytes decide.

#include <QStringDecoder>

#include "platform/files.h"

namespace quel::fileformat {

namespace {

bool isContinuation(uchar b) {
    return b >= 0x80 && b <= 0xBF;
}

// Invalid sequences in UTF-8, each maximal invalid subpart counted once (a lead byte whose sequence
// breaks off counts as one, however many of its bytes were there).
qsizetype utf8Errors(const QByteArray& bytes) {
    const auto* p = reinterpret_cast<const uchar*>(bytes.constData());
    const qsizetype n = bytes.size();
    qsizetype errors = 0;
    qsizetype i = 0;
    while (i < n) {
        const uchar b = p[i];
        if (b < 0x80) {
            ++i;
            continue;
        }
        int length = 0;
        uchar low = 0x80;  // the allowed range of the second byte, narrower for some leads
        uchar high = 0xBF;
        if (b >= 0xC2 && b <= 0xDF) {
            length = 2;
        } else if (b >= 0xE0 && b <= 0xEF) {
            length = 3;
            if (b == 0xE0)
                low = 0xA0;  // overlong
            if (b == 0xED)
                high = 0x9F;  // surrogates
        } else if (b >= 0xF0 && b <= 0xF4) {
            length = 4;
            if (b == 0xF0)
                low = 0x90;  // overlong
            if (b == 0xF4)
                high = 0x8F;  // beyond U+10FFFF
        }
        if (length == 0) {
            ++errors;
            ++i;
            continue;
        }
        qsizetype k = 1;
        while (k < length && i + k < n) {
            const uchar c = p[i + k];
            const bool ok = k == 1 ? c >= low && c <= high : isContinuation(c);
            if (!ok)
                break;
            ++k;
        }
        if (k < length)
            ++errors;
        i += k;
    }
    return errors;
}

bool inRange(uchar b, uchar low, uchar high) {
    return b >= low && b <= high;
}

// Invalid sequences in GB18030: one byte 00-7F; two bytes 81-FE then 40-7E or 80-FE; four bytes
// 81-FE, 30-39, 81-FE, 30-39. A lead byte that starts no valid sequence counts once.
qsizetype gb18030Errors(const QByteArray& bytes) {
    const auto* p = reinterpret_cast<const uchar*>(bytes.constData());
    const qsizetype n = bytes.size();
    qsizetype errors = 0;
    qsizetype i = 0;
    while (i < n) {
        const uchar b = p[i];
        if (b < 0x80) {
            ++i;
            continue;
        }
        if (inRange(b, 0x81, 0xFE) && i + 1 < n) {
            const uchar c = p[i + 1];
            if (inRange(c, 0x40, 0x7E) || inRange(c, 0x80, 0xFE)) {
                i += 2;
                continue;
            }
            if (inRange(c, 0x30, 0x39) && i + 3 < n && inRange(p[i + 2], 0x81, 0xFE) &&
                inRange(p[i + 3], 0x30, 0x39)) {
                i += 4;
                continue;
            }
        }
        ++errors;
        ++i;
    }
    return errors;
}

}  // namespace

QString decode(const QByteArray& bytes) {
    const qsizetype utf8 = utf8Errors(bytes);
    if (utf8 > 0) {
        QStringDecoder gb("GB18030", QStringDecoder::Flag::Stateless);
        if (gb.isValid() && gb18030Errors(bytes) < utf8)
            return gb.decode(bytes);
    }
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    return decoder.decode(bytes);
}

}  // namespace quel::fileformat
