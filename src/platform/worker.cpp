#include "platform/worker.h"

namespace quel {

namespace {
// A job whose result is no longer wanted may still wait on a slow stat(); a second thread lets the
// next job start meanwhile.
constexpr int kThreads = 2;
}  // namespace

ThreadWorker::ThreadWorker() {
    pool_.setMaxThreadCount(kThreads);
}

ThreadWorker::~ThreadWorker() {
    pool_.waitForDone();
}

void ThreadWorker::start(std::function<void()> job) {
    pool_.start(std::move(job));
}

}  // namespace quel
