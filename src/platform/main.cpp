// Vell: a small roguelike in a window. No options are read; the command line
// is only echoed.
#include "platform/win.h"

int main(int argc, char **argv) {
    return vell::winMain(argc, argv);
}
