#pragma once

#include <QObject>

namespace quel {

// Rings when the system clock reaches a moment. A timer of the steady clock counts whole milliseconds
// and the event loop rounds its wait up to the next one, so a tick aimed at a second lands up to two
// milliseconds after it, or before it when the network slews the clock; this one lands on it.
class WallTimer : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    // Rings once at `msecsSinceEpoch` of the system clock, or at once when that has passed; a new
    // moment replaces the one waited for.
    virtual void ringAt(qint64 msecsSinceEpoch) = 0;
    virtual void stop() = 0;

signals:
    void rang();
};

// The kernel's timer of the real-time clock, waited for by the event loop.
class KernelWallTimer final : public WallTimer {
    Q_OBJECT
public:
    explicit KernelWallTimer(QObject* parent = nullptr);
    ~KernelWallTimer() override;

    // False where the kernel offers no such timer; it then never rings.
    bool isValid() const { return fd_ >= 0; }
    void ringAt(qint64 msecsSinceEpoch) override;
    void stop() override;

private:
    void arm(qint64 msecsSinceEpoch);

    int fd_ = -1;
};

}  // namespace quel
