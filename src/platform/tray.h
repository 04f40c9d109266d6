#pragma once

#include <QIcon>
#include <QObject>
#include <QString>

class QMenu;
class QSystemTrayIcon;

namespace quel {

// The program's one tray icon. It only reports the operator's intent; the main window decides.
class Tray : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    virtual bool isAvailable() const = 0;
    // Adds the icon; while it is shown a second call changes nothing, as registering twice would not.
    virtual void add(const QIcon& icon, const QString& tip, QMenu* menu) = 0;
    virtual void remove() = 0;
    virtual bool isShown() const = 0;
    virtual QString tip() const = 0;
    // Changes the tip of the icon, shown or not; the next add() sets its own.
    virtual void setTip(const QString& tip) = 0;
    // A passing notice beside the icon, for what went wrong while nobody watched the window.
    virtual void showWarning(const QString& title, const QString& text) = 0;

signals:
    // The left button was released on the icon.
    void leftClicked();
};

class SystemTray final : public Tray {
    Q_OBJECT
public:
    explicit SystemTray(QObject* parent = nullptr);
    bool isAvailable() const override;
    void add(const QIcon& icon, const QString& tip, QMenu* menu) override;
    void remove() override;
    bool isShown() const override;
    QString tip() const override;
    void setTip(const QString& tip) override;
    void showWarning(const QString& title, const QString& text) override;

private:
    QSystemTrayIcon* icon_ = nullptr;
};

}  // namespace quel
