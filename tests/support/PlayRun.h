#pragma once
// End-to-end runs: tovel-play on a game folder, with input lines, its exit status and its log.
#include <filesystem>
#include <string>
#include <vector>

struct CPlayResult {
    int exitCode = -1;
    std::vector<std::string> log;  // JSON lines
    std::string stderrText;
    // Log lines whose "ev" is the given event.
    std::vector<std::string> Events(const std::string& ev) const;
    // The integer field of a JSON line (or `fallback`).
    static long long IntField(const std::string& line, const std::string& key, long long fallback = -1);
    static std::string StrField(const std::string& line, const std::string& key);
};

// Runs tovel-play in `gameDir` with the input text and extra options.
CPlayResult RunTovelPlay(const std::filesystem::path& gameDir, const std::string& input,
                         const std::vector<std::string>& options = {});
