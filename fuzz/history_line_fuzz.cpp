// Fuzz target: a line of a history month file through the history's parser. A line that parses writes
// back as a line that parses to the same event, so the history window never shows what was not written.

#include <cstddef>
#include <cstdint>

#include "fuzz_check.h"
#include "history/history_line.h"

using namespace quel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString line = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const std::optional<HistoryEvent> event = parseHistoryLine(line);
    if (!event)
        return 0;
    FUZZ_CHECK(event->when.isValid());
    const QByteArray written = historyLine(*event);
    FUZZ_CHECK(written.endsWith("\r\n"));
    FUZZ_CHECK(written.count('\n') == 1);
    const std::optional<HistoryEvent> again = parseHistoryLine(QString::fromUtf8(written.chopped(2)));
    FUZZ_CHECK(again.has_value());
    FUZZ_CHECK(historyLine(*again) == written);
    (void)resultText(*event);
    (void)kindLabel(event->kind);
    return 0;
}
