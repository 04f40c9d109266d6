// The kernel's timer of the system clock: it rings on the moment, never before it, and only for the
// moment last asked for.

#include <QSignalSpy>
#include <QTest>

#include <ctime>
#include <optional>

#include "platform/wall_timer.h"

using namespace quel;

namespace {

qint64 wallMsecs() {
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    return qint64(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

}  // namespace

class WallTimerTest : public QObject {
    Q_OBJECT

private slots:
    void ringsOnceForTheMomentLastAskedFor_data();
    void ringsOnceForTheMomentLastAskedFor();
};

void WallTimerTest::ringsOnceForTheMomentLastAskedFor_data() {
    QTest::addColumn<QList<qint64>>("asked");  // milliseconds from now, in the order asked; -1 stops
    QTest::addColumn<int>("rings");
    QTest::addRow("a moment ahead") << QList<qint64>{150} << 1;
    QTest::addRow("a moment passed rings at once") << QList<qint64>{-5000} << 1;
    QTest::addRow("a later moment replaces an earlier one") << QList<qint64>{50, 200} << 1;
    QTest::addRow("stopped before its moment") << QList<qint64>{50, -1} << 0;
}

void WallTimerTest::ringsOnceForTheMomentLastAskedFor() {
    QFETCH(QList<qint64>, asked);
    QFETCH(int, rings);
    KernelWallTimer timer;
    QVERIFY(timer.isValid());
    QSignalSpy rang(&timer, &WallTimer::rang);
    qint64 moment = 0;
    std::optional<qint64> rangAt;
    connect(&timer, &WallTimer::rang, this, [&] { rangAt = wallMsecs(); });
    for (const qint64 ms : asked) {
        if (ms == -1) {
            timer.stop();
        } else {
            moment = wallMsecs() + ms;
            timer.ringAt(moment);
        }
    }
    // Waiting for a ring that must not come is the failure's own signal; a second one too.
    rang.wait(400);
    QCOMPARE(rang.size(), rings);
    if (rings > 0)
        QVERIFY2(*rangAt >= moment, qPrintable(QString::number(*rangAt - moment)));
}

QTEST_GUILESS_MAIN(WallTimerTest)
#include "wall_timer_test.moc"
