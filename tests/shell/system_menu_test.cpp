// The commands of the menu 系统 on a temporary program folder: 窗体状态, the power-off confirmation
// settings with their waiting time, and 系统重置, checked on the files' exact bytes.

#include <QAction>
#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include "fakes/fake_platform.h"
#include "platform/settings_names.h"
#include "power/power_off.h"
#include "shell/main_menus.h"
#include "shell/system_menu.h"

using namespace quel;
using namespace quel::fakes;

namespace {

QByteArray quoted(const QString& s) {
    return fileformat::quotedLine(s);
}

// The menu items of one power-off kind.
struct Items {
    PowerAction kind;
    QString file;
    QString on;
    QString off;
    QString current;
    QString fresh;
};

const Items kShutdown{PowerAction::Shutdown,
                      settings::kShut,
                      "MenuShutDownWindowsFormOn",
                      "MenuShutDownWindowsFormOff",
                      "MenuShutDownWindowsWaitTimeCurrent",
                      "MenuShutDownWindowsWaitTimeNew"};
const Items kRestart{PowerAction::Restart, settings::kRestart,           "MenuRestartFormOn",
                     "MenuRestartFormOff", "MenuRestartWaitTimeCurrent", "MenuRestartWaitTimeNew"};
const Items kLogoff{PowerAction::Logoff, settings::kLogoff,           "MenuLogoffFormon",
                    "MenuLogoffFormOff", "MenuLogoffWaitTimeCurrent", "MenuLogoffWaitTimeNew"};

const QString kRefusal = QStringLiteral("等待的秒数要大于1秒！");

}  // namespace

Q_DECLARE_METATYPE(Items)

class SystemMenuTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir_;
    std::unique_ptr<FakePlatform> fake_;
    std::unique_ptr<QWidget> owner_;
    std::unique_ptr<MainMenus> menus_;
    std::unique_ptr<PowerOff> power_;
    std::unique_ptr<SystemMenu> menu_;
    std::unique_ptr<QSignalSpy> quit_;

    QString path(const QString& name) const { return dir_->filePath(name); }
    QByteArray bytes(const QString& name) const { return DiskFiles().read(path(name)).value_or("<missing>"); }
    QAction* item(const QString& name) const { return menus_->action(name); }
    // Start-up as it reaches these menus: the files, the controller, the ticks.
    void start(const QString& shut, const QString& restart, const QString& logoff) {
        fake_->files.writeText(path(settings::kShut), shut);
        fake_->files.writeText(path(settings::kRestart), restart);
        fake_->files.writeText(path(settings::kLogoff), logoff);
        fake_->files.writes.clear();
        power_->load();
        menu_->showPowerSettings();
    }
    QStringList shown(const Items& items) const {
        return {item(items.on)->isChecked() ? "开 ticked" : "开",
                item(items.off)->isChecked() ? "关 ticked" : "关", item(items.current)->text()};
    }
    QStringList messageTexts() const {
        QStringList texts;
        for (const ShownMessage& m : fake_->dialogs.messages)
            texts << m.text;
        return texts;
    }

