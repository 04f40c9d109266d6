/* The anchor: sleeps to each whole second of the system clock and starts the marker, as a program
   that does nothing else would. Usage: anchor FIRST_SECOND COUNT MARKER OUT_FOLDER [STEP_SECONDS] */
#include <spawn.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <time.h>

extern char** environ;

int main(int argc, char** argv) {
    if (argc < 5)
        return 2;
    const long long first = atoll(argv[1]);
    const int count = atoi(argv[2]);
    const long long step = argc > 5 ? atoll(argv[5]) : 1;
    for (int i = 0; i < count; ++i) {
        const long long second = first + i * step;
        const struct timespec due = {(time_t)second, 0};
        while (clock_nanosleep(CLOCK_REALTIME, TIMER_ABSTIME, &due, NULL) != 0) {
        }
        char out[4096];
        snprintf(out, sizeof out, "%s/%lld", argv[4], second);
        char* args[] = {argv[3], out, NULL};
        pid_t pid;
        if (posix_spawn(&pid, argv[3], NULL, NULL, args, environ) == 0)
            waitpid(pid, NULL, 0);
    }
    return 0;
}
