// The emergency broadcast in the running program, on fakes: what it silences when it starts, and what
// the schedule does while it sounds and after it ended.

#include <QAction>
#include <QDir>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include "emergency/emergency.h"
#include "engine/clock_tick.h"
#include "fakes/fake_platform.h"
#include "history/history.h"
#include "platform/settings_names.h"
#include "platform/settings_store.h"
#include "power/power_off.h"
#include "shell/main_window.h"
#include "shell/remote_wiring.h"
#include "shell/unattended.h"

using namespace quel;
using namespace quel::fakes;

namespace {

// The siren is the third component the window makes, after the tone and chime players.
const QString kSiren = QStringLiteral("m3 ");

struct Fixture {
    explicit Fixture(const QString& table) : fake(dir.path()) {
        QDir(dir.path()).mkpath(QStringLiteral("DayTimeTable"));
        QDir(dir.path()).mkpath(QStringLiteral("PlayListFile"));
        // The spoken time leaves out words whose recordings are missing.
        QDir(dir.path()).mkpath(QStringLiteral("SayTimeWav/M"));
        QStringList words{"L", "BJT", "H", "M", "S", "Z"};
        for (int n = 0; n < 60; ++n)
            words << QString::number(n);
        for (const QString& word : words)
            QFile(path(QStringLiteral("SayTimeWav/M/M%1.wav").arg(word))).open(QIODevice::WriteOnly);
        DiskFiles files;
        files.writeNumber(path(settings::kResetSystem), 1);
        files.writeText(path(settings::kShow), QStringLiteral("show"));
        files.writeText(path(settings::kDefaultDtt), path(settings::kDefaultTable));
        files.writeNumber(path(settings::kRadio), 0);
        files.writeText(path(settings::kRadioSource), QStringLiteral("line"));
        files.writeText(path(QStringLiteral("PlayListFile/a.PLF")), QStringLiteral("|/sounds/track.mp3"));
        // The table may name the program folder, which exists only now.
        files.writeText(path(settings::kDefaultTable),
                        QString(table).replace(QStringLiteral("%DIR%"), dir.path()));
        fake.clock.set(QDateTime(QDate(2026, 12, 2), QTime(8, 29, 59)));
        window = std::make_unique<MainWindow>(fake.platform);
        window->load();
        remote = &window->attachRemote();
        fake.media.log.clear();
    }
    QString path(const QString& name) const { return dir.path() + QLatin1Char('/') + name; }
    void tick() {
        fake.clock.advance(window->clockTick().interval());
        window->clockTick().tick();
    }
    // What the schedule did, the siren left out.
    QStringList effects() {
        QStringList out;
        for (const QString& line : fake.media.log) {
            if (!line.startsWith(kSiren))
                out << line.section(QLatin1Char(' '), 1);
        }
        out << fake.lineIn.requests;
        if (window->powerOff().countdown(PowerAction::Shutdown).state == PowerOff::State::Counting)
            out << QStringLiteral("shutdown counting");
        fake.media.log.clear();
        fake.lineIn.requests.clear();
        return out;
    }
    QStringList history() const {
        window->unattended().history().flush();
        QDir folder(path(settings::kHistoryFolder));
        QStringList lines;
        for (const QString& name : folder.entryList(QDir::Files)) {
            QFile f(folder.filePath(name));
            if (f.open(QIODevice::ReadOnly))
                lines << QString::fromUtf8(f.readAll()).split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
        }
        return lines;
    }

    QTemporaryDir dir;
    FakePlatform fake;
    std::unique_ptr<MainWindow> window;
    ShellRemote* remote = nullptr;
};

}  // namespace

class EmergencyInterplayTest : public QObject {
    Q_OBJECT
private slots:
    // An entry due in the same second as the emergency, and again two seconds after it ended: held
    // the first time (written to the history as held, never rung late), carried out the second.
    void heldThenReleased_data() {
        QTest::addColumn<QString>("response");
        QTest::addColumn<QString>("carriedOut");  // an effect the entry has when it is not held
        QTest::addRow("a bell") << QStringLiteral("/sounds/bell.wav")
                                << QStringLiteral("file /sounds/bell.wav");
        QTest::addRow("a broadcast") << QStringLiteral("播音开-静态%DIR%/PlayListFile/a.PLF")
                                     << QStringLiteral("file /sounds/track.mp3");
        QTest::addRow("the radio") << QStringLiteral("收音机开") << QStringLiteral("on line");
        QTest::addRow("a spoken time") << QStringLiteral("中文男声报时") << QStringLiteral("SayTimeWav");
        QTest::addRow("a power-off count-down")
            << QStringLiteral("关机") << QStringLiteral("shutdown counting");
    }
    void heldThenReleased() {
        QFETCH(QString, response);
        QFETCH(QString, carriedOut);
        Fixture fixture(QStringLiteral("|8:30:00*第一次>每天<%1|8:30:02*第二次>每天<%1").arg(response));
        Fixture* f = &fixture;
        QVERIFY(f->remote->emergency(true).ok);
        f->effects();
        f->tick();  // 8:30:00, due while the emergency sounds
        QVERIFY2(!f->effects().join(QLatin1Char('\n')).contains(carriedOut),
                 "carried out during the emergency");
        const QString held = f->history().value(f->history().size() - 1);
        QVERIFY2(held.contains(QStringLiteral("第一次")) && held.endsWith(QStringLiteral("\t暂缓")),
                 qPrintable(held));

        QVERIFY(f->remote->emergency(false).ok);
        f->effects();
        f->tick();  // 8:30:01: the held entry does not ring late
        QVERIFY(!f->effects().join(QLatin1Char('\n')).contains(carriedOut));
        f->tick();  // 8:30:02
        QVERIFY2(f->effects().join(QLatin1Char('\n')).contains(carriedOut), "not carried out after the end");
    }

