// The calendar's costs: choosing the table of a date (asked at every start, midnight and re-sync,
// and 42 times for every month painted) and painting the month view.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QPainter>

#include "calendar/month_view.h"
#include "calendar/school_calendar.h"

using namespace quel;

namespace {

SchoolCalendar benchCalendar() {
    QFile f(QStringLiteral(QUELBROOK_DATA_DIR "/holidays/china.txt"));
    if (!f.open(QIODevice::ReadOnly)) {
        qFatal("no national data");
    }
    auto read = readNationalCalendar(f.readAll());
    SchoolEvents school;
    // A busy school: two seasons, two vacations a year, a term, and an override a week for 20 years.
    school.events = {
        {SchoolCategory::Season,
         QStringLiteral("夏季作息"),
         QDate(2003, 5, 1),
         QDate(2003, 10, 1),
         QStringLiteral("Summer.DTT"),
         0,
         true,
         {}},
        {SchoolCategory::Season,
         QStringLiteral("冬季作息"),
         QDate(2003, 10, 1),
         QDate(2004, 5, 1),
         QStringLiteral("Winter.DTT"),
         0,
         true,
         {}},
        {SchoolCategory::Season,
         QStringLiteral("期末"),
         QDate(2003, 12, 20),
         QDate(2004, 1, 20),
         QStringLiteral("Exam.DTT"),
         0,
         true,
         {}},
        {SchoolCategory::Vacation,
         QStringLiteral("暑假"),
         QDate(2003, 7, 10),
         QDate(2003, 9, 1),
         QString(),
         0,
         true,
         {}},
        {SchoolCategory::Vacation,
         QStringLiteral("寒假"),
         QDate(2004, 1, 20),
         QDate(2004, 2, 20),
         QString(),
         0,
         true,
         {}},
    };
    for (QDate d(2004, 1, 5); d.year() < 2024; d = d.addDays(7)) {
        school.events.push_back({SchoolCategory::Override,
                                 QStringLiteral("班会"),
                                 d,
                                 d.addDays(1),
                                 QStringLiteral("Meeting.DTT"),
                                 0,
                                 false,
                                 {}});
    }
    return SchoolCalendar(school, std::get<NationalCalendar>(read), true,
                          QStringLiteral("/school/DayTimeTable"));
}

void BM_DayPlan(benchmark::State& state) {
    const SchoolCalendar calendar = benchCalendar();
    QDate d(2004, 1, 1);
    for (auto _ : state) {
        benchmark::DoNotOptimize(calendar.dayPlan(d));
        d = d.year() == 2026 ? QDate(2004, 1, 1) : d.addDays(1);
    }
}
BENCHMARK(BM_DayPlan)->Unit(benchmark::kMicrosecond);

void BM_MonthViewPaint(benchmark::State& state) {
    const SchoolCalendar calendar = benchCalendar();
    MonthView view;
    view.setCalendar(&calendar);
    view.resize(420, 300);
    view.setCurrentPage(2025, 10);
    view.show();
    QApplication::processEvents();
    QImage image(view.size(), QImage::Format_ARGB32_Premultiplied);
    int month = 1;
    for (auto _ : state) {
        view.setCurrentPage(2025, month);
        month = month % 12 + 1;
        view.render(&image);
    }
}
BENCHMARK(BM_MonthViewPaint)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? QByteArray("offscreen") : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
