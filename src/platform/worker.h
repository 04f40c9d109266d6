#pragma once

#include <QThreadPool>
#include <functional>

namespace quel {

// Work that must not hold the GUI thread, where the clock tick, the bells and the windows run: a stat()
// per track of a long play list takes seconds on a loaded machine, and a hung network share holds it
// for good.
class Worker {
public:
    virtual ~Worker() = default;
    // Runs `job` on another thread. A job reads only what outlives the worker (the platform's services)
    // and reports back through a QPromise or a queued call, never by touching a widget.
    virtual void start(std::function<void()> job) = 0;
};

// Threads of its own, so a job never queues behind Qt's other users of the global pool. Going away, it
// waits for the jobs at hand.
class ThreadWorker final : public Worker {
public:
    ThreadWorker();
    ~ThreadWorker() override;
    void start(std::function<void()> job) override;

private:
    QThreadPool pool_;
};

}  // namespace quel
