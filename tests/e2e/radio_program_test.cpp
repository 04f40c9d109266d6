// The real quelbrook on a temporary program folder and a private sound server: a 收音机开 entry makes
// the radio heard on the loudspeakers and a 收音机关 entry two seconds later silences it.

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include "fakes/file_bytes.h"
#include "fakes/private_pulse.h"

using quel::fakes::PrivatePulse;

namespace {

constexpr int kWindowMs = 200;
constexpr double kHeard = 0.1;
constexpr double kSilent = 0.001;

using quel::testing::quoted;

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

}  // namespace

class RadioProgramTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        if (!PrivatePulse::available())
            QSKIP("pulseaudio is not installed");
        QString why;
        QVERIFY2(pulse_.start(&why), qPrintable(why));
    }

    void onThenOffAtTheirSeconds() {
        QTemporaryDir dir;
        const QString home = dir.path();
        QDir(home).mkpath("DayTimeTable");
        // Times a few seconds after the splash will have handed over.
        const QTime now = QTime::currentTime();
        const QTime start(now.hour(), now.minute(), now.second());  // entries fire at whole seconds
        const QTime on = start.addSecs(9);
        const QTime off = start.addSecs(11);
        auto entry = [](const QTime& time, const QString& response) {
            return "|" + time.toString("H:mm:ss") + QStringLiteral("*没有注释>每天<") + response;
        };
        const QString table = home + "/DayTimeTable/radio.DTT";
        writeFile(table,
                  quoted(entry(on, QStringLiteral("收音机开")) + entry(off, QStringLiteral("收音机关"))));
        writeFile(home + "/ResetSystem.txt", "1\r\n");
        writeFile(home + "/DefaultDTT.txt", quoted(table));
        writeFile(home + "/show.txt", quoted("show"));
        writeFile(home + "/Radio.txt", "0\r\n");
        writeFile(home + "/RadioSource.txt", quoted("radio2"));

        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QUELBROOK_HOME", home);
        env.insert("QT_QPA_PLATFORM", "offscreen");
        env.insert("QUELBROOK_AUDIO_SINK", "fakeaudiosink");
        env.insert("XDG_DATA_HOME", home + "/.data");
        pulse_.addClientEnvironment(env);  // HOME, XDG_CONFIG_HOME, XDG_RUNTIME_DIR and PULSE_SERVER
        QProcess program;
        program.setProcessEnvironment(env);
        program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        program.start(QStringLiteral(QUELBROOK_EXE), {});
        QVERIFY(program.waitForStarted(10000));
        auto stop = qScopeGuard([&] {
            program.terminate();
            if (!program.waitForFinished(5000))
                program.kill();
            program.waitForFinished(5000);
        });

        // Heard between the two entries.
        bool heard = false;
        while (!heard && QTime::currentTime() < off && QTime::currentTime() >= start)
            heard = pulse_.peak(kWindowMs) > kHeard;
        QVERIFY2(heard, "the radio was not heard after 收音机开");
        // The program's clock may run up to a tick apart from the system's, so the streams, not the
        // moments, tell which entry acted.
        const QList<PrivatePulse::Stream> streams = pulse_.radioStreams();
        QCOMPARE(streams.size(), 1);
        QCOMPARE(streams.first().source, QStringLiteral("radio2"));
        QVERIFY(!streams.first().muted);

        // Silent from shortly after the second entry on.
        bool silent = false;
        const QTime giveUp = off.addSecs(5);
        while (!silent && QTime::currentTime() < giveUp && QTime::currentTime() >= start)
            silent = pulse_.peak(kWindowMs) < kSilent;
        QVERIFY2(silent, "the radio was still heard after 收音机关");
        QVERIFY(pulse_.peak(kWindowMs * 2) < kSilent);
        QCOMPARE(pulse_.loopbackModules().size(), 1);
        QVERIFY(pulse_.radioStreams().first().muted);
        QCOMPARE(program.state(), QProcess::Running);
    }

private:
    PrivatePulse pulse_;
};

QTEST_GUILESS_MAIN(RadioProgramTest)
#include "radio_program_test.moc"
