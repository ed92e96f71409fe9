// A new file under a name that no other file has, beside a given path. The
// name and its retries are common; the exclusive create is the platform's
// (sim/posix/temp_file.cpp, sim/windows/temp_file.cpp).
#pragma once

#include <cstdio>
#include <string>

namespace sim {

// Creates "PATH.partXXXXXX" (X random, a-z and 0-9) for binary writing, with
// the mode a new file gets. Returns null with errno set when it cannot; sets
// tempPath.
FILE* createFileBeside(const std::string& path, std::string& tempPath);

// The platform's part: creates the file `name` for binary writing, only if
// no file of that name exists. Returns null with errno set when it cannot
// (EEXIST when the name is taken); nothing is left behind then.
FILE* createNewFile(const std::string& name);

}  // namespace sim
