// brenvale: the desktop program.
#include "shell/application.h"

int main(int argc, char** argv) { return brv::ui::ExecuteBrenvale(argc, argv); }
