#include "shell/campus_shell.h"

#include <QAction>
#include <QMenu>
#include <QWidget>

#include "history/history.h"
#include "platform/files.h"
#include "platform/settings_names.h"
#include "remote/web/remote_page.h"
#include "schedule/table_document.h"
#include "shell/main_menus.h"

namespace quel {

namespace {

const QString kTitle = QStringLiteral("多机同步");

class HistoryLog final : public campus::CampusLog {
public:
    explicit HistoryLog(History& history) : history_(history) {}
    void write(const QString& what, const QString& result, bool failed) override {
        if (failed)
            history_.record(HistoryKind::Table, what, Outcome::Failed, result);
        else
            history_.record(HistoryKind::Table, what + QStringLiteral(": ") + result);
    }

private:
    History& history_;
};

QString dateText(const QDateTime& t) {
    return t.isValid() ? t.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))
                       : QStringLiteral("无");
}

}  // namespace

QString campusStatusText(const campus::CampusStatus& s, const campus::FollowersSeen& followers) {
    using campus::ClockState;
    using campus::Role;
    QStringList lines;
    switch (s.role) {
        case Role::Off:
            lines << QStringLiteral("本机未加入多机同步");
            break;
        case Role::Source:
            lines << QStringLiteral("角色: 主控，发布到 %1").arg(s.address);
            break;
        case Role::Follower:
            lines << QStringLiteral("角色: 分控，跟随 %1").arg(s.address);
            break;
    }
    if (s.role != Role::Off) {
        lines << QStringLiteral("版本: %1 (%2)")
                     .arg(s.version ? QString::number(s.version) : QStringLiteral("无"),
                          dateText(s.published));
        lines << QStringLiteral("上次同步: %1 %2").arg(dateText(s.lastFetch), s.lastResult);
        const QString clock = s.clock.sync == ClockState::Sync::Synchronized ? QStringLiteral("已同步")
                              : s.clock.sync == ClockState::Sync::NotSynchronized ? QStringLiteral("未同步")
                                                                                  : QStringLiteral("未知");
        lines << QStringLiteral("系统时钟: %1 (%2)").arg(clock, s.clock.detail);
        if (!s.publicKey.isEmpty())
            lines << QStringLiteral("公钥: %1").arg(s.publicKey);
    }
    if (s.role == Role::Source) {
        const QString title = QStringLiteral("最近一小时同步过的分控");
        if (followers.logPath.isEmpty() && !followers.servedHere)
            lines << QStringLiteral("%1: 未知 (分控经 web 服务器同步时，在 %2/%3 写下它的访问日志的路径)")
                         .arg(title, campus::kCampusFolder, campus::kServerLogName);
        else if (!followers.error.isEmpty() && followers.followers.isEmpty())
            lines << QStringLiteral("%1: %2").arg(title, followers.error);
        else if (followers.followers.isEmpty())
            lines << QStringLiteral("%1: 无").arg(title);
        else if (!followers.error.isEmpty())
            lines << QStringLiteral("%1 (%2; %3):")
                         .arg(title)
                         .arg(followers.followers.size())
                         .arg(followers.error);
        else
            lines << QStringLiteral("%1 (%2):").arg(title).arg(followers.followers.size());
        for (const campus::FollowerSeen& f : followers.followers)
            lines << QStringLiteral("  %1  %2  版本 %3")
                         .arg(f.address, dateText(f.lastFetch),
                              f.version ? QString::number(f.version) : QStringLiteral("未知"));
    }
    return lines.join(QLatin1Char('\n'));
}

QStringList campusStatusLines(const campus::Campus& campus) {
    const campus::CampusStatus s = campus.status();
    if (s.role == campus::Role::Off)
        return {};
    return campusStatusText(s, campus.recentFollowers()).split(QLatin1Char('\n'));
}

