#include "platform/short_turns.h"

#include <dirent.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace quel::turns {

namespace {

// The kernel's struct sched_attr; glibc 2.36 has neither the struct nor the calls.
struct SchedAttr {
    std::uint32_t size = sizeof(SchedAttr);
    std::uint32_t policy = 0;
    std::uint64_t flags = 0;
    std::int32_t nice = 0;
    std::uint32_t priority = 0;
    std::uint64_t runtime = 0;  // for the fair policies: the turn asked for
    std::uint64_t deadline = 0;
    std::uint64_t period = 0;
};

bool read(pid_t tid, SchedAttr& attr) {
    return syscall(SYS_sched_getattr, tid, &attr, sizeof attr, 0) == 0;
}

bool write(pid_t tid, SchedAttr attr) {
    attr.size = sizeof attr;
    return syscall(SYS_sched_setattr, tid, &attr, 0) == 0;
}

// SCHED_OTHER and SCHED_BATCH: the policies whose runtime is a turn's length.
bool isFair(const SchedAttr& attr) {
    return attr.policy == 0 || attr.policy == 3;
}

}  // namespace

bool ask(unsigned long long nanoseconds) {
    SchedAttr attr;
    if (!read(0, attr) || !isFair(attr))
        return false;
    attr.runtime = nanoseconds;
    return write(0, attr) && requested(0) == nanoseconds;
}

void giveBackOrdinary(pid_t pid) {
    char folder[48];
    std::snprintf(folder, sizeof folder, "/proc/%d/task", static_cast<int>(pid));
    DIR* tasks = opendir(folder);
    if (!tasks)
        return;
    while (const dirent* entry = readdir(tasks)) {
        const pid_t tid = static_cast<pid_t>(std::atoi(entry->d_name));
        SchedAttr attr;
        if (tid <= 0 || !read(tid, attr) || !isFair(attr) || attr.runtime != kShortNanoseconds)
            continue;
        attr.runtime = 0;
        write(tid, attr);
    }
    closedir(tasks);
}

unsigned long long requested(pid_t tid) {
    SchedAttr attr;
    return read(tid, attr) && isFair(attr) ? attr.runtime : 0;
}

}  // namespace quel::turns
