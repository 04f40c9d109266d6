#pragma once

#include <QObject>
#include <QString>
#include <QWidget>

#include "remote/web/page_settings.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace quel {

class RemotePage;
class SettingsStore;

// What 系统 → 远程控制 changes: the settings are written first, and the page follows only what was
// written. A new password is digested on a worker thread, so the bells never wait for it.
class RemotePageSetup : public QObject {
    Q_OBJECT
public:
    RemotePageSetup(const SettingsStore& store, RemotePage& page, QObject* parent = nullptr);

    const PageSettings& settings() const;
    bool running() const;
    bool busy() const { return busy_; }
    // `password` empty keeps the one set before.
    void apply(bool enabled, const QString& address, quint16 port, const QString& password);

signals:
    void applied(bool ok, const QString& message);

private:
    void finish(PageSettings settings);

    const SettingsStore& store_;
    RemotePage& page_;
    bool busy_ = false;
};

// 远程控制: shows the page's settings and forwards the operator's changes.
class RemoteSettingsWindow : public QWidget {
    Q_OBJECT
public:
    explicit RemoteSettingsWindow(RemotePageSetup& setup, QWidget* parent = nullptr);

private:
    void showSettings();

    RemotePageSetup& setup_;
    QCheckBox* enabled_;
    QLineEdit* address_;
    QSpinBox* port_;
    QLineEdit* password_;
    QPushButton* apply_;
    QLabel* state_;
};

}  // namespace quel