    // What sounded when the emergency starts is silenced; a count-down to a power-off is called off.
    void startSilencesEverything() {
        Fixture f(QStringLiteral("|8:30:00*关机>每天<关机"));
        f.tick();
        QCOMPARE(f.window->powerOff().countdown(PowerAction::Shutdown).state, PowerOff::State::Counting);
        f.effects();
        QVERIFY(f.remote->emergency(true).ok);
        QCOMPARE(f.window->powerOff().countdown(PowerAction::Shutdown).state, PowerOff::State::Closed);
        const QStringList silenced = f.effects();
        QVERIFY(silenced.contains(QStringLiteral("stop")));  // the tone and chime players
        QVERIFY(silenced.contains(QStringLiteral("off")));   // the radio's line
        QVERIFY(f.window->findChild<QPushButton*>(QStringLiteral("CommandEmergency"))->isChecked());
        QVERIFY(f.fake.power.calls.isEmpty());
    }

    // 紧急广播 → 选择警报声… and 恢复默认警报声: what the file then holds, what the next start plays, and
    // what the operator is told when the choice cannot be written.
    void chooseTheSound_data() {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("picked");  // the file dialog's answer; empty for cancel
        QTest::addColumn<bool>("writable");
        QTest::addColumn<QString>("stored");  // EmergencySound.txt afterwards, "mine" for the earlier choice
        QTest::addColumn<QString>("message");
        QTest::addRow("a sound picked") << "MenuEmergencyChoose"
                                        << "siren.wav" << true << "siren.wav"
                                        << "";
        QTest::addRow("the dialog cancelled") << "MenuEmergencyChoose"
                                              << "" << true << "mine"
                                              << "";
        QTest::addRow("back to the built-in tone") << "MenuEmergencyDefault"
                                                   << "" << true << ""
                                                   << "";
        QTest::addRow("a pick that cannot be written") << "MenuEmergencyChoose"
                                                       << "siren.wav" << false << "mine"
                                                       << "无法写入 EmergencySound.txt，警报声没有改变";
        QTest::addRow("going back that cannot be written") << "MenuEmergencyDefault"
                                                           << "" << false << "mine"
                                                           << "无法写入 EmergencySound.txt，警报声没有改变";
    }
    void chooseTheSound() {
        QFETCH(QString, item);
        QFETCH(QString, picked);
        QFETCH(bool, writable);
        QFETCH(QString, stored);
        QFETCH(QString, message);
        Fixture f(QStringLiteral("|8:30:00*一>每天</sounds/one.wav"));
        for (const QString& name : {QStringLiteral("mine.wav"), QStringLiteral("siren.wav")}) {
            QFile sound(f.path(name));
            QVERIFY(sound.open(QIODevice::WriteOnly));
        }
        EmergencyBroadcast& emergency = f.remote->emergencyBroadcast();
        QVERIFY(emergency.chooseSound(f.path(QStringLiteral("mine.wav"))));
        const QString setting = f.path(EmergencyBroadcast::kSoundSetting);
        if (!writable)
            f.fake.files.unwritable.insert(setting);
        f.fake.dialogs.fileAnswers.push_back(picked.isEmpty() ? QString() : f.path(picked));
        auto* action = f.window->findChild<QAction*>(item);
        QVERIFY(action);
        action->trigger();

        const QString expected = stored == QLatin1String("mine") ? f.path(QStringLiteral("mine.wav"))
                                 : stored.isEmpty()              ? QString()
                                                                 : f.path(stored);
        QCOMPARE(SettingsStore(f.fake.files, f.dir.path()).text(EmergencyBroadcast::kSoundSetting), expected);
        QCOMPARE(emergency.chosenSound(), expected);
        QStringList shown;
        for (const auto& m : f.fake.dialogs.messages)
            shown << m.text;
        QCOMPARE(shown.join(QLatin1Char('\n')), message);
        f.fake.media.log.clear();
        QVERIFY(f.remote->emergency(true).ok);
        // The next start plays the choice, from where it waits prepared.
        QStringList siren;
        for (const QString& line : f.fake.media.log) {
            if (line.startsWith(kSiren))
                siren << line;
        }
        QCOMPARE(siren, QStringList{kSiren + QStringLiteral("play")});
        QCOMPARE(emergency.sound(), expected.isEmpty() ? emergency.builtInSound() : expected);
    }

    // Only the next bell is skipped, and the history says so.
    void skipOnlyTheNextBell() {
        Fixture f(QStringLiteral("|8:30:00*一>每天</sounds/one.wav|8:30:01*二>每天</sounds/two.wav"));
        QVERIFY(f.remote->skipNext().ok);
        f.tick();
        f.tick();
        const QStringList effects = f.effects();
        QVERIFY(!effects.contains(QStringLiteral("file /sounds/one.wav")));
        QVERIFY(effects.contains(QStringLiteral("file /sounds/two.wav")));
        const QString skipped = f.history().filter(QStringLiteral("跳过")).join(QLatin1Char('\n'));
        QVERIFY2(skipped.contains(QStringLiteral("one.wav")) && !skipped.contains(QStringLiteral("two.wav")),
                 qPrintable(f.history().join(QLatin1Char('\n'))));
    }
};

QTEST_MAIN(EmergencyInterplayTest)
#include "emergency_interplay_test.moc"
