#include "shell/main_window.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QWindow>
#include <utility>

#include "bells/alarm.h"
#include "bells/alarm_panel.h"
#include "bells/chime.h"
#include "engine/clock_tick.h"
#include "history/history.h"
#include "platform/named.h"
#include "platform/window_place.h"
#include "player/broadcaster.h"
#include "power/power_off.h"
#include "power/power_windows.h"
#include "radio/radio_control.h"
#include "radio/radio_windows.h"
#include "schedule/entry_choices.h"
#include "schedule/entry_editor.h"
#include "schedule/schedule_list.h"
#include "schedule/table_commands.h"
#include "shell/bell_menus.h"
#include "shell/calendar_wiring.h"
#include "shell/calibration_window.h"
#include "shell/campus_shell.h"
#include "shell/elided_label.h"
#include "shell/info/about_window.h"
#include "shell/info/placement.h"
#include "shell/info/show_once.h"
#include "shell/info/text_windows.h"
#include "shell/info/version.h"
#include "shell/main_menus.h"
#include "shell/remote_page_wiring.h"
#include "shell/reset_defaults.h"
#include "shell/response_router.h"
#include "shell/system_menu.h"
#include "shell/unattended.h"

namespace quel {

MainWindow::MainWindow(Platform& platform, QWidget* parent)
    : QMainWindow(parent),
      platform_(platform),
      store_(platform.files, platform.programFolder),
      table_(platform.files),
      mediaPlayer1_(platform.media.create()),
      mediaPlayer2_(platform.media.create()) {
    setObjectName(QStringLiteral("Formall"));
    mediaPlayer1_->setObjectName(QStringLiteral("MediaPlayer1"));
    mediaPlayer2_->setObjectName(QStringLiteral("MediaPlayer2"));
    chime_ = new Chime(platform_, *mediaPlayer2_, this);
    alarm_ = new Alarm(platform_, *mediaPlayer1_, this);
    radio_ = new RadioControl(platform_.lineIn, platform_.files, platform_.programFolder, this);
    powerOff_ = new PowerOff(platform_.power, platform_.files, platform_.programFolder, this);
    broadcaster_ = new Broadcaster(platform_, this);
    router_ = std::make_unique<ResponseRouter>(table_, *mediaPlayer1_, *broadcaster_, *radio_, *powerOff_);
    tick_ = new ClockTick(
        platform_.clock, platform_.launcher, [this] { return table_.entries(); }, *router_, this);
    auto* chimeMenu = new ChimeMenu(*chime_, this);
    auto* alarmMenu = new AlarmMenu(*alarm_, this);
    menus_ = std::make_unique<MainMenus>(this, chimeMenu->menu(), alarmMenu->menu());
    menus_->fillMenuBar(menuBar());
    systemMenu_ = new SystemMenu(platform_, *menus_, *powerOff_, this);
    buildFace();
    wireCommands();
    unattended_ = new Unattended({platform_, *tick_, table_, *chime_, *alarm_, *alarmPanel_, *mediaPlayer1_,
                                  *mediaPlayer2_, *powerOff_, *radio_, *list_, *menus_, *next_, *this},
                                 this);
    // Failures of the features that do not know the history, written beside everything else.
    History& history = unattended_->history();
    calendar_ = new CalendarWiring(
        {platform_, *tick_, table_, history, *unattended_, *menus_->menu(QStringLiteral("Menu1")), *this},
        this);
    connect(broadcaster_, &Broadcaster::tracksSkipped, this, [&history](const QStringList& paths) {
        history.record(HistoryKind::Broadcast, skippedTracksText(paths), Outcome::Failed,
                       QStringLiteral("曲目无法播放，已跳过"));
    });
    connect(broadcaster_, &Broadcaster::broadcastStopped, this,
            [&history](const QString& list, const QString& reason) {
                history.record(HistoryKind::Broadcast, list, Outcome::Failed, reason);
            });
    campus_ = new CampusShell(platform_, *menus_, history, table_,
                              {editor_, tableButtons_.newTable, tableButtons_.openTable,
                               tableButtons_.deleteEntry, tableButtons_.clear},
                              this);
    connect(tick_, &ClockTick::advanced, campus_, &CampusShell::onTick);
    connect(campus_, &CampusShell::lockChanged, this, &MainWindow::showCurrentTable);
    // The bundle carries 按系统秒打铃: every building rings on the second, or none does.
    connect(&campus_->campus(), &campus::Campus::installed, unattended_, &Unattended::readOnTheSecond);
    remotePage_ = new RemotePageWiring(platform_, *menus_, history, *this);
    campus_->shareThrough(remotePage_->feature().page());
    connect(&platform_.instance, &InstanceGuard::activateRequested, this, &MainWindow::restore);
    connect(&platform_.tray, &Tray::leftClicked, this, &MainWindow::restore);
}

MainWindow::~MainWindow() {
    // The media components, the table and the settings store are members, which C++ ends before
    // QObject deletes the children that use them: the features, panels and commands. Those go first
    // here, the latest made first, as members would.
    delete takeCentralWidget();
    QList<QPointer<QObject>> owned;
    for (QObject* child : children()) {
        if (!child->isWidgetType() && !qobject_cast<QLayout*>(child))
            owned.prepend(child);
    }
    for (const QPointer<QObject>& child : owned)
        delete child.data();
}

void MainWindow::buildFace() {
    auto* face = new QWidget;
    auto* layout = new QGridLayout(face);
    // Tight enough that the window, frame included, fits a 1024-pixel-wide screen.
    constexpr int kEdge = 4;
    layout->setContentsMargins(kEdge, kEdge, kEdge, kEdge);
    layout->setHorizontalSpacing(kEdge);

    auto* head = new QHBoxLayout;
    title_ = named(new QLabel(version::kTitle), "Label1");
    QFont big = title_->font();
    big.setPointSize(big.pointSize() + 6);
    big.setBold(true);
    title_->setFont(big);
    edition_ = named(new QLabel(version::edition()), "Label9");
    edition_->setToolTip(QStringLiteral("点击鼠标右键可以退出本程序"));
    for (QLabel* l : {title_, edition_})
        l->installEventFilter(this);
    // Left-aligned with the room to the right of it: its uptime grows a digit now and then, and a
    // right-aligned line would then shift sideways under the reader's eye every second.
    status_ = named(new QLabel, "Label5");
    head->addWidget(title_);
    head->addWidget(edition_);
    head->addSpacing(title_->fontMetrics().averageCharWidth() * 2);
    head->addWidget(status_, 1);
    layout->addLayout(head, 0, 0, 1, 2);
    // A row of its own: a long comment or command line is shortened to the room there instead of
    // widening the window, and the count at its end moves nothing else.
    next_ = named(new ElidedLabel, "LabelNext");
    layout->addWidget(next_, 1, 0, 1, 2);

    list_ = new ScheduleList(table_);
    layout->addWidget(list_, 2, 0);

    auto* tableRow = new QHBoxLayout;
    tableName_ = named(new QLabel, "Label2");
    tableRow->addWidget(tableName_, 1);
    startTable_ = named(new QLabel, "LabelStartTable");
    tableRow->addWidget(startTable_);
    makeDefault_ = named(new QPushButton(QStringLiteral("默认")), "Command7");
    tableButtons_ = {named(new QPushButton(QStringLiteral("新建")), "Command5"),
                     named(new QPushButton(QStringLiteral("打开")), "Command6"), makeDefault_,
                     named(new QPushButton(QStringLiteral("删除")), "Command2"),
                     named(new QPushButton(QStringLiteral("清空")), "Command4")};
    for (QPushButton* b : {tableButtons_.newTable, tableButtons_.openTable, tableButtons_.makeDefault,
                           tableButtons_.deleteEntry, tableButtons_.clear})
        tableRow->addWidget(b);
    layout->addLayout(tableRow, 3, 0);

    choices_ = std::make_unique<EntryChoices>(platform_.dialogs, *mediaPlayer1_, platform_.programFolder);
    editor_ = new EntryEditor(*choices_);
    layout->addWidget(editor_, 2, 1, 2, 1);

    auto* foot = new QHBoxLayout;
    alarmPanel_ = new AlarmPanel(*alarm_);
    foot->addWidget(alarmPanel_);
    foot->addStretch();
    emergency_ = named(new QPushButton(QStringLiteral("紧急广播")), "CommandEmergency");
    emergency_->setCheckable(true);
    foot->addWidget(emergency_);
    auto* hide = named(new QPushButton(QStringLiteral("隐藏")), "Command3");
    connect(hide, &QPushButton::clicked, this, &MainWindow::hideToTray);
    foot->addWidget(hide);
    layout->addLayout(foot, 4, 0, 1, 2);

    setCentralWidget(face);
}

void MainWindow::wireCommands() {
    connect(&table_, &TableDocument::changed, this, &MainWindow::showCurrentTable);
    tableCommands_ = new TableCommands(table_, platform_.dialogs, platform_.files, platform_.programFolder,
                                       version::title(), this);
    wireTableCommands(*tableCommands_, *editor_, *list_, tableButtons_);
    connect(tick_, &ClockTick::advanced, chime_, &Chime::hourlyChime);
    connect(tick_, &ClockTick::quietSecond, alarmPanel_, &AlarmPanel::alarmStep);
    connect(tick_, &ClockTick::statusChanged, this, [this](const QString& line) {
        // A hidden or minimized window is not looked at; repainting it would only wake the program.
        if (isVisible() && !isMinimized())
            status_->setText(line);
    });

    MainMenus& m = *menus_;
    // A click on the ticked item unticks it (checked false): it is ticked again and nothing is written.
    connect(m.autorunOn, &QAction::triggered, this, [this](bool checked) {
        if (checked)
            startWithSessionOn(store_, platform_.autostart, platform_.executable);
        else
            menus_->autorunOn->setChecked(true);
    });
    connect(m.autorunOff, &QAction::triggered, this, [this](bool checked) {
        if (checked)
            startWithSessionOff(store_, platform_.autostart);
        else
            menus_->autorunOff->setChecked(true);
    });
    new PowerOffWindows(*powerOff_, this);
    connect(powerOff_, &PowerOff::quitRequested, this, &MainWindow::endProgram);
    connect(systemMenu_, &SystemMenu::quitRequested, this, &MainWindow::endProgram);
    for (QAction* hideItem : {m.hideMe, m.hideWindow})
        connect(hideItem, &QAction::triggered, this, &MainWindow::hideToTray);
    connect(m.showWindow, &QAction::triggered, this, &MainWindow::restore);
    connect(m.exit, &QAction::triggered, this, &MainWindow::exitProgram);
    connect(m.justMyTimeAuto, &QAction::triggered, tick_, &ClockTick::justMyTime);
    connect(m.justMyTimeByHand, &QAction::triggered, this, [this] {
        if (!calibration_) {
            calibration_ = new FormJustTimeByHand(*tick_, platform_.files, platform_.dialogs,
                                                  platform_.programFolder, this);
            calibration_->setAttribute(Qt::WA_DeleteOnClose);
        }
        showOver(calibration_, this);
    });
    for (QAction* about : {m.about, m.softEdition})
        connect(about, &QAction::triggered, this, [this] { showOnce<AboutWindow>(this); });
    connect(m.player, &QAction::triggered, broadcaster_, &Broadcaster::showPlayer);
    connect(broadcaster_, &Broadcaster::playerLoadedChanged, m.player,
            [player = m.player](bool loaded) { player->setEnabled(!loaded); });
    auto* radioWindows = new RadioWindows(*radio_, platform_, this, placeTopCentre);
    connect(m.radioLine, &QAction::triggered, radioWindows, &RadioWindows::showLineInSettings);
    connect(m.help, &QAction::triggered, this, [this] { showOnce<HelpWindow>(this); });
    connect(m.tips, &QAction::triggered, this, [this] { showOnce<TipsWindow>(this); });
}

void MainWindow::showCurrentTable() {
    const QString& path = table_.currentPath();
    const QString name = platform_.files.exists(path) ? fileNamePart(path) : QString();
    tableName_->setText(QStringLiteral("文件:") + name);
    tableName_->setToolTip(QStringLiteral("文件:") + path);
    // A follower's default table is the source's choice.
    makeDefault_->setEnabled(!table_.isDefault() && !(campus_ && campus_->campus().editingLocked()));
    makeDefault_->setToolTip(QStringLiteral("当前默认的全天时间表文件是：") + table_.defaultPath());
    // An operator who opened another table and added a bell would otherwise lose it, without a word,
    // at the next start, which loads the default table again.
    const bool shownLoadsAtStart = table_.isDefault();
    startTable_->setText(QStringLiteral("开机加载：") + fileNamePart(table_.defaultPath()) +
                         (shownLoadsAtStart ? QString() : QStringLiteral("（不是本表，按“默认”改为本表）")));
    startTable_->setToolTip(QStringLiteral("下次启动时加载：") + table_.defaultPath());
    startTable_->setStyleSheet(shownLoadsAtStart ? QString()
                                                 : QStringLiteral("color: #b00000; font-weight: bold;"));
}

void MainWindow::hideToTray() {
    if (!platform_.tray.isAvailable()) {
        // Without a tray there would be no way back to a hidden window.
        showMinimized();
        return;
    }
    platform_.tray.add(windowIcon(), version::titleWithVersion(), menus_->tray);
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
    endProgram();
}

void MainWindow::endProgram() {
    // Not quit(): it first closes every window, and the close box hides to the tray instead, so the
    // program would run on; a count-down window closed that way would cancel its power-off too.
    exiting_ = true;
    QCoreApplication::exit(0);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (exiting_) {
        event->accept();
        return;
    }
    // The close box only puts the window away; the program keeps ringing. 结束程序 ends it.
    event->ignore();
    hideToTray();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == windowHandle() && event->type() == QEvent::Expose && windowHandle()->isExposed()) {
        // The first time the window is on the screen: now framed, it can be placed by its frame, and
        // minimized where the window manager ignored the request made before.
        windowHandle()->removeEventFilter(this);
        QMetaObject::invokeMethod(
            this,
            [this] {
                placeAtTopCentre();
                if (std::exchange(minimizeWhenExposed_, false))
                    showMinimized();
            },
            Qt::QueuedConnection);
    }
    if ((watched == title_ || watched == edition_) && event->type() == QEvent::MouseButtonRelease) {
        auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::RightButton)
            menus_->exitMenu->popup(mouse->globalPosition().toPoint());
    }
    return QMainWindow::eventFilter(watched, event);
}

}  // namespace quel
