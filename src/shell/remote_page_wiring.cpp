#include "shell/remote_page_wiring.h"

#include <QAction>
#include <QMenu>

#include "history/history.h"
#include "platform/platform.h"
#include "shell/main_menus.h"

namespace quel {

void RemotePageWiring::HistoryLog::remoteChange(const QString& address, const QString& what,
                                                const ActionResult& result) {
    history_.record(HistoryKind::Remote, address + QLatin1Char(' ') + what,
                    result.ok ? Outcome::Done : Outcome::Failed, result.ok ? QString() : result.message);
}

RemotePageWiring::RemotePageWiring(Platform& platform, const MainMenus& menus, History& history,
                                   QWidget& owner)
    : QObject(&owner),
      store_(platform.files, platform.programFolder),
      log_(history),
      feature_(std::make_unique<RemotePageFeature>(platform.clock, store_, log_)) {
    QMenu* system = menus.menu(QStringLiteral("Menu1"));
    auto* item = new QAction(QStringLiteral("远程控制"), system);
    item->setObjectName(QStringLiteral("MenuRemote"));
    system->insertAction(menus.history, item);
    connect(item, &QAction::triggered, this, [this, &owner] { feature_->showWindow(&owner); });
    const QString error = feature_->startIfEnabled();
    if (!error.isEmpty())
        history.record(HistoryKind::Remote, QStringLiteral("开启远程控制"), Outcome::Failed, error);
}

RemotePageWiring::~RemotePageWiring() = default;

}  // namespace quel
