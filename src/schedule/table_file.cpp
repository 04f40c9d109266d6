#include "schedule/table_file.h"

#include "schedule/entry_grammar.h"

namespace quel {

namespace {

constexpr QChar kQuote = QLatin1Char('"');

// A quoted value whose closing quote is missing would otherwise keep the line break after it, and the
// last entry's response would then never match its keyword.
bool opensWithoutClosing(const QString& text) {
    qsizetype i = 0;
    while (i < text.size() && (text[i] == QLatin1Char(' ') || text[i] == QLatin1Char('\t')))
        ++i;
    return i < text.size() && text[i] == kQuote && text.indexOf(kQuote, i + 1) < 0;
}

}  // namespace

QString tableTextFromBytes(const QByteArray& bytes) {
    QString text = fileformat::decode(bytes);
    // A stray byte before the opening quote (an editor's mark, a bad copy) belongs to no entry. Read as
    // an unquoted value, the table would keep the quotes and ring, yet refuse every edit, since a table
    // text holding a quote can never be written back.
    const qsizetype quote = text.indexOf(kQuote);
    const qsizetype bar = text.indexOf(grammar::kEntryMark);
    if (quote > 0 && (bar < 0 || quote < bar))
        text.remove(0, quote);
    QString value = fileformat::firstField(text);
    if (opensWithoutClosing(text)) {
        while (value.endsWith(QLatin1Char('\n')) || value.endsWith(QLatin1Char('\r')))
            value.chop(1);
    }
    return value;
}

std::optional<QString> readTableText(const Files& files, const QString& path) {
    const std::optional<QByteArray> bytes = files.read(path, Files::kDocumentCap);
    if (!bytes)
        return std::nullopt;
    return tableTextFromBytes(*bytes);
}

std::optional<QByteArray> tableFileBytes(const QString& tableText) {
    if (tableText.contains(kQuote))
        return std::nullopt;
    return fileformat::quotedLine(tableText);
}

bool entryFitsInTableFile(const QString& entryText) {
    return !entryText.contains(kQuote) && !entryText.contains(QLatin1Char('|'));
}

}  // namespace quel
