// gyrelle-sim.exe on Windows: everything but the live server, in one program.
#include "sim/command_line.h"

int main(int argc, char** argv) { return sim::runCommandLine(argc, argv, sim::Program{}); }
