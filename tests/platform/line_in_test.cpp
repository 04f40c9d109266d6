// The radio through a private PulseAudio: what the loudspeakers carry after each request, and that
// the loopback is made once and found again.

#include <QSignalSpy>
#include <QtTest>
#include <memory>

#include "fakes/private_pulse.h"
#include "platform/pulse_line_in.h"

using quel::InputSource;
using quel::LineIn;
using quel::PulseLineIn;
using quel::fakes::PrivatePulse;

namespace {

constexpr int kAnswerMs = 5000;
constexpr int kSettleMs = 5000;
constexpr int kWindowMs = 200;
constexpr double kHeard = 0.1;
constexpr double kSilent = 0.001;

// The answer to one request; false also when none came.
bool ask(LineIn& lineIn, bool on, const QString& source) {
    QSignalSpy answered(&lineIn, &LineIn::finished);
    lineIn.setOn(on, source);
    if (!answered.wait(kAnswerMs) && answered.isEmpty())
        return false;
    return answered.size() == 1 && answered.first().first().toBool();
}

}  // namespace

class LineInTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        if (!PrivatePulse::available())
            QSKIP("pulseaudio is not installed");
        QString why;
        QVERIFY2(pulse_.start(&why), qPrintable(why));
    }

    void init() { pulse_.unloadLoopbacks(); }

    void onIsHeardAndOffSilences() {
        PulseLineIn lineIn(pulse_.server());
        QVERIFY(ask(lineIn, true, QStringLiteral("radio")));
        QCOMPARE(pulse_.loopbackModules().size(), 1);
        const QList<PrivatePulse::Stream> streams = pulse_.radioStreams();
        QCOMPARE(streams.size(), 1);
        QVERIFY(!streams.first().muted);
        QCOMPARE(streams.first().mediaName, QStringLiteral("收音机"));
        QCOMPARE(streams.first().applicationName, QStringLiteral("Quelbrook"));
        QVERIFY(heard());

        QVERIFY(ask(lineIn, false, QStringLiteral("radio")));
        QCOMPARE(pulse_.loopbackModules().size(), 1);
        QVERIFY(pulse_.radioStreams().first().muted);
        QVERIFY(silent());
    }

    void eachRequestTwiceChangesNothing() {
        PulseLineIn lineIn(pulse_.server());
        QVERIFY(ask(lineIn, true, QStringLiteral("radio")));
        QVERIFY(ask(lineIn, true, QStringLiteral("radio")));
        QCOMPARE(pulse_.loopbackModules().size(), 1);
        QVERIFY(!pulse_.radioStreams().first().muted);
        QVERIFY(ask(lineIn, false, {}));
        QVERIFY(ask(lineIn, false, {}));
        QCOMPARE(pulse_.loopbackModules().size(), 1);
        QVERIFY(pulse_.radioStreams().first().muted);
    }

    void requestsInARowAreCarriedOutInOrder() {
        PulseLineIn lineIn(pulse_.server());
        QSignalSpy answered(&lineIn, &LineIn::finished);
        lineIn.setOn(true, QStringLiteral("radio"));
        lineIn.setOn(true, QStringLiteral("radio"));
        lineIn.setOn(false, {});
        QTRY_COMPARE_WITH_TIMEOUT(answered.size(), 3, kAnswerMs);
        QCOMPARE(pulse_.loopbackModules().size(), 1);
        QVERIFY(pulse_.radioStreams().first().muted);
    }

    void aLaterRunAdoptsTheLoopback() {
        quint32 module = 0;
        {
            PulseLineIn earlier(pulse_.server());
            QVERIFY(ask(earlier, true, QStringLiteral("radio")));
            module = pulse_.loopbackModules().value(0);
        }
        PulseLineIn later(pulse_.server());
        QVERIFY(ask(later, false, {}));
        QCOMPARE(pulse_.loopbackModules(), QList<quint32>{module});
        QVERIFY(pulse_.radioStreams().first().muted);
        QVERIFY(ask(later, true, QStringLiteral("radio")));
        QCOMPARE(pulse_.loopbackModules(), QList<quint32>{module});
        QVERIFY(!pulse_.radioStreams().first().muted);
    }

    void theDefaultInputIsNamedWhenNoneIsChosen() {
        PulseLineIn lineIn(pulse_.server());
        QVERIFY(ask(lineIn, true, {}));
        QCOMPARE(pulse_.radioStreams().first().source, QStringLiteral("radio"));
    }

    void anotherInputReplacesTheLoopback() {
        PulseLineIn lineIn(pulse_.server());
        QVERIFY(ask(lineIn, true, QStringLiteral("radio")));
        QVERIFY(ask(lineIn, true, QStringLiteral("radio2")));
        QCOMPARE(pulse_.loopbackModules().size(), 1);
        const QList<PrivatePulse::Stream> streams = pulse_.radioStreams();
        QCOMPARE(streams.size(), 1);
        QCOMPARE(streams.first().source, QStringLiteral("radio2"));
        QVERIFY(!streams.first().muted);
    }

    void inputsThatCannotBeUsedLeaveNoLoopback_data() {
        QTest::addColumn<QString>("source");
        QTest::addRow("an input that is not there") << QStringLiteral("line_in_unplugged");
        QTest::addRow("a name that would close its quotes") << QStringLiteral("radio' sink=speakers '");
        QTest::addRow("a name with a double quote") << QStringLiteral("radio\" x=\"1");
        QTest::addRow("a backslash") << QStringLiteral("radio\\");
    }
    void inputsThatCannotBeUsedLeaveNoLoopback() {
        QFETCH(QString, source);
        PulseLineIn lineIn(pulse_.server());
        QVERIFY(!ask(lineIn, true, source));
        QVERIFY(pulse_.loopbackModules().isEmpty());
        QVERIFY(pulse_.radioStreams().isEmpty());
        // The service goes on answering.
        QVERIFY(ask(lineIn, false, {}));
    }

    void theInputsLeaveMonitorsOut() {
        PulseLineIn lineIn(pulse_.server());
        QSignalSpy listed(&lineIn, &LineIn::sourcesListed);
        lineIn.listSources();
        QVERIFY(listed.wait(kAnswerMs));
        const auto sources = listed.first().first().value<QList<InputSource>>();
        QStringList names;
        for (const InputSource& source : sources) {
            names << source.name;
            QVERIFY(!source.description.isEmpty());
        }
        QCOMPARE(names, (QStringList{QStringLiteral("radio"), QStringLiteral("radio2")}));
    }

    void noServerAnswersFailureAndGoesOn() {
        PulseLineIn lineIn("unix:" + QFile::encodeName(pulse_.folder()) + "/nothing-here");
        QSignalSpy answered(&lineIn, &LineIn::finished);
        QSignalSpy listed(&lineIn, &LineIn::sourcesListed);
        lineIn.setOn(true, QStringLiteral("radio"));
        lineIn.listSources();
        lineIn.setOn(false, {});
        QTRY_COMPARE_WITH_TIMEOUT(answered.size(), 2, kAnswerMs);
        QTRY_COMPARE_WITH_TIMEOUT(listed.size(), 1, kAnswerMs);
        QVERIFY(!answered.at(0).first().toBool());
        QVERIFY(!answered.at(1).first().toBool());
        QVERIFY(listed.first().first().value<QList<InputSource>>().isEmpty());
        QVERIFY(!ask(lineIn, true, QStringLiteral("radio")));
    }

    // The desktop's server may be restarted while the program runs for days.
    void aRestartedServerIsReachedAgain() {
        PulseLineIn lineIn(pulse_.server());
        QVERIFY(ask(lineIn, true, QStringLiteral("radio")));
        pulse_.stop();
        QString why;
        QVERIFY2(pulse_.start(&why), qPrintable(why));
        QVERIFY(ask(lineIn, true, QStringLiteral("radio")));
        QCOMPARE(pulse_.loopbackModules().size(), 1);
        QVERIFY(heard());
    }

    void deletingDuringARequestIsSafe() {
        auto lineIn = std::make_unique<PulseLineIn>(pulse_.server());
        lineIn->setOn(true, QStringLiteral("radio"));
        QCoreApplication::processEvents();
        lineIn.reset();
        QTest::qWait(100);
        PulseLineIn next(pulse_.server());
        QVERIFY(ask(next, true, QStringLiteral("radio")));
        QCOMPARE(pulse_.loopbackModules().size(), 1);
    }

private:
    // Levels wait until the loopback's buffer has filled or drained, then must hold for a window.
    bool heard() const {
        QDeadlineTimer deadline(kSettleMs);
        while (!deadline.hasExpired()) {
            if (pulse_.peak(kWindowMs) > kHeard)
                return true;
        }
        return false;
    }
    bool silent() const {
        QDeadlineTimer deadline(kSettleMs);
        while (!deadline.hasExpired()) {
            if (pulse_.peak(kWindowMs) < kSilent)
                return pulse_.peak(kWindowMs * 2) < kSilent;
        }
        return false;
    }

    PrivatePulse pulse_;
};

QTEST_GUILESS_MAIN(LineInTest)
#include "line_in_test.moc"