CampusShell::CampusShell(Platform& platform, MainMenus& menus, History& history, TableDocument& table,
                         QList<QWidget*> editing, QObject* parent)
    : QObject(parent),
      platform_(platform),
      table_(table),
      log_(std::make_unique<HistoryLog>(history)),
      clockState_(std::make_unique<campus::SystemClockState>(QDBusConnection::systemBus())) {
    for (QWidget* w : editing)
        editing_ << w;
    campus_ = std::make_unique<campus::Campus>(platform.clock, platform.programFolder, *log_, *clockState_);

    if (QMenu* system = menus.menu(QStringLiteral("Menu1"))) {
        auto* menu = new QMenu(kTitle, system);
        menu->setObjectName(QStringLiteral("MenuCampus"));
        system->insertMenu(menus.history, menu);
        auto add = [menu](const char* name, const QString& text) {
            QAction* a = menu->addAction(text);
            a->setObjectName(QString::fromLatin1(name));
            return a;
        };
        publishItem = add("MenuCampusPublish", QStringLiteral("发布"));
        followItem = add("MenuCampusFollow", QStringLiteral("跟随"));
        syncItem = add("MenuCampusSync", QStringLiteral("立即同步"));
        statusItem = add("MenuCampusStatus", QStringLiteral("状态"));
        stopItem = add("MenuCampusStop", QStringLiteral("取消"));
        connect(publishItem, &QAction::triggered, this, &CampusShell::askPublish);
        connect(followItem, &QAction::triggered, this, &CampusShell::askFollow);
        connect(syncItem, &QAction::triggered, this, [this] { report(campus_->syncNow()); });
        connect(statusItem, &QAction::triggered, this, &CampusShell::showStatus);
        connect(stopItem, &QAction::triggered, this, [this] { report(campus_->stop()); });
    }
    connect(campus_.get(), &campus::Campus::installed, this, &CampusShell::reloadTables);
    connect(campus_.get(), &campus::Campus::statusChanged, this, &CampusShell::lockEditing);
}

void CampusShell::start() {
    campus_->start();
    lockEditing();
}

CampusShell::~CampusShell() {
    if (page_)
        page_->setSharedFolder(QString(), QString());
}

void CampusShell::shareThrough(RemotePage& page) {
    page_ = &page;
    connect(&page, &RemotePage::runningChanged, this, &CampusShell::updateShared);
    connect(campus_.get(), &campus::Campus::statusChanged, this, &CampusShell::updateShared);
    connect(&page, &RemotePage::sharedRequested, this,
            [this](const QString& address, const QString& method, const QString& target, int status) {
                campus_->noteServed(address, method, target, status);
            });
    updateShared();
}

// Only a source's bundle, and only while the page runs: a follower's or a stopped source's folder
// stays private.
void CampusShell::updateShared() {
    if (!page_)
        return;
    const campus::CampusStatus s = campus_->status();
    const bool share = page_->running() && s.role == campus::Role::Source;
    page_->setSharedFolder(share ? kSharedPrefix : QString(), share ? s.address : QString());
    campus_->setServedHere(share);
}

void CampusShell::askPublish() {
    const QString folder = platform_.dialogs.input(kTitle, QStringLiteral("发布到哪个文件夹 (完整路径):"),
                                                   campus_->status().address);
    if (!folder.isEmpty())
        report(campus_->publish(folder));
}

void CampusShell::askFollow() {
    const QString address = platform_.dialogs.input(
        kTitle, QStringLiteral("主控同步包的地址 (http(s)://… 或文件夹):"), QString());
    if (address.isEmpty())
        return;
    const QString key = platform_.dialogs.input(kTitle, QStringLiteral("主控的公钥:"), QString());
    if (!key.isEmpty())
        report(campus_->follow(address, key));
}

void CampusShell::showStatus() {
    platform_.dialogs.message(kTitle, campusStatusText(campus_->status(), campus_->recentFollowers()),
                              MessageIcon::Information, MessageButtons::Ok);
}

void CampusShell::report(const campus::CampusResult& r) {
    platform_.dialogs.message(kTitle, r.message, r.ok ? MessageIcon::Information : MessageIcon::Warning,
                              MessageButtons::Ok);
}

// The bundle may bring another default table and new entries for the one shown.
void CampusShell::reloadTables() {
    const QString defaultTable =
        platform_.files.readField(nameInFolder(platform_.programFolder, settings::kDefaultDtt));
    if (!defaultTable.isEmpty())
        table_.setDefaultPath(defaultTable);
    table_.load(defaultTable.isEmpty() ? table_.currentPath() : defaultTable);
}

void CampusShell::lockEditing() {
    const bool locked = campus_->editingLocked();
    // Only a change of role touches the controls, so their own tool tips stay while not following.
    if (locked == locked_)
        return;
    locked_ = locked;
    for (const QPointer<QWidget>& w : editing_) {
        if (!w)
            continue;
        w->setEnabled(!locked);
        w->setToolTip(locked ? campus_->lockNotice() : QString());
    }
    emit lockChanged(locked);
}

}  // namespace quel
