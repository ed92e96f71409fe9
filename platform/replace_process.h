// Replacing the running process by another program (POSIX execv): the process
// id, standard streams, signals and exit status stay those that whoever
// started this one sees. Linux only; the Windows build never hands over.
#pragma once

#include <string>

// Starts the program at path with argv (argv[0] included, null-terminated) in
// place of this process. Returns only on failure, with the errno value.
int replaceProcess(const std::string& path, char** argv);
