// Program entry: start-up, the main window and its loop, shutdown. The program reads no
// arguments and always exits with status 0.
#include "app/startup.h"

int main(int, char**) {
    return RunProgram();
}
