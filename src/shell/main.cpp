#include "shell/app.h"

int main(int argc, char** argv) {
    return quel::runProgram(argc, argv);
}
