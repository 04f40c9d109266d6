// The real quelbrook on a school morning: the spoken time at T with the player idle, 播音开-静态 at
// T+5, 播音关 at T+20. The voice files play, then the list, which the end of the announcement at T+15
// leaves alone; after 播音关 all is silent. What started and closed is read from the media
// component's debug lines on stderr, each noted with the second it arrived.

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

}  // namespace

class SayTimeProgramTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY(gst_init_check(nullptr, nullptr, nullptr)); }

    void aSchoolMorning() {
        using quel::testing::ToneFormat;
        QTemporaryDir dir;
        const QString home = dir.path();
        QDir(home).mkpath("DayTimeTable");
        QDir(home).mkpath("PlayListFile");
        QDir(home).mkpath("SayTimeWav/F");
        QDir(home).mkpath("music");
        QStringList words{"L", "BJT", "H", "M", "S", "Z"};
        for (int n = 0; n < 60; ++n)
            words << QString::number(n);
        for (const QString& word : words)
            QCOMPARE(quel::testing::writeTone(home + "/SayTimeWav/F/F" + word + ".wav", ToneFormat::Wav, 0.2),
                     QString());
        const QString one = home + "/music/one.wav";
        const QString long_ = home + "/music/long.wav";
        QCOMPARE(quel::testing::writeTone(one, ToneFormat::Wav, 1.0), QString());
        QCOMPARE(quel::testing::writeTone(long_, ToneFormat::Wav, 30.0), QString());
        const QString list = home + "/PlayListFile/早操.PLF";
        writeFile(list, quoted("|" + one + "|" + long_));

        const QTime start = QTime::currentTime();
        const QTime t = start.addSecs(9);
        auto at = [&](int seconds) { return t.addSecs(seconds).toString("H:mm:ss"); };
        auto entry = [](const QString& time, const QString& response) {
            return "|" + time + QStringLiteral("*早晨>每天<") + response;
        };
        const QString table = home + "/DayTimeTable/Default.DTT";
        writeFile(table, quoted(entry(at(0), QStringLiteral("中文女声报时")) +
                                entry(at(5), QStringLiteral("播音开-静态") + list) +
                                entry(at(20), QStringLiteral("播音关"))));
        writeFile(home + "/ResetSystem.txt", "1\r\n");
        writeFile(home + "/DefaultDTT.txt", quoted(table));
        writeFile(home + "/show.txt", quoted("show"));

        // Which files started is read from the media component's debug lines on stderr.
        QProcessEnvironment env;
        env.insert("QT_LOGGING_RULES", "quel.media.debug=true");
        quel::e2e::Program run(home, env, QProcess::SeparateChannels);
        QProcess& program = run.process;
        QVERIFY(program.waitForStarted(10000));

        // "Started <file> @<seconds after T>", "Closed <file> @<seconds after T>".
        QStringList started;
        QList<int> closedLongAt;
        const QRegularExpression line(QStringLiteral("(Started|Closed) (.*)$"));
        auto collect = [&] {
            const int now = t.secsTo(QTime::currentTime());
            for (const QByteArray& raw : program.readAllStandardError().split('\n')) {
                const auto match = line.match(QString::fromUtf8(raw).trimmed());
                if (!match.hasMatch())
                    continue;
                if (match.captured(1) == QLatin1String("Started"))
                    started << match.captured(2);
                else if (match.captured(2) == long_)
                    closedLongAt << now;
            }
        };
        const QTime until = t.addSecs(24);
        QTRY_VERIFY_WITH_TIMEOUT((collect(), QTime::currentTime() >= until || QTime::currentTime() < start),
                                 40000);
        collect();

        QStringList expected;
        for (const char* word : {"L", "BJT"})
            expected << home + "/SayTimeWav/F/F" + word + ".wav";
        expected << home + "/SayTimeWav/F/F" + QString::number(t.hour()) + ".wav"
                 << home + "/SayTimeWav/F/FH.wav";
        if (t.minute() == 0 && t.second() == 0) {
            expected << home + "/SayTimeWav/F/FZ.wav";
        } else {
            expected << home + "/SayTimeWav/F/F" + QString::number(t.minute()) + ".wav"
                     << home + "/SayTimeWav/F/FM.wav"
                     << home + "/SayTimeWav/F/F" + QString::number(t.second()) + ".wav"
                     << home + "/SayTimeWav/F/FS.wav";
        }
        expected << one << long_;
        // Compared as text, so that a failure shows both lists whole rather than their sizes.
        QCOMPARE(started.join(u'\n'), expected.join(u'\n'));
        // Closed by 播音关, not by the announcement's end at T+15.
        QCOMPARE(closedLongAt.size(), 1);
        QVERIFY2(closedLongAt.first() >= 19, qPrintable(QString::number(closedLongAt.first())));
        QCOMPARE(program.state(), QProcess::Running);

        program.terminate();
        if (!program.waitForFinished(5000))
            program.kill();
    }
};

QTEST_GUILESS_MAIN(SayTimeProgramTest)
#include "say_time_test.moc"
