#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include "emergency/emergency.h"
#include "fakes/fake_platform.h"
#include "platform/settings_store.h"

using namespace quel;
using quel::fakes::FakeFiles;
using quel::fakes::FakeMedia;

namespace {
enum class Choice { None, Existing, Missing, FailsToDecode };
}
Q_DECLARE_METATYPE(Choice)

class EmergencyBroadcastTest : public QObject {
    Q_OBJECT
private slots:
    void init() {
        folder_ = std::make_unique<QTemporaryDir>();
        builtIn_ = folder_->filePath(QStringLiteral("evacuation.wav"));
        chosen_ = folder_->filePath(QStringLiteral("mine.wav"));
        touch(builtIn_);
        log_.clear();
        media_ = std::make_unique<FakeMedia>(&log_, QStringLiteral("siren"));
        settings_ = std::make_unique<SettingsStore>(files_, folder_->path());
    }

    // Which sound starts, and what the operator hears about a choice that cannot play.
    void startPlays_data() {
        QTest::addColumn<Choice>("choice");
        QTest::addColumn<QStringList>("played");  // file names written, in order, after the events ran
        QTest::addColumn<int>("failures");        // soundFailed signals
        QTest::addRow("the built-in tone when nothing was chosen")
            << Choice::None << QStringList{"builtin"} << 0;
        QTest::addRow("the operator's sound when it is there")
            << Choice::Existing << QStringList{"chosen"} << 0;
        QTest::addRow("the built-in tone at once when the choice went missing")
            << Choice::Missing << QStringList{"builtin"} << 1;
        QTest::addRow("the built-in tone after the choice failed to decode")
            << Choice::FailsToDecode << QStringList{"chosen", "builtin"} << 1;
    }
    void startPlays() {
        QFETCH(Choice, choice);
        QFETCH(QStringList, played);
        QFETCH(int, failures);
        if (choice == Choice::Existing || choice == Choice::FailsToDecode)
            touch(chosen_);
        if (choice == Choice::FailsToDecode)
            media_->unplayable.insert(chosen_);
        if (choice != Choice::None)
            QVERIFY(settings_->writeText(EmergencyBroadcast::kSoundSetting, chosen_));

        EmergencyBroadcast emergency(*media_, *settings_, builtIn_);
        QSignalSpy failed(&emergency, &EmergencyBroadcast::soundFailed);
        emergency.start();
        QCoreApplication::processEvents();  // a decode failure arrives later, from the event loop

        QCOMPARE(filesWritten(), played);
        QCOMPARE(failed.size(), failures);
        QCOMPARE(media_->volume(), 0);
        QVERIFY(!media_->muted);
        QCOMPARE(media_->balance, 0);
    }

    // A quieter level, a mute or a balance left over from an earlier use never carries into the alarm.
    void startOverridesAnEarlierLevel() {
        media_->setVolume(-4000);
        media_->setMute(true);
        media_->setBalance(-10000);
        EmergencyBroadcast emergency(*media_, *settings_, builtIn_);
        emergency.start();
        QCOMPARE(media_->volume(), 0);
        QVERIFY(!media_->muted);
        QCOMPARE(media_->balance, 0);
    }

    // The lifetime: the sound loops only while active; starting and ending twice change nothing.
    void lifetime_data() {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QStringList>("log");
        QTest::addColumn<QList<bool>>("changes");
        QTest::addRow("loops at every end while on")
            << QStringList{"start", "end", "end"} << QStringList{"file builtin", "play", "play"}
            << QList<bool>{true};
        QTest::addRow("a second start neither restarts the sound nor signals")
            << QStringList{"start", "start"} << QStringList{"file builtin"} << QList<bool>{true};
        QTest::addRow("ending stops and closes the sound")
            << QStringList{"start", "stop"} << QStringList{"file builtin", "stop", "file "}
            << QList<bool>{true, false};
        QTest::addRow("an end that arrives after the stop does not play again")
            << QStringList{"start", "stop", "end"} << QStringList{"file builtin", "stop", "file "}
            << QList<bool>{true, false};
        QTest::addRow("ending while silent changes nothing")
            << QStringList{"stop"} << QStringList{} << QList<bool>{};
        QTest::addRow("it can be started again after the end")
            << QStringList{"start", "stop", "start"}
            << QStringList{"file builtin", "stop", "file ", "file builtin"} << QList<bool>{true, false, true};
    }
    void lifetime() {
        QFETCH(QStringList, steps);
        QFETCH(QStringList, log);
        QFETCH(QList<bool>, changes);
        EmergencyBroadcast emergency(*media_, *settings_, builtIn_);
        QSignalSpy active(&emergency, &EmergencyBroadcast::activeChanged);
        for (const QString& step : steps) {
            if (step == QLatin1String("start"))
                emergency.start();
            else if (step == QLatin1String("prepare"))
                emergency.prepare();
            else if (step == QLatin1String("stop"))
                emergency.stop();
            else
                media_->finish();
        }
        QCOMPARE(readable(log_), log);
        // Heard only while on, always from its start, and at full volume.
        if (!emergency.isActive() && steps.contains(QLatin1String("prepare")))
            QVERIFY(media_->muted);
        if (emergency.isActive()) {
            QVERIFY(!media_->muted);
            QCOMPARE(media_->volume(), 0);
            if (steps.contains(QLatin1String("prepare")))
                QCOMPARE(media_->seeks.value(media_->seeks.size() - 1, -1), 0.0);
        }
        QList<bool> seen;
        for (const auto& args : active)
            seen << args.at(0).toBool();
        QCOMPARE(seen, changes);
    }

