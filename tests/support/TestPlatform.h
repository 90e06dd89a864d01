#pragma once
// Test fixture: a fresh headless platform installed for each test, its log kept quiet (events are still
// recorded in Events()), and an empty temporary folder to work in.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/headless/HeadlessPlatform.h"
#include "shell/System.h"

// Makes an empty folder under the system's temporary folder, enters it, and on destruction leaves it
// and removes it with its contents.
class CTempDir {
  public:
    CTempDir();
    ~CTempDir();
    CTempDir(const CTempDir&) = delete;
    CTempDir& operator=(const CTempDir&) = delete;
    const std::filesystem::path& Path() const { return m_Path; }

  private:
    std::filesystem::path m_Path;
    std::filesystem::path m_Previous;
};

class CPlatformTest : public ::testing::Test {
  protected:
    CPlatformTest();
    ~CPlatformTest() override;
    // Makes (on first call) and enters an empty temporary folder for this test; returns its path.
    const std::filesystem::path& TempDir();

    CHeadlessPlatform platform;

  private:
    std::unique_ptr<CTempDir> m_TempDir;
};

// Reads a whole file; empty when it does not exist.
std::string ReadFileBytes(const std::filesystem::path& path);
void WriteFileBytes(const std::filesystem::path& path, const std::string& bytes);
