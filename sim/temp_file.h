// A new file under a name that no other file has, beside a given path: the
// platform's exclusive create (sim/posix/temp_file.cpp, sim/windows/temp_file.cpp).
#pragma once

#include <cstdio>
#include <string>

namespace sim {

// Creates "PATH.partXXXXXX" (X random) for binary writing, with the mode a new
// file gets. Returns null with errno set when it cannot; sets tempPath.
FILE* createFileBeside(const std::string& path, std::string& tempPath);

}  // namespace sim
