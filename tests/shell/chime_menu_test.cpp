#include <QAction>
#include <QMenu>
#include <QTemporaryDir>
#include <QtTest>

#include "bells/chime.h"
#include "fakes/fake_platform.h"
#include "shell/bell_menus.h"

using quel::ProgramClock;

class ChimeMenuTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    std::unique_ptr<quel::fakes::FakePlatform> fake_;
    std::unique_ptr<quel::Media> bell_;
    std::unique_ptr<quel::Chime> chime_;
    std::unique_ptr<quel::ChimeMenu> menu_;

    QString prefix(char letter) const { return dir_.path() + "/toll/" + letter + '/' + letter; }
    QAction* item(const QString& name) { return menu_->menu()->findChild<QAction*>(name); }
    QStringList ticked() {
        QStringList names;
        for (const char* n : {"MenuTollOn", "MenuTollOff", "MenuTollRingChooseA", "MenuTollRingChooseB",
                              "MenuTollRingChooseC"}) {
            if (item(QLatin1String(n))->isChecked())
                names << QLatin1String(n);
        }
        return names;
    }
    static QStringList played(const QString& file) {
        return file.isEmpty() ? QStringList{} : QStringList{"m1 stop", "m1 file " + file, "m1 play"};
    }

private slots:
    void init() {
        fake_ = std::make_unique<quel::fakes::FakePlatform>(dir_.path());
        bell_ = fake_->media.create();
        chime_ = std::make_unique<quel::Chime>(fake_->platform, *bell_);
        menu_ = std::make_unique<quel::ChimeMenu>(*chime_);
    }
    void cleanup() {
        menu_.reset();
        chime_.reset();
        bell_.reset();
        fake_.reset();
    }

    void strikesTheWholeHourOnATwelveHourDial_data() {
        QTest::addColumn<ProgramClock>("clock");
        QTest::addColumn<QString>("file");  // empty: silent
        QTest::addRow("midnight strikes twelve") << ProgramClock{0, 0, 0} << "A12.WAV";
        QTest::addRow("noon strikes twelve") << ProgramClock{12, 0, 0} << "A12.WAV";
        QTest::addRow("one in the afternoon strikes one") << ProgramClock{13, 0, 0} << "A1.WAV";
        QTest::addRow("eleven at night strikes eleven") << ProgramClock{23, 0, 0} << "A11.WAV";
        QTest::addRow("one second past is silent") << ProgramClock{8, 0, 1} << "";
        QTest::addRow("one minute past is silent") << ProgramClock{8, 1, 0} << "";
    }
    void strikesTheWholeHourOnATwelveHourDial() {
        QFETCH(ProgramClock, clock);
        QFETCH(QString, file);
        chime_->applyTollSetting("开" + prefix('A'));
        chime_->hourlyChime(clock);
        QCOMPARE(fake_->media.log, played(file.isEmpty() ? file : dir_.path() + "/toll/A/" + file));
    }

    // The Windows version upper-cases its paths, and start-up's own repair writes "Toll".
    void aSoundPathInAnotherCaseStillRings_data() {
        QTest::addColumn<QString>("prefix");  // after the program folder
        QTest::addColumn<QString>("played");
        QTest::addRow("capitals") << "/TOLL/A/A"
                                  << "/toll/A/A1.WAV";
        QTest::addRow("the repair's spelling") << "/Toll/A/A"
                                               << "/toll/A/A1.WAV";
        QTest::addRow("lower case") << "/toll/a/a"
                                    << "/toll/A/A1.WAV";
        QTest::addRow("a sound that is nowhere plays as named") << "/TOLL/D/D"
                                                                << "/TOLL/D/D1.WAV";
    }
    void aSoundPathInAnotherCaseStillRings() {
        QFETCH(QString, prefix);
        QFETCH(QString, played);
        QDir(dir_.path()).mkpath("toll/A");
        QVERIFY(QFile(dir_.path() + "/toll/A/A1.WAV").open(QIODevice::WriteOnly));
        const QString setting = "开" + dir_.path() + prefix;
        chime_->applyTollSetting(setting);
        chime_->hourlyChime({13, 0, 0});
        QCOMPARE(fake_->media.log, this->played(dir_.path() + played));
        QCOMPARE(chime_->tollSetting(), setting);
        QVERIFY(fake_->files.writes.isEmpty());
    }

    void offIsSilentButListenStillPlaysTheChosenSound() {
        chime_->applyTollSetting("关" + prefix('B'));
        chime_->hourlyChime({0, 0, 0});
        QVERIFY(fake_->media.log.isEmpty());
        item("MenuTollListen")->trigger();
        QCOMPARE(fake_->media.log, played(prefix('B') + "12.WAV"));

        fake_->media.log.clear();
        chime_->applyTollSetting("开/elsewhere/Q");  // names no sound
        item("MenuTollListen")->trigger();
        QVERIFY(fake_->media.log.isEmpty());
    }

    void startupTicksFollowTheSetting_data() {
        QTest::addColumn<QString>("setting");
        QTest::addColumn<QStringList>("ticked");
        QTest::addRow("off with C") << "关" + prefix('C')
                                    << QStringList{"MenuTollOff", "MenuTollRingChooseC"};
        QTest::addRow("a lower-case last letter still names B")
            << "开" + dir_.path() + "/toll/b/b" << QStringList{"MenuTollOn", "MenuTollRingChooseB"};
        QTest::addRow("an unknown switch ticks neither 开 nor 关")
            << "X" + prefix('A') << QStringList{"MenuTollRingChooseA"};
        QTest::addRow("an empty setting ticks nothing") << QString() << QStringList{};
    }
    void startupTicksFollowTheSetting() {
        QFETCH(QString, setting);
        QFETCH(QStringList, ticked);
        chime_->applyTollSetting(setting);
        QCOMPARE(this->ticked(), ticked);
        QVERIFY(fake_->files.writes.isEmpty());
    }

    void menusRewriteTheSettingAndTheChimeObeys_data() {
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("clicked");
        QTest::addColumn<QString>("setting");
        QTest::addColumn<QStringList>("ticked");
        QTest::addColumn<QString>("struckAtOne");
        QTest::addRow("switching on keeps the sound")
            << "关" + prefix('B') << "MenuTollOn"
            << "开" + prefix('B') << QStringList{"MenuTollOn", "MenuTollRingChooseB"}
            << prefix('B') + "1.WAV";
        QTest::addRow("switching off silences the bell")
            << "开" + prefix('A') << "MenuTollOff"
            << "关" + prefix('A') << QStringList{"MenuTollOff", "MenuTollRingChooseA"} << QString();
        QTest::addRow("choosing C keeps the switch on")
            << "开" + prefix('A') << "MenuTollRingChooseC"
            << "开" + prefix('C') << QStringList{"MenuTollOn", "MenuTollRingChooseC"}
            << prefix('C') + "1.WAV";
        QTest::addRow("choosing a sound replaces a foreign prefix")
            << "关C:\\Clock\\toll\\A\\A"
            << "MenuTollRingChooseB"
            << "关" + prefix('B') << QStringList{"MenuTollOff", "MenuTollRingChooseB"} << QString();
    }
    void menusRewriteTheSettingAndTheChimeObeys() {
        QFETCH(QString, start);
        QFETCH(QString, clicked);
        QFETCH(QString, setting);
        QFETCH(QStringList, ticked);
        QFETCH(QString, struckAtOne);
        chime_->applyTollSetting(start);
        item(clicked)->trigger();
        QCOMPARE(fake_->files.read(dir_.path() + "/Toll.txt").value_or(""),
                 '"' + setting.toUtf8() + "\"\r\n");
        QCOMPARE(this->ticked(), ticked);
        chime_->hourlyChime({13, 0, 0});
        QCOMPARE(fake_->media.log, played(struckAtOne));
    }

    void clickingATickedItemChangesNothing_data() {
        QTest::addColumn<QString>("clicked");
        QTest::addRow("开 while on") << "MenuTollOn";
        QTest::addRow("钟声A while A is chosen") << "MenuTollRingChooseA";
    }
    void clickingATickedItemChangesNothing() {
        QFETCH(QString, clicked);
        chime_->applyTollSetting("开" + prefix('A'));
        item(clicked)->trigger();
        QVERIFY(fake_->files.writes.isEmpty());
        QCOMPARE(ticked(), (QStringList{"MenuTollOn", "MenuTollRingChooseA"}));
    }

    void aChoiceThatCannotBeWrittenIsTold_data() {
        QTest::addColumn<QString>("clicked");
        QTest::addColumn<bool>("unwritable");
        QTest::addRow("switched off, not written") << "MenuTollOff" << true;
        QTest::addRow("another sound, not written") << "MenuTollRingChooseB" << true;
        QTest::addRow("switched off, written") << "MenuTollOff" << false;
    }
    void aChoiceThatCannotBeWrittenIsTold() {
        QFETCH(QString, clicked);
        QFETCH(bool, unwritable);
        chime_->applyTollSetting("开" + prefix('A'));
        const QString path = dir_.path() + "/Toll.txt";
        if (unwritable)
            fake_->files.unwritable.insert(path);
        QSignalSpy told(chime_.get(), &quel::Chime::notSaved);
        item(clicked)->trigger();
        QCOMPARE(told.size(), unwritable ? 1 : 0);
        if (unwritable)
            QCOMPARE(told.first().first().toString(), path);
    }
};

QTEST_MAIN(ChimeMenuTest)
#include "chime_menu_test.moc"
