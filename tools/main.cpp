// Entry of marrowvale-sounds; everything else lives in the mv_tools library.
#include "tools/tool.h"

int main(int argc, char** argv) {
    return SoundsToolMain(argc, argv);
}
