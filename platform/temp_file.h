// A new file under a name that no other file has, beside a given path, and
// the removal of such files that a run killed outright (kill -9, a power
// cut) left behind. The name and its retries are common; the exclusive
// create and how a file being written is told from a stale one are the
// platform's (platform/posix/process/temp_file.cpp, platform/win32/process/temp_file.cpp).
#pragma once

#include <cstdio>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace sim {

// [bytes] The longest file name the file systems written to allow.
constexpr size_t kMaxFileNameBytes = 255;

// Creates "NAME.partXXXXXX" (X random, a-z and 0-9) beside path, where NAME
// is path's file name, cut at a character's start when the whole would be
// longer than kMaxFileNameBytes; opened for binary writing with the mode a
// new file gets, and held by this process until closed. Returns null with
// errno set when it cannot; sets tempPath.
FILE* createFileBeside(const std::string& path, std::string& tempPath);

// The output file name (NAME above, cut as it is) whose temporary fileName
// is, or nullopt when fileName is not such a temporary.
std::optional<std::string_view> outputOfTemporary(std::string_view fileName);

// Removes the temporaries in folder whose output file name `ours` accepts
// and that no process is writing any more. Whatever cannot be removed stays.
void removeStaleTemporaries(const std::string& folder,
                            const std::function<bool(std::string_view output)>& ours);
// The same for the temporaries of one output file.
void removeStaleTemporariesOf(const std::string& path);

// The platform's parts.
// Creates the file `name` for binary writing, only if no file of that name
// exists, and holds it while it is open. Returns null with errno set when it
// cannot (EEXIST when the name is taken); nothing is left behind then.
FILE* createNewFile(const std::string& name);
// Removes the file `name` unless a process holds it open from
// createNewFile; false when it stays.
bool removeIfStale(const std::string& name);

}  // namespace sim
