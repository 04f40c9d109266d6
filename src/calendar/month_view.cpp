#include "calendar/month_view.h"

#include <QPainter>

namespace quel {

namespace {

constexpr int kBandHeight = 4;

}  // namespace

QColor dayKindColor(DayKind kind) {
    switch (kind) {
        case DayKind::Holiday:
            return QColor(0xf4, 0xb4, 0xb4);  // red: no bells for the state's holiday
        case DayKind::MakeUpWorkday:
            return QColor(0xb4, 0xcc, 0xf4);  // blue: a weekend day that rings
        case DayKind::Vacation:
            return QColor(0xd8, 0xd8, 0xd8);  // grey: the school is away
        case DayKind::Override:
            return QColor(0xf4, 0xdc, 0x94);  // amber: set by hand
        case DayKind::Season:
        case DayKind::Default:
            break;
    }
    return QColor(Qt::white);
}

QColor seasonBandColor(const QString& season) {
    if (season.isEmpty()) {
        return {};
    }
    if (season.contains(QStringLiteral("夏"))) {
        return QColor(0xe8, 0x9a, 0x3c);
    }
    if (season.contains(QStringLiteral("冬"))) {
        return QColor(0x4a, 0x7f, 0xc0);
    }
    // Other terms get a steady colour of their own from their name.
    return QColor::fromHsv(static_cast<int>(qHash(season) % 360), 120, 190);
}

MonthView::MonthView(QWidget* parent) : QCalendarWidget(parent) {
    setObjectName(QStringLiteral("CalendarMonth"));
    setFirstDayOfWeek(Qt::Monday);
    setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    setGridVisible(true);
}

void MonthView::setCalendar(const SchoolCalendar* calendar) {
    calendar_ = calendar;
    updateCells();
}

void MonthView::paintCell(QPainter* painter, const QRect& rect, QDate date) const {
    if (!calendar_) {
        QCalendarWidget::paintCell(painter, rect, date);
        return;
    }
    const DayPlan plan = calendar_->dayPlan(date);
    const bool inMonth = date.month() == monthShown();
    painter->save();
    QColor fill = dayKindColor(plan.kind);
    if (!inMonth) {
        fill = fill.lighter(115);
    }
    painter->fillRect(rect, fill);
    // The season stands under every day it holds, whatever decided the day itself.
    if (const SchoolEvent* season = calendar_->seasonOf(date)) {
        painter->fillRect(QRect(rect.left(), rect.bottom() - kBandHeight + 1, rect.width(), kBandHeight),
                          seasonBandColor(season->summary));
    }
    if (date == selectedDate()) {
        painter->setPen(QPen(palette().color(QPalette::Highlight), 2));
        painter->drawRect(rect.adjusted(1, 1, -2, -2));
    }
    painter->setPen(inMonth ? palette().color(QPalette::Text) : palette().color(QPalette::PlaceholderText));
    painter->drawText(rect.adjusted(0, 0, 0, -kBandHeight), Qt::AlignCenter, QString::number(date.day()));
    painter->restore();
}

}  // namespace quel
