#include "shell/main_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QGridLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "engine/alarm.h"
#include "engine/alarm_panel.h"
#include "engine/calibration_window.h"
#include "engine/chime.h"
#include "engine/clock_tick.h"
#include "platform/named.h"
#include "schedule/entry_editor.h"
#include "schedule/schedule_list.h"
#include "shell/info/about_window.h"
#include "shell/info/app_icon.h"
#include "shell/info/show_once.h"
#include "shell/info/text_windows.h"
#include "shell/info/version.h"
#include "shell/main_menus.h"
#include "shell/reset_defaults.h"

namespace quel {

namespace {}  // namespace

MainWindow::MainWindow(Platform& platform, QWidget* parent)
    : QMainWindow(parent),
      platform_(platform),
      store_(platform.files, platform.programFolder),
      mediaPlayer1_(platform.media.create()),
      mediaPlayer2_(platform.media.create()) {
    setObjectName(QStringLiteral("Formall"));
    setWindowIcon(appIcon());
    mediaPlayer1_->setObjectName(QStringLiteral("MediaPlayer1"));
    mediaPlayer2_->setObjectName(QStringLiteral("MediaPlayer2"));
    chime_ = new Chime(platform_, *mediaPlayer2_, this);
    alarm_ = new Alarm(platform_, *mediaPlayer1_, this);
    tick_ = new ClockTick(platform_.clock, platform_.launcher, *this, this);
    menus_ = std::make_unique<MainMenus>(this, chime_->chimeMenu(), alarm_->alarmMenu());
    menus_->fillMenuBar(menuBar());
    buildFace();
    wireCommands();
    connect(&platform_.instance, &InstanceGuard::activateRequested, this, &MainWindow::restore);
    connect(&platform_.tray, &Tray::leftClicked, this, &MainWindow::restore);
}

MainWindow::~MainWindow() = default;

void MainWindow::buildFace() {
    auto* face = new QWidget;
    auto* layout = new QGridLayout(face);

    auto* head = new QHBoxLayout;
    title_ = named(new QLabel(version::kTitle), "Label1");
    QFont big = title_->font();
    big.setPointSize(big.pointSize() + 6);
    big.setBold(true);
    title_->setFont(big);
    edition_ = named(new QLabel(QStringLiteral("『Quelbrook 7.0版』")), "Label9");
    edition_->setToolTip(QStringLiteral("点击鼠标右键可以退出本程序"));
    for (QLabel* l : {title_, edition_})
        l->installEventFilter(this);
    status_ = named(new QLabel, "Label5");
    head->addWidget(title_);
    head->addWidget(edition_);
    head->addStretch();
    head->addWidget(status_);
    layout->addLayout(head, 0, 0, 1, 2);

    list_ = new ScheduleList;
    layout->addWidget(list_, 1, 0);

    auto* tableRow = new QHBoxLayout;
    tableName_ = named(new QLabel, "Label2");
    tableRow->addWidget(tableName_, 1);
    makeDefault_ = named(new QPushButton(QStringLiteral("默认")), "Command7");
    for (QPushButton* b : {named(new QPushButton(QStringLiteral("新建")), "Command5"),
                           named(new QPushButton(QStringLiteral("打开")), "Command6"), makeDefault_,
                           named(new QPushButton(QStringLiteral("删除")), "Command2"),
                           named(new QPushButton(QStringLiteral("清空")), "Command4")})
        tableRow->addWidget(b);
    layout->addLayout(tableRow, 2, 0);

    editor_ = new EntryEditor;
    layout->addWidget(editor_, 1, 1, 2, 1);

    auto* foot = new QHBoxLayout;
    alarmPanel_ = new AlarmPanel(*alarm_);
    foot->addWidget(alarmPanel_);
    foot->addStretch();
    foot->addWidget(named(new QPushButton(QStringLiteral("隐藏")), "Command3"));
    // The tone response's entry point; never shown.
    tone_ = named(new QPushButton(QString()), "Command8");
    tone_->hide();
    foot->addWidget(tone_);
    layout->addLayout(foot, 3, 0, 1, 2);

    setCentralWidget(face);
}

void MainWindow::wireCommands() {
    auto on = [this](const char* name, auto&& slot) {
        connect(menus_->action(QString::fromLatin1(name)), &QAction::triggered, this, slot);
    };
    on("AUTORUNYES", [this] {
        menus_->tick(QStringLiteral("AUTORUNYES"), {QStringLiteral("AUTORUNNO")});
        startWithSessionOn(store_, platform_.autostart, platform_.executable);
    });
    on("AUTORUNNO", [this] {
        menus_->tick(QStringLiteral("AUTORUNNO"), {QStringLiteral("AUTORUNYES")});
        startWithSessionOff(store_, platform_.autostart);
    });
    on("Hindme", &MainWindow::hideToTray);
    on("HideWin", &MainWindow::hideToTray);
    on("ShowWin", &MainWindow::restore);
    on("MenuzExit", &MainWindow::exitProgram);
    on("MenuJustMyTimeAuto", [this] { tick_->justMyTime(); });
    on("MenuJustMyTimeByHand", [this] {
        if (!calibration_) {
            calibration_ = new FormJustTimeByHand(*tick_, platform_.files, platform_.dialogs,
                                                  platform_.programFolder, this);
            calibration_->setAttribute(Qt::WA_DeleteOnClose);
        }
        calibration_->show();
        calibration_->raise();
        calibration_->activateWindow();
    });
    on("MenuAbout", [this] { showOnce<AboutWindow>(this); });
    on("SoftEdit", [this] { showOnce<AboutWindow>(this); });
    on("MenuHelp", [this] { showOnce<HelpWindow>(this); });
    on("MenuSkill", [this] { showOnce<TipsWindow>(this); });
    connect(findChild<QPushButton*>(QStringLiteral("Command3")), &QPushButton::clicked, this,
            &MainWindow::hideToTray);
    connect(tone_, &QPushButton::clicked, this, [this] {
        // A tone cuts off whatever the tone player was sounding, alarm included.
        mediaPlayer1_->stop();
        mediaPlayer1_->setFileName(ToneFile);
        mediaPlayer1_->play();
    });
}

void MainWindow::hideToTray() {
    if (!platform_.tray.isAvailable()) {
        // Without a tray there would be no way back to a hidden window.
        showMinimized();
        return;
    }
    platform_.tray.add(windowIcon(), version::titleWithVersion(), menus_->trayMenu());
    hide();
}

void MainWindow::restore() {
    if (isMinimized())
        setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

void MainWindow::exitProgram() {
    if (platform_.dialogs.message(version::kTitle, QStringLiteral("真要退出程序吗?"), MessageIcon::Question,
                                  MessageButtons::YesNo) != Answer::Yes)
        return;
    platform_.tray.remove();
    QApplication::quit();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // The close box only puts the window away; the program keeps ringing. 结束程序 ends it.
    event->ignore();
    hideToTray();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if ((watched == title_ || watched == edition_) && event->type() == QEvent::MouseButtonRelease) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::RightButton)
            menus_->exitMenu()->popup(mouse->globalPosition().toPoint());
    }
    return QMainWindow::eventFilter(watched, event);
}

}  // namespace quel
