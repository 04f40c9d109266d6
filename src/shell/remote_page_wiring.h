#pragma once

#include <QObject>
#include <memory>

#include "platform/settings_store.h"
#include "remote/web/remote_page_feature.h"

class QWidget;

namespace quel {

class History;
class MainMenus;
struct Platform;

// The page for a phone in the program: 系统 → 远程控制 opens its settings, every change made through
// it is written to the history with the caller's address, and it starts with the program when its
// settings say so (a start that fails is written to the history too, never asked about). The program's
// RemoteActions are handed in with feature().setActions(); until then the page answers that the program
// is not connected yet.
class RemotePageWiring : public QObject {
    Q_OBJECT
public:
    RemotePageWiring(Platform& platform, const MainMenus& menus, History& history, QWidget& owner);
    ~RemotePageWiring() override;

    RemotePageFeature& feature() { return *feature_; }

private:
    class HistoryLog final : public RemoteLog {
    public:
        explicit HistoryLog(History& history) : history_(history) {}
        void remoteChange(const QString& address, const QString& what, const ActionResult& result) override;

    private:
        History& history_;
    };

    SettingsStore store_;
    HistoryLog log_;
    std::unique_ptr<RemotePageFeature> feature_;
};

}  // namespace quel
