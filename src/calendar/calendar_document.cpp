#include "calendar/calendar_document.h"

namespace quel {

namespace {

const QString kYes = QStringLiteral("YES");
const QString kNo = QStringLiteral("NO");

QString cannotWrite(const QString& name) {
    return QStringLiteral("无法写入 %1，日历没有改变").arg(name);
}

}  // namespace

CalendarDocument::CalendarDocument(Files& files, QString programFolder, QString shippedNational,
                                   QObject* parent)
    : QObject(parent),
      files_(files),
      folder_(std::move(programFolder)),
      shipped_(std::move(shippedNational)) {}

QStringList CalendarDocument::load() {
    QStringList problems;
    NationalCalendar national;
    if (const ReadResult shipped = files_.readFile(shipped_, kNationalFileCap);
        shipped.status == ReadStatus::Read) {
        auto read = readNationalCalendar(shipped.bytes);
        if (auto* c = std::get_if<NationalCalendar>(&read)) {
            national = std::move(*c);
        } else {
            problems << QStringLiteral("随程序安装的节假日数据读不出：%1")
                            .arg(std::get<CalendarError>(read).message);
        }
    }
    if (const ReadResult imported = files_.readFile(path(calendarfiles::kImported), kNationalFileCap);
        imported.status == ReadStatus::Read) {
        auto read = readNationalCalendar(imported.bytes);
        if (auto* c = std::get_if<NationalCalendar>(&read)) {
            const QString gap = national.merge(*c);
            if (!gap.isEmpty()) {
                national = *c;
            }
        } else {
            problems << QStringLiteral("%1 读不出：%2")
                            .arg(calendarfiles::kImported, std::get<CalendarError>(read).message);
        }
    }
    SchoolEvents school;
    schoolUnreadable_ = false;
    const ReadResult schoolFile = files_.readFile(path(calendarfiles::kSchool), kSchoolFileCap);
    if (schoolFile.status == ReadStatus::Unreadable) {
        schoolUnreadable_ = true;
        problems << QStringLiteral("%1 无法读取，学校日历暂不生效").arg(calendarfiles::kSchool);
    } else if (schoolFile.status == ReadStatus::Read) {
        auto read = readSchoolCalendar(schoolFile.bytes);
        if (auto* r = std::get_if<SchoolCalendarRead>(&read)) {
            school = r->known;
        } else {
            // A file the operator may have edited by hand is kept as it is for them to mend.
            schoolUnreadable_ = true;
            problems << QStringLiteral("%1 有错，学校日历暂不生效：%2")
                            .arg(calendarfiles::kSchool, std::get<CalendarError>(read).message);
        }
    }
    const bool on = files_.readField(path(calendarfiles::kNationalOn)).trimmed().toUpper() == kYes;
    rebuild(std::move(school), std::move(national), on);
    return problems;
}

void CalendarDocument::rebuild(SchoolEvents school, NationalCalendar national, bool on) {
    calendar_ =
        SchoolCalendar(std::move(school), std::move(national), on, folder_ + QStringLiteral("/DayTimeTable"));
    emit changed();
}

QString CalendarDocument::setNationalOn(bool on) {
    if (!files_.writeText(path(calendarfiles::kNationalOn), on ? kYes : kNo)) {
        return cannotWrite(calendarfiles::kNationalOn);
    }
    rebuild(calendar_.school(), calendar_.national(), on);
    return {};
}

QString CalendarDocument::writeSchool(const SchoolEvents& events) {
    if (schoolUnreadable_) {
        return QStringLiteral("%1 无法读取，为免丢失其中的内容，不会改写它").arg(calendarfiles::kSchool);
    }
    if (!files_.write(path(calendarfiles::kSchool), writeSchoolCalendar(events, now_()))) {
        return cannotWrite(calendarfiles::kSchool);
    }
    rebuild(events, calendar_.national(), calendar_.nationalOn());
    return {};
}

QString CalendarDocument::addEvent(const SchoolEvent& event) {
    if (!event.start.isValid() || !event.end.isValid() || event.end <= event.start) {
        return QStringLiteral("结束日期要在开始日期之后");
    }
    SchoolEvents next = calendar_.school();
    next.events.push_back(event);
    return writeSchool(next);
}

QString CalendarDocument::replaceEvent(int index, const SchoolEvent& event) {
    if (index < 0 || index >= calendar_.school().events.size()) {
        return QStringLiteral("这一项已不存在");
    }
    if (!event.start.isValid() || !event.end.isValid() || event.end <= event.start) {
        return QStringLiteral("结束日期要在开始日期之后");
    }
    SchoolEvents next = calendar_.school();
    next.events[index] = event;
    return writeSchool(next);
}

QString CalendarDocument::removeEvent(int index) {
    if (index < 0 || index >= calendar_.school().events.size()) {
        return QStringLiteral("这一项已不存在");
    }
    SchoolEvents next = calendar_.school();
    next.events.removeAt(index);
    return writeSchool(next);
}

QString CalendarDocument::setHolidayTable(const QString& table) {
    SchoolEvents next = calendar_.school();
    next.holidayTable = table;
    return writeSchool(next);
}

QString CalendarDocument::setMakeUpWeekday(int weekday) {
    if (weekday < 1 || weekday > 7) {
        return QStringLiteral("星期几应为 1–7");
    }
    SchoolEvents next = calendar_.school();
    next.makeUpWeekday = weekday;
    return writeSchool(next);
}

QString CalendarDocument::importNational(const QString& file) {
    const ReadResult bytes = files_.readFile(file, kNationalFileCap + 1);
    if (bytes.status != ReadStatus::Read) {
        return bytes.status == ReadStatus::Missing ? QStringLiteral("文件不存在")
                                                   : QStringLiteral("文件无法读取或太大");
    }
    auto read = readNationalCalendar(bytes.bytes);
    if (auto* e = std::get_if<CalendarError>(&read)) {
        return e->message;
    }
    const NationalCalendar& newer = std::get<NationalCalendar>(read);
    NationalCalendar merged = calendar_.national();
    if (QString gap = merged.merge(newer); !gap.isEmpty()) {
        return gap;
    }
    // What the operator imported is kept whole in our own form, merged over everything they imported
    // before, so the shipped data of a later release still fills the years they never imported.
    NationalCalendar kept;
    if (const ReadResult old = files_.readFile(path(calendarfiles::kImported), kNationalFileCap);
        old.status == ReadStatus::Read) {
        auto oldRead = readNationalCalendar(old.bytes);
        if (auto* c = std::get_if<NationalCalendar>(&oldRead)) {
            kept = *c;
        }
    }
    if (!kept.merge(newer).isEmpty()) {
        kept = newer;
    }
    if (!files_.write(path(calendarfiles::kImported), kept.toText())) {
        return cannotWrite(calendarfiles::kImported);
    }
    rebuild(calendar_.school(), std::move(merged), calendar_.nationalOn());
    return {};
}

std::variant<SchoolCalendarRead, CalendarError> CalendarDocument::readImport(const QString& file) const {
    const ReadResult bytes = files_.readFile(file, kSchoolFileCap + 1);
    if (bytes.status != ReadStatus::Read) {
        return CalendarError{bytes.status == ReadStatus::Missing ? QStringLiteral("文件不存在")
                                                                 : QStringLiteral("文件无法读取或太大")};
    }
    return readSchoolCalendar(bytes.bytes);
}

QString CalendarDocument::mergeSchool(const SchoolCalendarRead& read,
                                      const QList<SchoolCategory>& foreignAs) {
    if (foreignAs.size() != read.foreign.size()) {
        return QStringLiteral("还有事件没有选定类别");
    }
    SchoolEvents next = calendar_.school();
    next.events += read.known.events;
    for (int i = 0; i < read.foreign.size(); ++i) {
        next.events.push_back(adoptForeign(read.foreign[i], foreignAs[i]));
    }
    return writeSchool(next);
}

}  // namespace quel
