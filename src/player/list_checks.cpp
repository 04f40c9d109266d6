#include "player/list_checks.h"

#include <QPromise>
#include <memory>

namespace quel {

namespace {
// A check whose list was replaced stops at its next track; the second thread lets the new list's
// check start while the old one still waits on a slow stat().
constexpr int kCheckThreads = 2;
}  // namespace

WorkerListChecks::WorkerListChecks() {
    pool_.setMaxThreadCount(kCheckThreads);
}

WorkerListChecks::~WorkerListChecks() {
    pool_.waitForDone();
}

QFuture<playlist::CheckedList> WorkerListChecks::start(Job job) {
    auto promise = std::make_shared<QPromise<playlist::CheckedList>>();
    QFuture<playlist::CheckedList> future = promise->future();
    promise->start();
    pool_.start([promise, work = std::move(job)] {
        promise->addResult(work());
        promise->finish();
    });
    return future;
}

QFuture<playlist::CheckedList> InlineListChecks::start(Job job) {
    QPromise<playlist::CheckedList> promise;
    QFuture<playlist::CheckedList> future = promise.future();
    promise.start();
    promise.addResult(job());
    promise.finish();
    return future;
}

}  // namespace quel
