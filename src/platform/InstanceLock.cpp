#include "platform/InstanceLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

int AcquireInstanceLockFile(const std::string& folder, const std::string& name, bool* lockedByOther) {
    if (lockedByOther) *lockedByOther = false;
    std::string dir = folder;
    if (dir.empty()) {
        const char* runtime = std::getenv("XDG_RUNTIME_DIR");
        const char* tmp = std::getenv("TMPDIR");
        dir = runtime && *runtime ? runtime : tmp && *tmp ? tmp : "/tmp";
    }
    std::string path = dir + "/" + name + ".lock";
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) return -1;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (lockedByOther) *lockedByOther = errno == EWOULDBLOCK;
        ::close(fd);
        return -1;
    }
    return fd;
}

void ReleaseInstanceLock(int fd) {
    if (fd >= 0) ::close(fd);
}
