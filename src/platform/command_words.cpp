#include "platform/command_words.h"

#include <QFileInfo>

namespace quel {

namespace {
constexpr QChar kQuote = u'"';
constexpr QChar kSingleQuote = u'\'';
constexpr QChar kBackslash = u'\\';

bool isBlank(QChar c) {
    return c == u' ' || c == u'\t';
}
}  // namespace

QStringList splitCommandLine(const QString& commandLine) {
    QStringList words;
    QString word;
    bool inWord = false;  // distinguishes an empty quoted word ("") from no word at all
    bool inQuotes = false;
    const qsizetype n = commandLine.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = commandLine.at(i);
        if (isBlank(c) && !inQuotes) {
            if (inWord) {
                words << word;
                word.clear();
                inWord = false;
            }
            ++i;
            continue;
        }
        inWord = true;
        if (c == kBackslash) {
            qsizetype run = 0;
            while (i + run < n && commandLine.at(i + run) == kBackslash)
                ++run;
            const bool beforeQuote = i + run < n && commandLine.at(i + run) == kQuote;
            if (!beforeQuote) {
                word.append(QString(run, kBackslash));
                i += run;
                continue;
            }
            word.append(QString(run / 2, kBackslash));
            i += run;
            if (run % 2 == 1) {
                word.append(kQuote);
                ++i;
            }
            continue;  // an even run leaves the quote to act as a quote
        }
        if (c == kSingleQuote && !inQuotes) {
            // Everything up to the closing quote is taken as it stands. A quote that is never closed
            // is an apostrophe, as in a name like Bob's.
            const qsizetype close = commandLine.indexOf(kSingleQuote, i + 1);
            if (close >= 0) {
                word.append(QStringView(commandLine).mid(i + 1, close - i - 1));
                i = close + 1;
                continue;
            }
        }
        if (c == kQuote) {
            if (inQuotes && i + 1 < n && commandLine.at(i + 1) == kQuote) {
                word.append(kQuote);
                i += 2;
                continue;
            }
            inQuotes = !inQuotes;
            ++i;
            continue;
        }
        word.append(c);
        ++i;
    }
    if (inWord)
        words << word;
    return words;
}

QString quoteCommandWord(const QString& word) {
    const bool hasBlank = word.contains(u' ') || word.contains(u'\t');
    if (!hasBlank || word.contains(kSingleQuote))
        return word;
    return kSingleQuote + word + kSingleQuote;
}

Command parseCommandLine(const QString& commandLine) {
    if (!commandLine.isEmpty() && QFileInfo(commandLine).isFile())
        return {commandLine, {}};
    QStringList words = splitCommandLine(commandLine);
    if (words.isEmpty())
        return {};
    const QString program = words.takeFirst();
    return {program, words};
}

}  // namespace quel
