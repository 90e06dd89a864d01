#pragma once
// The single-instance guard of both backends: an exclusive flock on "<name>.lock" in the user's runtime
// folder ($XDG_RUNTIME_DIR, else the temporary folder) or in the given folder.
#include <string>

// Returns the open descriptor that holds the lock, or -1 when another process holds it (or the file
// cannot be made; the game then runs, as a lock that cannot be had for another reason must not stop it:
// the caller tells the two apart by `lockedByOther`).
int AcquireInstanceLockFile(const std::string& folder, const std::string& name,
                            bool* lockedByOther = nullptr);
void ReleaseInstanceLock(int fd);
