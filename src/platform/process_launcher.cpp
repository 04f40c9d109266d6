#include "platform/process_launcher.h"

#include <QByteArrayList>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

namespace quel {

// ---- Splitting -------------------------------------------------------------------------------

namespace {
constexpr QChar kQuote = u'"';
constexpr QChar kSingleQuote = u'\'';
constexpr QChar kBackslash = u'\\';

bool isBlank(QChar c) {
    return c == u' ' || c == u'\t';
}
}  // namespace

QStringList splitCommandLine(const QString& commandLine) {
    QStringList words;
    QString word;
    bool inWord = false;  // distinguishes an empty quoted word ("") from no word at all
    bool inQuotes = false;
    const qsizetype n = commandLine.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = commandLine.at(i);
        if (isBlank(c) && !inQuotes) {
            if (inWord) {
                words << word;
                word.clear();
                inWord = false;
            }
            ++i;
            continue;
        }
        inWord = true;
        if (c == kBackslash) {
            qsizetype run = 0;
            while (i + run < n && commandLine.at(i + run) == kBackslash)
                ++run;
            const bool beforeQuote = i + run < n && commandLine.at(i + run) == kQuote;
            if (!beforeQuote) {
                word.append(QString(run, kBackslash));
                i += run;
                continue;
            }
            word.append(QString(run / 2, kBackslash));
            i += run;
            if (run % 2 == 1) {
                word.append(kQuote);
                ++i;
            }
            continue;  // an even run leaves the quote to act as a quote
        }
        if (c == kSingleQuote && !inQuotes) {
            // Everything up to the closing quote is taken as it stands. A quote that is never closed
            // is an apostrophe, as in a name like Bob's.
            const qsizetype close = commandLine.indexOf(kSingleQuote, i + 1);
            if (close >= 0) {
                word.append(QStringView(commandLine).mid(i + 1, close - i - 1));
                i = close + 1;
                continue;
            }
        }
        if (c == kQuote) {
            if (inQuotes && i + 1 < n && commandLine.at(i + 1) == kQuote) {
                word.append(kQuote);
                i += 2;
                continue;
            }
            inQuotes = !inQuotes;
            ++i;
            continue;
        }
        word.append(c);
        ++i;
    }
    if (inWord)
        words << word;
    return words;
}

QString quoteCommandWord(const QString& word) {
    const bool hasBlank = word.contains(u' ') || word.contains(u'\t');
    if (!hasBlank || word.contains(kSingleQuote))
        return word;
    return kSingleQuote + word + kSingleQuote;
}

Command parseCommandLine(const QString& commandLine) {
    if (!commandLine.isEmpty() && QFileInfo(commandLine).isFile())
        return {commandLine, {}};
    QStringList words = splitCommandLine(commandLine);
    if (words.isEmpty())
        return {};
    const QString program = words.takeFirst();
    return {program, words};
}

// ---- Starting --------------------------------------------------------------------------------

