#include "support/TestPlatform.h"

#include <unistd.h>

#include <atomic>
#include <fstream>
#include <sstream>

#include "support/TestFonts.h"

namespace fs = std::filesystem;

CTempDir::CTempDir() {
    static std::atomic<int> counter{0};
    m_Previous = fs::current_path();
    fs::path base = fs::temp_directory_path();
    for (;;) {
        m_Path = base / ("tovel-test-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
        std::error_code ec;
        if (fs::create_directory(m_Path, ec)) break;
    }
    fs::current_path(m_Path);
}

CTempDir::~CTempDir() {
    std::error_code ec;
    fs::current_path(m_Previous, ec);
    fs::remove_all(m_Path, ec);
}

CPlatformTest::CPlatformTest() {
    platform.SetLog(nullptr);
    platform.SetLockFolder(fs::temp_directory_path().string());
    InstallTestFonts(platform);
    CSystem::Install(&platform);
}

CPlatformTest::~CPlatformTest() {
    CSystem::Install(nullptr);
    m_TempDir.reset();
}

const fs::path& CPlatformTest::TempDir() {
    if (!m_TempDir) m_TempDir = std::make_unique<CTempDir>();
    return m_TempDir->Path();
}

std::string ReadFileBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

void WriteFileBytes(const fs::path& path, const std::string& bytes) {
    if (path.has_parent_path()) fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}
