// Fuzz target: the command line of an 执行程序 entry through the word splitter, with the invariants the
// launcher relies on: no word is empty unless quoted so, and a word quoted back splits to itself.

#include <cstddef>
#include <cstdint>

#include "fuzz_check.h"
#include "platform/command_words.h"

using namespace quel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString commandLine = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    const QStringList words = splitCommandLine(commandLine);
    if (!commandLine.contains(QLatin1Char('"')) && !commandLine.contains(QLatin1Char('\''))) {
        // Without quotes, words are the blank-separated runs, and blanks never reach a word.
        for (const QString& word : words) {
            FUZZ_CHECK(!word.isEmpty());
            FUZZ_CHECK(!word.contains(QLatin1Char(' ')) && !word.contains(QLatin1Char('\t')));
        }
    }
    // A word the editor quotes for the table runs as that one word, unless it holds a quote of its own.
    for (const QString& word : words) {
        if (word.isEmpty() || word.contains(QLatin1Char('\'')) || word.contains(QLatin1Char('"')) ||
            word.contains(QLatin1Char('\\')))
            continue;
        FUZZ_CHECK(splitCommandLine(quoteCommandWord(word)) == QStringList{word});
    }
    return 0;
}
