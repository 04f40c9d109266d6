// A command-line request's round trip: the request line through the instance socket, carried out by
// the running program's event loop, and the answer line back. The program's side is a recording
// stand-in, so what is measured is the way in, not the action.

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QTemporaryDir>
#include <chrono>
#include <future>

#include "platform/instance.h"
#include "remote/command_line.h"
#include "remote/fake_remote_actions.h"

namespace {

void commandLineRoundTrip(benchmark::State& state) {
    QTemporaryDir folder;
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(folder.path()));
    quel::fakes::FakeRemoteActions actions;
    quel::LocalInstanceGuard program(folder.path());
    program.anotherIsRunning();
    program.setRequestHandler([&](const QByteArray& line) { return quel::answerRequest(actions, line); });
    const QByteArray status = quel::requestLine({QStringLiteral("status"), {}});
    for (auto _ : state) {
        const auto sent = std::chrono::steady_clock::now();
        auto answered = std::async(
            std::launch::async, [&] { return quel::LocalInstanceGuard(folder.path()).sendRequest(status); });
        while (answered.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
        if (!answered.get()) {
            state.SkipWithError("no answer");
            return;
        }
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - sent).count());
    }
}

BENCHMARK(commandLineRoundTrip)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(500);

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
