#include <malloc.h>

#include "shell/app.h"

int main(int argc, char** argv) {
    // glibc gives each thread that allocates its own arena, up to eight per processor, and each keeps
    // what its thread freed. A day's sounds come and go on short-lived media threads: two arenas hold
    // a megabyte less all day, and none of our threads allocates often enough to wait on the other.
    mallopt(M_ARENA_MAX, 2);
    return quel::runProgram(argc, argv);
}
