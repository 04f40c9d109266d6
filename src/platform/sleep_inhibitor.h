#pragma once

#include <QDBusConnection>
#include <QDBusUnixFileDescriptor>
#include <QObject>

#include "platform/program_title.h"

namespace quel {

// Keeps the desktop's automatic suspend away while the bells must ring. Asking may take a moment;
// `heldChanged` tells when the hold was taken or let go.
class SleepInhibitor : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    // Without a service that grants holds nothing happens and the hold is never taken.
    virtual void hold() = 0;
    virtual void release() = 0;
    virtual bool isHeld() const = 0;

signals:
    void heldChanged(bool held);
};

// A "block" inhibitor for "sleep:idle" from systemd-logind on the bus handed in. logind keeps it for as
// long as the file descriptor it answers with stays open, so letting go is closing it, and a program
// that ends or crashes lets go by itself.
class LogindInhibitor final : public SleepInhibitor {
    Q_OBJECT
public:
    explicit LogindInhibitor(QDBusConnection bus, QObject* parent = nullptr);
    ~LogindInhibitor() override;

    void hold() override;
    void release() override;
    bool isHeld() const override { return fd_.isValid(); }
    // An answer from the login manager is on its way.
    bool isAsking() const { return asking_; }

    static inline const QString kWhat = QStringLiteral("sleep:idle");
    static inline const QString kWho = programTitle();
    static inline const QString kWhy = QStringLiteral("按时间表打铃");
    static inline const QString kMode = QStringLiteral("block");

private:
    void ask();

    QDBusConnection bus_;
    QDBusUnixFileDescriptor fd_;
    bool wanted_ = false;
    bool asking_ = false;
};

}  // namespace quel
