// The named mutex on Linux: an exclusive flock on a file of that name in the user's runtime
// folder. The kernel drops the lock with the process, however it ends.
#pragma once

#include <filesystem>

namespace marulex::qt {

// $XDG_RUNTIME_DIR/<name>, or <temp folder>/<name> when that variable is unset or empty.
std::filesystem::path LockFilePath(const char* name);

// True when another open of the file holds the lock (a running process of ours).
bool LockHeldElsewhere(const std::filesystem::path& file);

// Creates the file if needed and takes the lock without waiting. Returns the descriptor that holds
// it, or -1 when the file cannot be opened or the lock is taken.
int TakeLock(const std::filesystem::path& file);

}  // namespace marulex::qt