private slots:
    void init() {
        dir_ = std::make_unique<QTemporaryDir>();
        for (const char* sub : {"DayTimeTable", "PlayListFile"})
            QDir(dir_->path()).mkpath(QLatin1String(sub));
        fake_ = std::make_unique<FakePlatform>(dir_->path());
        owner_ = std::make_unique<QWidget>();
        menus_ = std::make_unique<MainMenus>(owner_.get(), nullptr, nullptr);
        power_ = std::make_unique<PowerOff>(fake_->power, fake_->files, dir_->path());
        power_->setAutomaticCount(false);
        menu_ = std::make_unique<SystemMenu>(fake_->platform, *menus_, *power_);
        quit_ = std::make_unique<QSignalSpy>(menu_.get(), &SystemMenu::quitRequested);
        start("开60", "开60", "开60");
    }
    void cleanup() {
        quit_.reset();
        menu_.reset();
        power_.reset();
        menus_.reset();
        owner_.reset();
        fake_.reset();
        dir_.reset();
    }

    void confirmationOffAndOnAgain_data() {
        QTest::addColumn<Items>("items");
        QTest::addRow("关机") << kShutdown;
        QTest::addRow("重启") << kRestart;
        QTest::addRow("注销") << kLogoff;
    }
    void confirmationOffAndOnAgain() {
        QFETCH(Items, items);
        QCOMPARE(shown(items), QStringList({"开 ticked", "关", "当前值:60秒"}));
        item(items.off)->trigger();
        QCOMPARE(bytes(items.file), quoted("关60"));
        QCOMPARE(shown(items), QStringList({"开", "关 ticked", "当前值:60秒"}));
        QCOMPARE(power_->setting(items.kind), QStringLiteral("关60"));
        item(items.on)->trigger();
        QCOMPARE(bytes(items.file), quoted("开60"));
        QCOMPARE(shown(items), QStringList({"开 ticked", "关", "当前值:60秒"}));
        QCOMPARE(fake_->files.writes, QStringList({path(items.file), path(items.file)}));
    }

    void aTickedItemStaysTickedAndWritesNothing() {
        MainMenus::choose(menus_->formState, menus_->formShow);
        for (const QString& name : {kShutdown.on, kRestart.on, kLogoff.on, QStringLiteral("FormShow")}) {
            item(name)->trigger();
            QVERIFY2(item(name)->isChecked(), qPrintable(name));
        }
        QCOMPARE(fake_->files.writes, QStringList{});
    }

    void aValueWithoutItsMarkGetsMarkAndSeconds_data() {
        QTest::addColumn<QString>("setting");
        QTest::addColumn<QString>("clicked");
        QTest::addColumn<QString>("written");
        QTest::addRow("bare number, 关") << "60" << kShutdown.off << "关60";
        QTest::addRow("empty, 开") << "" << kShutdown.on << "开60";
        QTest::addRow("mark without seconds, 关") << "开" << kShutdown.off << "关60";
    }
    void aValueWithoutItsMarkGetsMarkAndSeconds() {
        QFETCH(QString, setting);
        QFETCH(QString, clicked);
        QFETCH(QString, written);
        start(setting, "开60", "开60");
        item(clicked)->trigger();
        QCOMPARE(bytes(settings::kShut), quoted(written));
        QCOMPARE(shown(kShutdown).mid(0, 2), QStringList({clicked == kShutdown.on ? "开 ticked" : "开",
                                                          clicked == kShutdown.off ? "关 ticked" : "关"}));
    }

    void newWaitingTimeKeepsTheMark() {
        start("开60", "关60", "开60");
        fake_->dialogs.inputAnswers = {"30"};
        item(kRestart.fresh)->trigger();
        const QList<QStringList> asked = {
            {"Quelbrook", "请设定Windows系统发生重新启动事件前等待用户响应的时间(秒)：", "60"}};
        QCOMPARE(fake_->dialogs.inputs, asked);
        QCOMPARE(bytes(settings::kRestart), quoted("关30"));
        QCOMPARE(shown(kRestart), QStringList({"开", "关 ticked", "当前值:30秒"}));
        QCOMPARE(power_->setting(PowerAction::Restart), QStringLiteral("关30"));
        QCOMPARE(fake_->dialogs.messages.size(), 0);
    }

    void aRefusedWaitingTimeAsksAgain_data() {
        QTest::addColumn<QString>("answer");
        QTest::addRow("zero") << "0";
        QTest::addRow("one") << "1";
        QTest::addRow("letters after the number") << "30abc";
        QTest::addRow("a fraction") << "1.5";
        QTest::addRow("beyond the largest") << "32768";
    }
    void aRefusedWaitingTimeAsksAgain() {
        QFETCH(QString, answer);
        fake_->dialogs.inputAnswers = {answer, QStringLiteral("４５")};
        item(kLogoff.fresh)->trigger();
        QCOMPARE(fake_->dialogs.inputs.size(), 2);
        QCOMPARE(fake_->dialogs.inputs[1][2], QStringLiteral("60"));  // preset with the old value
        QCOMPARE(fake_->dialogs.messages.size(), 1);
        QCOMPARE(fake_->dialogs.messages[0].text, kRefusal);
        QCOMPARE(fake_->dialogs.messages[0].icon, MessageIcon::Error);
        QCOMPARE(bytes(settings::kLogoff), quoted("开45"));
        QCOMPARE(item(kLogoff.current)->text(), QStringLiteral("当前值:45秒"));
    }

    void anEmptyAnswerChangesNothing() {
        fake_->dialogs.inputAnswers = {QStringLiteral("  ")};
        item(kShutdown.fresh)->trigger();
        QCOMPARE(fake_->dialogs.inputs.size(), 1);
        QCOMPARE(fake_->files.writes, QStringList{});
        QCOMPARE(power_->setting(PowerAction::Shutdown), QStringLiteral("开60"));
    }

    void anUnwritableSettingChangesNothing() {
        fake_->files.unwritable << path(settings::kShut);
        item(kShutdown.off)->trigger();
        QCOMPARE(shown(kShutdown), QStringList({"开 ticked", "关", "当前值:60秒"}));
        QCOMPARE(power_->setting(PowerAction::Shutdown), QStringLiteral("开60"));
        QCOMPARE(messageTexts(), QStringList{"无法保存文件：" + path(settings::kShut)});
        QCOMPARE(bytes(settings::kShut), quoted("开60"));
    }

    void windowStateAtStart() {
        MainMenus::choose(menus_->formState, menus_->formShow);
        item(QStringLiteral("FormHide"))->trigger();
        QCOMPARE(bytes(settings::kShow), quoted("hide"));
        QVERIFY(item(QStringLiteral("FormHide"))->isChecked() &&
                !item(QStringLiteral("FormShow"))->isChecked());
        item(QStringLiteral("FormHide"))->trigger();
        QCOMPARE(fake_->files.writes.size(), 1);
        item(QStringLiteral("FormShow"))->trigger();
        QCOMPARE(bytes(settings::kShow), quoted("show"));
        QVERIFY(item(QStringLiteral("FormShow"))->isChecked() &&
                !item(QStringLiteral("FormHide"))->isChecked());
    }

    void immediateShutdownAsksTheSystemAtOnce() {
        item(QStringLiteral("ShutWindows98"))->trigger();
        QCOMPARE(fake_->power.calls, QStringList{"shutdown interactive"});
    }

    void resetWritesTheDefaultsAndEnds() {
        const QString p = dir_->path();
        fake_->tray.add(QIcon(), QStringLiteral("tip"), nullptr);
        start("关30", "开5", "关");
        DiskFiles().write(path(settings::kDefaultTable), quoted("|8:00:00*没有注释>每天<校时"));
        DiskFiles().write(path(settings::kDefaultPlayList), "|/music/a.mp3");
        fake_->dialogs.answers = {Answer::Yes};
        item(QStringLiteral("MenuSystemRefresh"))->trigger();

        QCOMPARE(fake_->dialogs.messages.size(), 2);
        QCOMPARE(fake_->dialogs.messages[0].text, QStringLiteral("重新设置整个系统的参数,你确定吗?"));
        QCOMPARE(fake_->dialogs.messages[0].icon, MessageIcon::Question);
        QCOMPARE(fake_->dialogs.messages[1].text, QStringLiteral("重置成功!请重新启动程序,使设置生效!"));
        QCOMPARE(fake_->dialogs.messages[1].icon, MessageIcon::Information);
        const QList<std::pair<QString, QByteArray>> expected = {
            {settings::kAutoRun, quoted("YES")},
            {settings::kTimeSet, quoted("minute")},
            {settings::kToll, quoted("关" + p + "/toll/A/A")},
            {settings::kShow, quoted("show")},
            {settings::kShut, quoted("开60")},
            {settings::kRestart, quoted("开60")},
            {settings::kLogoff, quoted("开60")},
            {settings::kPlayOrder, quoted("1")},
            {settings::kPlayerActive, "1\r\n"},
            {settings::kDefaultTable, "\"\"\r\n"},
            {settings::kDefaultPlayList, ""},
            {settings::kResetSystem, "1\r\n"},
            {settings::kDefaultDtt, quoted("Reset_System_OK")},
            {settings::kDefaultPlf, quoted("Reset_System_OK")},
            {settings::kUserWav, quoted(p + "/timeup.mp3")},
            {settings::kInterval, "1000\r\n"},
            {settings::kRadio, "1\r\n"},
        };
        for (const auto& [name, content] : expected)
            QCOMPARE(bytes(name), content);
        QCOMPARE(fake_->autostart.calls, QStringList{"enable /opt/quelbrook/quelbrook"});
        QVERIFY(!fake_->tray.isShown());
        QCOMPARE(quit_->size(), 1);
    }

    void noToTheResetQuestionChangesNothing() {
        fake_->tray.add(QIcon(), QStringLiteral("tip"), nullptr);
        fake_->dialogs.answers = {Answer::No};
        item(QStringLiteral("MenuSystemRefresh"))->trigger();
        QCOMPARE(fake_->files.writes, QStringList{});
        QCOMPARE(fake_->autostart.calls, QStringList{});
        QVERIFY(fake_->tray.isShown());
        QCOMPARE(quit_->size(), 0);
    }

    void aResetThatCouldNotWriteKeepsTheProgram() {
        fake_->tray.add(QIcon(), QStringLiteral("tip"), nullptr);
        fake_->files.unwritable << path(settings::kInterval);
        fake_->dialogs.answers = {Answer::Yes};
        item(QStringLiteral("MenuSystemRefresh"))->trigger();
        QCOMPARE(fake_->dialogs.messages.size(), 2);
        QCOMPARE(fake_->dialogs.messages[1].text,
                 QStringLiteral("系统重置失败!有的设置文件无法保存,程序将继续运行。"));
        QCOMPARE(fake_->dialogs.messages[1].icon, MessageIcon::Error);
        // The files after the unwritable one were still written.
        QCOMPARE(bytes(settings::kRadio), QByteArray("1\r\n"));
        QVERIFY(fake_->tray.isShown());
        QCOMPARE(quit_->size(), 0);
    }
};

QTEST_MAIN(SystemMenuTest)
#include "system_menu_test.moc"
