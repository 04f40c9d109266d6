// The real quelbrook broadcasting by itself: a 播音开-静态 entry a few seconds ahead plays a list of
// generated tones through fakeaudiosink, and a 播音关 entry ends it before its last track. Which files
// began is read from the media component's debug lines on stderr.

#include <gst/gst.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include "fakes/file_bytes.h"
#include "media/tone_files.h"
#include "program_process.h"

namespace {

using quel::testing::quoted;

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

}  // namespace

class BroadcastProgramTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY(gst_init_check(nullptr, nullptr, nullptr)); }

    void aScheduledBroadcastPlaysItsListUntilItsEnd() {
        QTemporaryDir dir;
        const QString home = dir.path();
        QDir(home).mkpath("DayTimeTable");
        QDir(home).mkpath("PlayListFile");
        QDir(home).mkpath("music");
        using quel::testing::ToneFormat;
        const QString one = home + "/music/one.wav";
        const QString two = home + "/music/two.mp3";
        const QString long_ = home + "/music/long.ogg";
        const QString never = home + "/music/never.wav";
        QCOMPARE(quel::testing::writeTone(one, ToneFormat::Wav, 1.0), QString());
        QCOMPARE(quel::testing::writeTone(two, ToneFormat::Mp3, 1.0), QString());
        QCOMPARE(quel::testing::writeTone(long_, ToneFormat::Ogg, 10.0), QString());
        QCOMPARE(quel::testing::writeTone(never, ToneFormat::Wav, 1.0), QString());
        const QString list = home + "/PlayListFile/课间 操.PLF";
        const QByteArray listBytes =
            quoted("|" + one + "|" + home + "/music/deleted.wav|" + two + "|" + long_ + "|" + never);
        writeFile(list, listBytes);

        // Times a few seconds after the splash will have handed over.
        const QTime start = QTime::currentTime();
        auto at = [&](int seconds) { return start.addSecs(seconds).toString("H:mm:ss"); };
        auto entry = [](const QString& time, const QString& response) {
            return "|" + time + QStringLiteral("*广播>每天<") + response;
        };
        const QString table = home + "/DayTimeTable/Default.DTT";
        writeFile(table, quoted(entry(at(9), QStringLiteral("播音开-静态") + list) +
                                entry(at(15), QStringLiteral("播音关"))));
        writeFile(home + "/ResetSystem.txt", "1\r\n");
        writeFile(home + "/DefaultDTT.txt", quoted(table));
        writeFile(home + "/show.txt", quoted("show"));

        // Which files started is read from the media component's debug lines on stderr.
        QProcessEnvironment env;
        env.insert("QT_LOGGING_RULES", "quel.media.debug=true");
        quel::e2e::Program run(home, env, QProcess::SeparateChannels);
        QProcess& program = run.process;
        QVERIFY(program.waitForStarted(10000));

        QStringList started;
        const QRegularExpression line(QStringLiteral("Started (.*)$"));
        auto collect = [&] {
            for (const QByteArray& raw : program.readAllStandardError().split('\n')) {
                const auto match = line.match(QString::fromUtf8(raw).trimmed());
                if (match.hasMatch())
                    started << match.captured(1);
            }
        };
        // Past 播音关 and past the moment the long track would have ended and the next begun.
        const QTime until = start.addSecs(28);
        QTRY_VERIFY_WITH_TIMEOUT((collect(), QTime::currentTime() >= until || QTime::currentTime() < start),
                                 40000);
        collect();
        QCOMPARE(started, QStringList({one, two, long_}));
        QCOMPARE(program.state(), QProcess::Running);
        // The deleted track left the list file; the others stay in their order.
        QCOMPARE(readAll(list), quoted("|" + one + "|" + two + "|" + long_ + "|" + never));

        program.terminate();
        if (!program.waitForFinished(5000))
            program.kill();
    }
};

QTEST_GUILESS_MAIN(BroadcastProgramTest)
#include "broadcast_test.moc"
