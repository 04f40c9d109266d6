#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <variant>

#include "calendar/school_calendar.h"
#include "platform/files.h"

namespace quel {

namespace calendarfiles {
inline const QString kSchool = QStringLiteral("SchoolCalendar.ics");
inline const QString kNationalOn = QStringLiteral("Holidays.txt");
// The national data the operator imported; it replaces the shipped data for the years it knows.
inline const QString kImported = QStringLiteral("NationalHolidays.txt");
}  // namespace calendarfiles

// The school's calendar as the operator keeps it: loaded from the program folder, changed by the
// window's commands, each change written first and taken into memory only once the write succeeded.
class CalendarDocument : public QObject {
    Q_OBJECT
public:
    // `shippedNational` is the data file installed with the program (data/holidays/china.txt).
    CalendarDocument(Files& files, QString programFolder, QString shippedNational, QObject* parent = nullptr);

    // Reads everything; the messages of files that stand there but could not be read (they are then
    // never overwritten, and the commands that would write them refuse).
    QStringList load();
    const SchoolCalendar& calendar() const { return calendar_; }

    // Each gives the refusal's message, or an empty string when done.
    QString setNationalOn(bool on);
    QString addEvent(const SchoolEvent& event);
    QString replaceEvent(int index, const SchoolEvent& event);
    QString removeEvent(int index);
    QString setHolidayTable(const QString& table);
    QString setMakeUpWeekday(int weekday);
    // A newer national file (.ics or JSON) merged over the data in use.
    QString importNational(const QString& path);
    // Reads a school calendar exported from another program. Its events with our categories are
    // merged by mergeSchool, the foreign ones under the categories the operator confirmed.
    std::variant<SchoolCalendarRead, CalendarError> readImport(const QString& path) const;
    QString mergeSchool(const SchoolCalendarRead& read, const QList<SchoolCategory>& foreignAs);

    // Where the stamp of written events comes from; the program clock in the program.
    void setStampSource(std::function<QDateTime()> now) { now_ = std::move(now); }

signals:
    void changed();

private:
    QString path(const QString& name) const { return folder_ + QLatin1Char('/') + name; }
    QString writeSchool(const SchoolEvents& events);
    void rebuild(SchoolEvents school, NationalCalendar national, bool on);

    Files& files_;
    QString folder_;
    QString shipped_;
    SchoolCalendar calendar_;
    bool schoolUnreadable_ = false;
    std::function<QDateTime()> now_ = [] { return QDateTime(QDate(2000, 1, 1), QTime(0, 0), Qt::UTC); };
};

}  // namespace quel
