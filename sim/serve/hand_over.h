// gyrelle-sim hands a --serve command line over to the live server, a program
// of its own beside it (gyrelle-serve). Only that program links the HTTP
// server and what it brings (TLS, compression, JSON), so that a flight
// without --serve neither loads nor relocates any of it.
#pragma once

namespace sim {

// The live server's program, in the folder of gyrelle-sim.
inline constexpr const char* kLiveServerProgram = "gyrelle-serve";

// Replaces this process by the live server, given the same arguments (argv as
// main received it, argv[0] included): the process id, standard streams,
// signals and exit status stay those that whoever started gyrelle-sim sees.
// Returns only when the server cannot be started, having said why on
// standard error; the exit status to end with.
int handOverToLiveServer(char** argv);

}  // namespace sim
