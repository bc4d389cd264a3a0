// vandrel: the program.
#include "app/startup.h"

int main(int argc, char** argv) { return vandrel::app::RunProgram(argc, argv); }
