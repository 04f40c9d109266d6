// The words and numbers that speak a time, in order.

#include <QtTest>

#include "engine/say_time.h"

using namespace quel;

Q_DECLARE_METATYPE(quel::ProgramClock)
Q_DECLARE_METATYPE(quel::Voice)

class SayTimeTest : public QObject {
    Q_OBJECT
private slots:
    void filesInSpeakingOrder_data() {
        QTest::addColumn<Voice>("voice");
        QTest::addColumn<ProgramClock>("clock");
        QTest::addColumn<QString>("names");
        QTest::addRow("8:05:30 male, no leading zeros")
            << Voice::Male << ProgramClock{8, 5, 30} << "ML MBJT M8 MH M5 MM M30 MS";
        QTest::addRow("13:00:00 female, a whole hour")
            << Voice::Female << ProgramClock{13, 0, 0} << "FL FBJT F13 FH FZ";
        QTest::addRow("0:00:00 speaks the hour 0")
            << Voice::Male << ProgramClock{0, 0, 0} << "ML MBJT M0 MH MZ";
        QTest::addRow("12:00:30 speaks the minute 0")
            << Voice::Male << ProgramClock{12, 0, 30} << "ML MBJT M12 MH M0 MM M30 MS";
        QTest::addRow("23:59:00 speaks the second 0")
            << Voice::Female << ProgramClock{23, 59, 0} << "FL FBJT F23 FH F59 FM F0 FS";
    }
    void filesInSpeakingOrder() {
        QFETCH(Voice, voice);
        QFETCH(ProgramClock, clock);
        QFETCH(QString, names);
        const QString folder =
            voice == Voice::Male ? QStringLiteral("SayTimeWav/M/") : QStringLiteral("SayTimeWav/F/");
        QStringList expected;
        for (const QString& name : names.split(QLatin1Char(' ')))
            expected << folder + name + QStringLiteral(".wav");
        QCOMPARE(sayTimeFiles(voice, clock), expected);
    }
};

QTEST_GUILESS_MAIN(SayTimeTest)
#include "say_time_test.moc"
