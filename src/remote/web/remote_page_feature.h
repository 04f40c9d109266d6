#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include "remote/remote_actions.h"
#include "remote/web/remote_page.h"
#include "remote/web/remote_settings_window.h"

class QWidget;

namespace quel {

class Clock;
class SettingsStore;

// What the shell holds of the page for a phone: built at start-up from the settings files, started when
// they say so, and 系统 → 远程控制 on demand. The program's actions may be handed in after it is built.
class RemotePageFeature : public QObject {
    Q_OBJECT
public:
    RemotePageFeature(Clock& clock, const SettingsStore& store, RemoteLog& log, QObject* parent = nullptr);
    ~RemotePageFeature() override;

    // Until set, every change through the page answers that the program is not connected yet.
    void setActions(RemoteActions* actions);
    // Starts the page when its settings say on. Empty when it runs or is off; otherwise the reason.
    QString startIfEnabled();
    void showWindow(QWidget* parent);

    RemotePage& page() { return page_; }

private:
    // Forwards to the actions handed in, or refuses while there are none.
    class Forward final : public RemoteActions {
    public:
        RemoteActions* target = nullptr;
        ActionResult ringNow(const QString& file) override;
        ActionResult next() override;
        ActionResult skipNext() override;
        ActionResult broadcast(const QString& playList, bool random) override;
        ActionResult stop() override;
        ActionResult say(bool female) override;
        ActionResult emergency(bool on) override;
        RemoteStatus status() const override;
    };

    Forward forward_;
    RemotePage page_;
    RemotePageSetup setup_;
    QPointer<RemoteSettingsWindow> window_;
};

}  // namespace quel
