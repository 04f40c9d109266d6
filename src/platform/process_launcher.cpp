#include "platform/process_launcher.h"

#include <QByteArrayList>
#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QTimer>

#include <fcntl.h>
#include <pthread.h>
#include <sched.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

namespace quel {

// ---- Starting --------------------------------------------------------------------------------

namespace {

// The program's file and folder. A name without a folder is looked up on PATH here, so the child
// runs exactly this file.
bool resolve(const QString& program, QByteArray& path, QByteArray& workDir) {
    if (program.contains(u'/')) {
        const QFileInfo file(program);
        if (!file.exists())
            return false;
        path = QFile::encodeName(file.absoluteFilePath());
        workDir = QFile::encodeName(file.absolutePath());
        return true;
    }
    const QString found = QStandardPaths::findExecutable(program);
    if (found.isEmpty())
        return false;
    path = QFile::encodeName(found);
    return true;
}

// What the child of a start needs, prepared before it exists: between the clone and the exec it
// shares our memory and may call nothing that takes a lock or allocates.
struct Start {
    const char* path = nullptr;
    char* const* argv = nullptr;
    const char* workDir = nullptr;  // null: ours
    cpu_set_t processors{};
    bool widen = false;
    int execError = 0;  // written by the child when the exec fails
};

int startChild(void* data) {
    auto* start = static_cast<Start*>(data);
    // Ignored signals and handlers of ours must not reach the program; our blocked mask is lifted last.
    struct sigaction standard {};
    standard.sa_handler = SIG_DFL;
    for (int number = 1; number < NSIG; ++number)
        sigaction(number, &standard, nullptr);
    // Its own process group, so no terminal signal of ours reaches it. Not its own session: the kernel
    // schedules every session as a group of its own, and a new one waits behind running work.
    setpgid(0, 0);
    // The standard streams on /dev/null and none of our other descriptors, so a started program
    // cannot hold our sockets or files open after we end.
    const int null = open("/dev/null", O_RDWR);
    if (null < 0) {
        start->execError = errno;
        _exit(127);
    }
    for (const int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO})
        dup2(null, fd);
    close_range(STDERR_FILENO + 1, ~0U, 0);
    if (start->workDir)
        (void)!chdir(start->workDir);
    if (start->widen)
        sched_setaffinity(0, sizeof start->processors, &start->processors);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    execve(start->path, start->argv, environ);
    start->execError = errno;
    _exit(127);
}

// Starts the program as posix_spawn would, with vfork's semantics: nothing of ours is copied and the
// call returns once the exec has happened or failed. What posix_spawn cannot do is keep the child on
// our processor: the kernel places a new process on the least loaded one, and on a busy computer it
// waits there behind running work for milliseconds while ours, which it would have had, sits idle. So
// the child is made on our processor and free to go anywhere from its exec on. -1 if it did not start.
pid_t startOnThisProcessor(Start& start) {
    constexpr size_t kStack = 64 * 1024;
    void* stack =
        mmap(nullptr, kStack, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_STACK, -1, 0);
    if (stack == MAP_FAILED)
        return -1;
    sigset_t all;
    sigset_t before;
    sigfillset(&all);
    pthread_sigmask(SIG_BLOCK, &all, &before);
    cpu_set_t here;
    CPU_ZERO(&here);
    const int processor = sched_getcpu();
    start.widen = processor >= 0 && sched_getaffinity(0, sizeof start.processors, &start.processors) == 0;
    if (start.widen) {
        CPU_SET(processor, &here);
        start.widen = sched_setaffinity(0, sizeof here, &here) == 0;
    }
    const pid_t pid =
        clone(startChild, static_cast<char*>(stack) + kStack, CLONE_VM | CLONE_VFORK | SIGCHLD, &start);
    if (start.widen)
        sched_setaffinity(0, sizeof start.processors, &start.processors);
    pthread_sigmask(SIG_SETMASK, &before, nullptr);
    munmap(stack, kStack);
    if (pid > 0 && start.execError != 0) {
        waitpid(pid, nullptr, 0);
        return -1;
    }
    return pid > 0 ? pid : -1;
}

}  // namespace

ProcessLauncher::ProcessLauncher(QObject* parent) : QObject(parent) {}

ProcessLauncher::~ProcessLauncher() = default;

bool ProcessLauncher::run(const QString& commandLine) {
    const Command command = parseCommandLine(commandLine);
    if (command.program.isEmpty())
        return false;
    QByteArray path;
    QByteArray workDir;
    if (!resolve(command.program, path, workDir))
        return false;

    QByteArrayList storage;
    storage << QFile::encodeName(command.program);
    for (const QString& argument : command.arguments)
        storage << argument.toLocal8Bit();
    std::vector<char*> argv;
    argv.reserve(storage.size() + 1);
    for (QByteArray& item : storage)
        argv.push_back(item.data());
    argv.push_back(nullptr);

    const bool ownFolder = !workDir.isEmpty() && QFileInfo(QFile::decodeName(workDir)).isDir();
    Start start;
    start.path = path.constData();
    start.argv = argv.data();
    // The folder held the program a moment ago; should it be gone, the program runs in ours.
    start.workDir = ownFolder ? workDir.constData() : nullptr;
    const pid_t pid = startOnThisProcessor(start);
    if (pid < 0)
        return false;
    // The child waits on our processor's queue while the tick goes on with its book-keeping, which
    // would start it milliseconds late: it runs first.
    sched_yield();
    reapWhenItEnds(pid);
    return true;
}

// The child is ours until it ends; its exit is learnt from the event loop, never waited for.
void ProcessLauncher::reapWhenItEnds(pid_t pid) {
    const int pidFd = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
    if (pidFd >= 0) {
        auto* notifier = new QSocketNotifier(pidFd, QSocketNotifier::Read, this);
        connect(notifier, &QSocketNotifier::activated, this, [notifier, pid, pidFd] {
            waitpid(pid, nullptr, WNOHANG);
            notifier->setEnabled(false);
            notifier->deleteLater();
            close(pidFd);
        });
        return;
    }
    // Kernels before 5.3 have no process descriptors: look once a second.
    auto* poll = new QTimer(this);
    connect(poll, &QTimer::timeout, this, [poll, pid] {
        const pid_t reaped = waitpid(pid, nullptr, WNOHANG);
        if (reaped == pid || (reaped < 0 && errno == ECHILD))
            poll->deleteLater();
    });
    poll->start(1000);
}

bool ProcessLauncher::isInstalled(const QString& program) const {
    return !QStandardPaths::findExecutable(program).isEmpty();
}

}  // namespace quel
