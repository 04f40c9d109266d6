#pragma once

#include <QFuture>
#include <QThreadPool>
#include <functional>

#include "player/play_list_text.h"

namespace quel {

// Where the check of a play list runs. A list of a hundred thousand tracks takes a stat() per track,
// which on a loaded machine or a slow share runs into seconds; on the GUI thread that would hold the
// window, the clock tick and the bells. The program runs each check on a worker; tests run it at once
// or hold it and let it finish when they choose.
class ListChecks {
public:
    using Job = std::function<playlist::CheckedList()>;

    virtual ~ListChecks() = default;
    // The future may be finished already when it comes back.
    virtual QFuture<playlist::CheckedList> start(Job job) = 0;
};

// The program's: worker threads of their own, so the check never queues behind other work. Going
// away waits for the checks at hand, which give up at their next track once their list was replaced.
class WorkerListChecks final : public ListChecks {
public:
    WorkerListChecks();
    ~WorkerListChecks() override;
    QFuture<playlist::CheckedList> start(Job job) override;

private:
    QThreadPool pool_;
};

// Runs the check on the caller's thread before start() returns.
class InlineListChecks final : public ListChecks {
public:
    QFuture<playlist::CheckedList> start(Job job) override;
};

}  // namespace quel
