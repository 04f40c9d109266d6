#pragma once

#include <QLockFile>
#include <QObject>
#include <memory>

class QLocalServer;

namespace quel {

// One running program per user and program folder. The first start holds the guard; a later start
// learns that it is second and can ask the first to bring its main window forward.
class InstanceGuard : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    // True when another instance holds the guard; otherwise this instance takes it.
    virtual bool anotherIsRunning() = 0;
    // Asks the running instance to show its main window.
    virtual void activateOther() = 0;

signals:
    // Another start asked this instance to come forward.
    void activateRequested();
};

// A lock file (stale locks of a crashed instance are taken over) plus a local socket to reach the first.
class LocalInstanceGuard final : public InstanceGuard {
    Q_OBJECT
public:
    // `key` tells programs apart: the same key is the same program.
    explicit LocalInstanceGuard(const QString& key, QObject* parent = nullptr);
    ~LocalInstanceGuard() override;
    bool anotherIsRunning() override;
    void activateOther() override;

private:
    QString socketName_;
    std::unique_ptr<QLockFile> lock_;
    QLocalServer* server_ = nullptr;
};

// The per-user key of a program folder.
QString instanceKey(const QString& programFolder);

}  // namespace quel
