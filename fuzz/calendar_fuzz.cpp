// Fuzz target: a national holiday file or a school calendar as the operator may hand one in.

#include <cstddef>
#include <cstdint>

#include "calendar/national_calendar.h"
#include "calendar/school_events.h"
#include "fuzz_check.h"

using namespace quel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));

    // What was taken is kept in our own file, and must read back as the same days.
    const auto national = readNationalCalendar(bytes);
    if (const auto* taken = std::get_if<NationalCalendar>(&national)) {
        const auto again = readNationalCalendar(taken->toText());
        FUZZ_CHECK(std::holds_alternative<NationalCalendar>(again));
        FUZZ_CHECK(std::get<NationalCalendar>(again) == *taken);
    } else {
        FUZZ_CHECK(!std::get<CalendarError>(national).message.isEmpty());
    }

    // A school calendar that was read is written as SchoolCalendar.ics and reads back alike.
    const auto school = readSchoolCalendar(bytes);
    if (const auto* read = std::get_if<SchoolCalendarRead>(&school)) {
        SchoolEvents events = read->known;
        for (SchoolEvent& e : events.events) {
            if (e.uid.isEmpty())
                e.uid = QStringLiteral("u");
        }
        const QByteArray written =
            writeSchoolCalendar(events, QDateTime(QDate(2026, 1, 1), QTime(0, 0), Qt::UTC));
        const auto again = readSchoolCalendar(written);
        FUZZ_CHECK(std::holds_alternative<SchoolCalendarRead>(again));
        FUZZ_CHECK(std::get<SchoolCalendarRead>(again).known.events.size() == events.events.size());
    } else {
        FUZZ_CHECK(!std::get<CalendarError>(school).message.isEmpty());
    }
    return 0;
}
