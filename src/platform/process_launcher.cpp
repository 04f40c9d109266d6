#include "platform/process_launcher.h"

#include "platform/short_turns.h"

#include <QByteArrayList>
#include <QFile>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <QTimer>

#include <fcntl.h>
#include <sched.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <memory>
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

// posix_spawn's attributes and file actions, released however the start ends.
struct SpawnSetup {
    SpawnSetup() {
        posix_spawnattr_init(&attributes);
        posix_spawn_file_actions_init(&actions);
    }
    ~SpawnSetup() {
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attributes);
    }
    SpawnSetup(const SpawnSetup&) = delete;
    SpawnSetup& operator=(const SpawnSetup&) = delete;
    posix_spawnattr_t attributes;
    posix_spawn_file_actions_t actions;
};

}  // namespace

ProcessLauncher::ProcessLauncher(std::chrono::milliseconds turnsBackAfter, QObject* parent)
    : QObject(parent), turnsBackAfter_(turnsBackAfter) {}

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

    // glibc's posix_spawn starts the child with vfork semantics: nothing of our 50 MB is copied, the
    // call returns once the exec has happened, and an exec that failed comes back as its result.
    SpawnSetup setup;
    // Its own process group, so no terminal signal of ours reaches it. Not its own session: the kernel
    // schedules every session as a group of its own, and a new one waits behind running work, which
    // started the program 8 ms late on a busy computer. Ignored signals and the blocked mask would
    // survive the exec, so it starts clean.
    sigset_t none;
    sigemptyset(&none);
    sigset_t all;
    sigfillset(&all);
    posix_spawnattr_setsigmask(&setup.attributes, &none);
    posix_spawnattr_setsigdefault(&setup.attributes, &all);
    posix_spawnattr_setflags(&setup.attributes,
                             POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    // The standard streams on /dev/null and none of our other descriptors, so a started program
    // cannot hold our sockets or files open after we end.
    for (const int fd : {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO})
        posix_spawn_file_actions_addopen(&setup.actions, fd, "/dev/null", O_RDWR, 0);
    posix_spawn_file_actions_addclosefrom_np(&setup.actions, STDERR_FILENO + 1);
    // The folder held the program a moment ago; should it be gone, the program runs in ours.
    if (!workDir.isEmpty() && QFileInfo(QFile::decodeName(workDir)).isDir())
        posix_spawn_file_actions_addchdir_np(&setup.actions, workDir.constData());

    pid_t pid = 0;
    if (posix_spawn(&pid, path.constData(), &setup.actions, &setup.attributes, argv.data(), environ) != 0)
        return false;
    // The child waits on our processor's queue while the tick goes on with its book-keeping, which
    // would start it milliseconds late: it runs first.
    sched_yield();
    reapWhenItEnds(pid);
    return true;
}

// The child is ours until it ends; its exit is learnt from the event loop, never waited for. It
// inherited the bell thread's short turns, which let it run on its second on a busy computer; once it
// runs, it and the threads it has made so far get the ordinary ones back. Until it is reaped its
// number cannot name another process.
void ProcessLauncher::reapWhenItEnds(pid_t pid) {
    auto living = std::make_shared<bool>(true);
    QTimer::singleShot(turnsBackAfter_, this, [pid, living] {
        if (*living)
            turns::giveBackOrdinary(pid);
    });
    const int pidFd = static_cast<int>(syscall(SYS_pidfd_open, pid, 0));
    if (pidFd >= 0) {
        auto* notifier = new QSocketNotifier(pidFd, QSocketNotifier::Read, this);
        connect(notifier, &QSocketNotifier::activated, this, [notifier, pid, pidFd, living] {
            *living = false;
            waitpid(pid, nullptr, WNOHANG);
            notifier->setEnabled(false);
            notifier->deleteLater();
            close(pidFd);
        });
        return;
    }
    // Kernels before 5.3 have no process descriptors: look once a second.
    auto* poll = new QTimer(this);
    connect(poll, &QTimer::timeout, this, [poll, pid, living] {
        const pid_t reaped = waitpid(pid, nullptr, WNOHANG);
        if (reaped == pid || (reaped < 0 && errno == ECHILD)) {
            *living = false;
            poll->deleteLater();
        }
    });
    poll->start(1000);
}

bool ProcessLauncher::isInstalled(const QString& program) const {
    return !QStandardPaths::findExecutable(program).isEmpty();
}

}  // namespace quel
