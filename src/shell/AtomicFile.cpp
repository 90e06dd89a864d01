#include "shell/AtomicFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

void EnsureFolder(const std::string& folder) {
    std::error_code ec;
    if (!std::filesystem::exists(folder, ec)) std::filesystem::create_directory(folder, ec);
}

bool WriteFileAtomically(const std::string& path, const void* data, size_t size) {
    std::string temp = path + ".tmp";
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    const char* p = static_cast<const char*>(data);
    size_t left = size;
    bool ok = true;
    while (left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n <= 0) {
            ok = false;
            break;
        }
        p += n;
        left -= static_cast<size_t>(n);
    }
    ok = ok && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (ok && std::rename(temp.c_str(), path.c_str()) == 0) return true;
    std::remove(temp.c_str());
    return false;
}

long ReadFilePrefix(const std::string& path, void* data, size_t size) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return -1;
    size_t n = std::fread(data, 1, size, f);
    std::fclose(f);
    return static_cast<long>(n);
}
