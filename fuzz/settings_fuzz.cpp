// Fuzz target: a settings file as start-up reads it, in any encoding and shape.

#include <cstddef>
#include <cstdint>

#include "fuzz_check.h"
#include "memory_files.h"
#include "platform/files.h"

using namespace quel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString field = fileformat::firstField(fileformat::decode(bytes));

    const fuzz::MemoryFiles files(QStringLiteral("Toll.txt"), bytes);
    FUZZ_CHECK(files.readField(QStringLiteral("Toll.txt")) == field);
    FUZZ_CHECK(files.readField(QStringLiteral("Shut.txt")).isEmpty());

    // Whatever was read must survive being written back, or a repair would change a setting.
    if (const std::optional<qint16> number = fileformat::toNumber(field)) {
        FUZZ_CHECK(fileformat::toNumber(fileformat::firstField(
                       fileformat::decode(fileformat::numberLine(*number)))) == number);
    }
    if (!field.contains(QLatin1Char('"'))) {
        FUZZ_CHECK(fileformat::firstField(fileformat::decode(fileformat::quotedLine(field))) == field);
    }
    return 0;
}
