// Start-up from the end of the splash to a shown main window, with a 100-entry default table, on real
// files and the real media factory. The tray, instance and autostart services are stand-ins so the
// benchmark leaves the desktop alone.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include "fakes/fake_platform.h"
#include "media/gst_backend.h"
#include "media/gst_media.h"
#include "platform/settings_names.h"
#include "shell/main_window.h"

using namespace quel;

namespace {

void writeHundredEntryTable(const QString& home) {
    DiskFiles files;
    QDir(home).mkpath(QStringLiteral("DayTimeTable"));
    QString text;
    const QStringList attributes = {QStringLiteral("每天"), QStringLiteral("星期三"),
                                    QStringLiteral("每月15日"), QStringLiteral("每年9月1日"),
                                    QStringLiteral("2027年1月4日")};
    for (int i = 0; i < 100; ++i) {
        text += QStringLiteral("|%1:%2:00*第%3节>%4<%5/timeup.mp3")
                    .arg(6 + i % 16)
                    .arg(i % 60, 2, 10, QLatin1Char('0'))
                    .arg(i)
                    .arg(attributes[i % attributes.size()])
                    .arg(home);
    }
    files.writeText(home + QStringLiteral("/DayTimeTable/Default.DTT"), text);
    files.writeNumber(home + QLatin1Char('/') + settings::kResetSystem, 1);
    files.writeText(home + QLatin1Char('/') + settings::kShow, QStringLiteral("show"));
}

void BM_StartupToShownWindow(benchmark::State& state) {
    QTemporaryDir dir;
    writeHundredEntryTable(dir.path());
    fakes::FakePlatform fake(dir.path());
    GstMediaFactory media;
    Platform real = fake.withMedia(media);
    for (auto _ : state) {
        MainWindow window(real);
        window.load();
        QApplication::processEvents();
        benchmark::DoNotOptimize(window.isVisible());
        state.PauseTiming();
        window.hide();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_StartupToShownWindow)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(15)
    ->ReportAggregatesOnly(true);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    initMedia(&argc, &argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
