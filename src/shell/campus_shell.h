#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <memory>

#include "campus/campus.h"
#include "platform/platform.h"

class QAction;
class QMenu;
class QWidget;

namespace quel {

class History;
class MainMenus;
class TableDocument;
class RemotePage;

// The campus in the program: 系统 → 多机同步 (发布, 跟随, 立即同步, 状态, 取消), the history of what it
// did, the table read again when a bundle arrived, and the table editing locked while following.
class CampusShell : public QObject {
    Q_OBJECT
public:
    CampusShell(Platform& platform, MainMenus& menus, History& history, TableDocument& table,
                QList<QWidget*> editing, QObject* parent = nullptr);
    ~CampusShell() override;

    campus::Campus& campus() const { return *campus_; }
    // Once this instance holds the program folder: finishes an interrupted sync and starts the first.
    void start();
    // Every second of the program's tick.
    void onTick() { campus_->onTick(); }
    // The page for a phone offers the bundle under kSharedPrefix while it runs and this PC is the
    // source, and tells the campus who fetched it.
    void shareThrough(RemotePage& page);
    static inline const QString kSharedPrefix = QStringLiteral("/campus/");

    QAction* publishItem = nullptr;  // MenuCampusPublish
    QAction* followItem = nullptr;   // MenuCampusFollow
    QAction* syncItem = nullptr;     // MenuCampusSync
    QAction* statusItem = nullptr;   // MenuCampusStatus
    QAction* stopItem = nullptr;     // MenuCampusStop

signals:
    // Following began or ended: the table editing is locked or free again.
    void lockChanged(bool locked);

private:
    void askPublish();
    void askFollow();
    void showStatus();
    void report(const campus::CampusResult& r);
    void reloadTables();
    void lockEditing();
    void updateShared();

    Platform& platform_;
    TableDocument& table_;
    QList<QPointer<QWidget>> editing_;
    std::unique_ptr<campus::CampusLog> log_;
    std::unique_ptr<campus::ClockStateReader> clockState_;
    std::unique_ptr<campus::Campus> campus_;
    bool locked_ = false;
    QPointer<RemotePage> page_;
};

// The status as the 状态 item shows it, one fact a line; a source's followers after it.
QString campusStatusText(const campus::CampusStatus& s, const campus::FollowersSeen& followers = {});
// The same for `quelbrook status`, one line each; nothing when this PC is not on a campus.
QStringList campusStatusLines(const campus::Campus& campus);

}  // namespace quel