    // A prepared sound that turned out broken is not trusted at the start: the built-in one opens anew.
    void aPreparedSoundThatFailedIsOpenedAnew() {
        touch(chosen_);
        QVERIFY(settings_->writeText(EmergencyBroadcast::kSoundSetting, chosen_));
        media_->unplayable.insert(chosen_);
        EmergencyBroadcast emergency(*media_, *settings_, builtIn_);
        QSignalSpy failed(&emergency, &EmergencyBroadcast::soundFailed);
        emergency.prepare();
        QCoreApplication::processEvents();
        emergency.start();
        QCoreApplication::processEvents();
        QCOMPARE(filesWritten(), (QStringList{"chosen", "chosen", "builtin"}));
        QCOMPARE(failed.size(), 1);
        QVERIFY(!media_->muted);
    }

    // A built-in tone that cannot play is reported once; nothing retries it in a loop.
    void aBrokenBuiltInToneIsReportedOnce() {
        media_->unplayable.insert(builtIn_);
        EmergencyBroadcast emergency(*media_, *settings_, builtIn_);
        QSignalSpy failed(&emergency, &EmergencyBroadcast::soundFailed);
        emergency.start();
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
        QCOMPARE(failed.size(), 1);
        QCOMPARE(failed.at(0).at(0).toString(), builtIn_);
        QCOMPARE(filesWritten(), QStringList{"builtin"});
        QVERIFY(emergency.isActive());  // the entries are still held while the operator sees why
    }

    // What a fired entry does while the emergency sounds: everything that would make a sound or take
    // the computer away waits; what silences or makes no sound goes on. Nothing waits when it is off.
    void holds_data() {
        QTest::addColumn<QString>("response");
        QTest::addColumn<bool>("held");
        QTest::addRow("a bell") << QStringLiteral("/x/toll/A/A3.WAV") << true;
        QTest::addRow("a broadcast in order") << QStringLiteral("播音开-静态/x/a.PLF") << true;
        QTest::addRow("a shuffled broadcast") << QStringLiteral("播音开-动态/x/a.PLF") << true;
        QTest::addRow("the radio on") << QStringLiteral("收音机开") << true;
        QTest::addRow("a male spoken time") << QStringLiteral("中文男声报时") << true;
        QTest::addRow("a female spoken time") << QStringLiteral("中文女声报时") << true;
        QTest::addRow("a shutdown") << QStringLiteral("关机") << true;
        QTest::addRow("a restart") << QStringLiteral("重启") << true;
        QTest::addRow("a logoff") << QStringLiteral("注销") << true;
        QTest::addRow("a broadcast off") << QStringLiteral("播音关") << false;
        QTest::addRow("the radio off") << QStringLiteral("收音机关") << false;
        QTest::addRow("setting the program clock") << QStringLiteral("校时") << false;
        QTest::addRow("opening a table") << QStringLiteral("打开表/x/b.DTT") << false;
    }
    void holds() {
        QFETCH(QString, response);
        QFETCH(bool, held);
        EmergencyBroadcast emergency(*media_, *settings_, builtIn_);
        const ResponseKind kind = responseKind(response);
        QVERIFY(!emergency.holds(kind));
        emergency.start();
        QCOMPARE(emergency.holds(kind), held);
        emergency.stop();
        QVERIFY(!emergency.holds(kind));
    }

    // A sound chosen while the alarm sounds plays from the next start on, opened once the alarm ended
    // so that the next start need not open it.
    void aChoiceMadeWhileItSoundsWaitsPreparedForTheNextStart() {
        touch(chosen_);
        EmergencyBroadcast emergency(*media_, *settings_, builtIn_);
        emergency.prepare();
        emergency.start();
        QVERIFY(emergency.chooseSound(chosen_));
        log_.clear();
        emergency.stop();
        QCOMPARE(filesWritten(), QStringList{"chosen"});
        QVERIFY(media_->muted);
        log_.clear();
        emergency.start();
        QCOMPARE(filesWritten(), QStringList());
        QCOMPARE(media_->fileName(), chosen_);
        QVERIFY(!media_->muted);
    }

    void aChoiceThatCannotBeWrittenChangesNothing() {
        EmergencyBroadcast emergency(*media_, *settings_, builtIn_);
        touch(chosen_);
        files_.unwritable.insert(settings_->pathForWriting(EmergencyBroadcast::kSoundSetting));
        QVERIFY(!emergency.chooseSound(chosen_));
        QCOMPARE(emergency.sound(), builtIn_);
        files_.unwritable.clear();
        QVERIFY(emergency.chooseSound(chosen_));
        QCOMPARE(EmergencyBroadcast(*media_, *settings_, builtIn_).sound(), chosen_);
    }

private:
    static void touch(const QString& path) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("RIFF");
    }
    // The log with the temporary paths named by their role.
    QStringList readable(QStringList log) const {
        for (QString& line : log) {
            line.replace(QStringLiteral("siren "), QString());
            line.replace(builtIn_, QStringLiteral("builtin"));
            line.replace(chosen_, QStringLiteral("chosen"));
        }
        return log;
    }
    QStringList filesWritten() const {
        QStringList out;
        for (const QString& line : readable(log_)) {
            if (line.startsWith(QLatin1String("file ")))
                out << line.mid(5);
        }
        return out;
    }

    std::unique_ptr<QTemporaryDir> folder_;
    QString builtIn_;
    QString chosen_;
    QStringList log_;
    std::unique_ptr<FakeMedia> media_;
    FakeFiles files_;
    std::unique_ptr<SettingsStore> settings_;
};

QTEST_GUILESS_MAIN(EmergencyBroadcastTest)
#include "emergency_broadcast_test.moc"