namespace {

// The child writes the errno of a failed exec here; the descriptor is closed by a successful exec.
constexpr int kErrorFd = 3;
constexpr int kFirstFdToClose = kErrorFd + 1;
constexpr int kExecFailedStatus = 127;

// Everything below until the parent's side runs in a forked child of a process with other threads,
// where only async-signal-safe calls are allowed: no allocation, no locks, no stdio.

void closeFdsFrom(int first) {
#if defined(SYS_close_range)
    if (syscall(SYS_close_range, static_cast<unsigned>(first), ~0U, 0U) == 0)
        return;
#endif
    // Kernels before 5.9, or a sandbox that forbids the call: walk the descriptor table.
    const int dir = open("/proc/self/fd", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        alignas(dirent64) char buffer[4096];
        for (;;) {
            const long got = syscall(SYS_getdents64, dir, buffer, sizeof buffer);
            if (got <= 0)
                break;
            for (long offset = 0; offset < got;) {
                const auto* entry = reinterpret_cast<const dirent64*>(buffer + offset);
                offset += entry->d_reclen;
                int fd = 0;
                const char* digit = entry->d_name;
                if (*digit < '0' || *digit > '9')
                    continue;  // "." and ".."
                for (; *digit >= '0' && *digit <= '9'; ++digit)
                    fd = fd * 10 + (*digit - '0');
                if (fd >= first && fd != dir)
                    close(fd);
            }
        }
        close(dir);
        return;
    }
    rlimit limit{};
    const rlim_t last =
        getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY ? limit.rlim_cur : 65536;
    for (rlim_t fd = first; fd < last; ++fd)
        close(static_cast<int>(fd));
}

[[noreturn]] void failChild(int error) {
    ssize_t ignored = write(kErrorFd, &error, sizeof error);
    (void)ignored;
    _exit(kExecFailedStatus);
}

[[noreturn]] void execInGrandchild(const char* path, char* const* argv, const char* workDir, int devNull,
                                   int errorFd) {
    // Ignored signals and the blocked mask survive exec; the program should start clean.
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    struct sigaction byDefault {};
    byDefault.sa_handler = SIG_DFL;
    for (int sig = 1; sig < NSIG; ++sig)
        sigaction(sig, &byDefault, nullptr);

    dup2(devNull, STDIN_FILENO);
    dup2(devNull, STDOUT_FILENO);
    dup2(devNull, STDERR_FILENO);
    if (errorFd != kErrorFd && dup3(errorFd, kErrorFd, O_CLOEXEC) < 0)
        _exit(kExecFailedStatus);
    closeFdsFrom(kFirstFdToClose);

    if (workDir) {
        int ignored = chdir(workDir);  // the folder held the program a moment ago; run it anyway
        (void)ignored;
    }
    execv(path, argv);
    failChild(errno);
}

// A descriptor above the standard streams, so that pointing those at /dev/null cannot overwrite it
// (our own stdin may be closed, and then pipe() hands out 0).
int aboveStandardStreams(int fd) {
    if (fd < 0 || fd > STDERR_FILENO)
        return fd;
    const int moved = fcntl(fd, F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
    close(fd);
    return moved;
}

void closeIfOpen(int fd) {
    if (fd >= 0)
        close(fd);
}

struct Resolved {
    QByteArray path;     // what exec is given: absolute
    QByteArray workDir;  // empty: keep ours
};

// The program's file and folder. A name without a folder is looked up on PATH here, before the
// fork, because the search allocates.
bool resolve(const QString& program, Resolved& out) {
    if (program.contains(u'/')) {
        const QFileInfo file(program);
        if (!file.exists())
            return false;
        out.path = QFile::encodeName(file.absoluteFilePath());
        out.workDir = QFile::encodeName(file.absolutePath());
        return true;
    }
    const QString found = QStandardPaths::findExecutable(program);
    if (found.isEmpty())
        return false;
    out.path = QFile::encodeName(found);
    return true;
}

}  // namespace

bool ProcessLauncher::run(const QString& commandLine) {
    const Command command = parseCommandLine(commandLine);
    if (command.program.isEmpty())
        return false;
    Resolved resolved;
    if (!resolve(command.program, resolved))
        return false;

    // All memory the child needs is prepared here; the child only reads it.
    QByteArrayList storage;
    storage << QFile::encodeName(command.program);
    for (const QString& argument : command.arguments)
        storage << argument.toLocal8Bit();
    std::vector<char*> argv;
    argv.reserve(storage.size() + 1);
    for (QByteArray& item : storage)
        argv.push_back(item.data());
    argv.push_back(nullptr);
    const char* workDir = resolved.workDir.isEmpty() ? nullptr : resolved.workDir.constData();

    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0)
        return false;
    const int readEnd = aboveStandardStreams(pipeFds[0]);
    const int writeEnd = aboveStandardStreams(pipeFds[1]);
    const int devNull = aboveStandardStreams(open("/dev/null", O_RDWR | O_CLOEXEC));
    if (readEnd < 0 || writeEnd < 0 || devNull < 0) {
        closeIfOpen(readEnd);
        closeIfOpen(writeEnd);
        closeIfOpen(devNull);
        return false;
    }

    // Double fork: the middle child ends at once and is reaped below, and the program is orphaned
    // to init, which reaps it when it ends; no zombie is ever left with us.
    const pid_t middle = fork();
    if (middle == 0) {
        setsid();  // its own session: no terminal signals of ours reach it
        const pid_t grandchild = fork();
        if (grandchild == 0)
            execInGrandchild(resolved.path.constData(), argv.data(), workDir, devNull, writeEnd);
        if (grandchild < 0) {
            const int error = errno;
            ssize_t ignored = write(writeEnd, &error, sizeof error);
            (void)ignored;
        }
        _exit(0);
    }
    close(writeEnd);
    close(devNull);
    if (middle < 0) {
        close(readEnd);
        return false;
    }
    int status = 0;
    while (waitpid(middle, &status, 0) < 0 && errno == EINTR) {
    }

    // End of file without data: the exec succeeded and closed the last write end.
    int childError = 0;
    ssize_t got;
    do {
        got = read(readEnd, &childError, sizeof childError);
    } while (got < 0 && errno == EINTR);
    close(readEnd);
    return got == 0;
}

bool ProcessLauncher::isInstalled(const QString& program) const {
    return !QStandardPaths::findExecutable(program).isEmpty();
}

}  // namespace quel
