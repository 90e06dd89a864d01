#include "support/PlayRun.h"

#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "support/TestPlatform.h"

namespace fs = std::filesystem;

namespace {
std::string Quote(const std::string& s) {
    std::string out = "'";
    for (char c : s) {
        if (c == '\'')
            out += "'\\''";
        else
            out += c;
    }
    return out + "'";
}
}  // namespace

std::vector<std::string> CPlayResult::Events(const std::string& ev) const {
    std::vector<std::string> out;
    for (const auto& line : log)
        if (line.find("\"ev\":\"" + ev + "\"") != std::string::npos) out.push_back(line);
    return out;
}

long long CPlayResult::IntField(const std::string& line, const std::string& key, long long fallback) {
    std::string k = "\"" + key + "\":";
    auto at = line.find(k);
    if (at == std::string::npos) return fallback;
    return std::strtoll(line.c_str() + at + k.size(), nullptr, 10);
}

std::string CPlayResult::StrField(const std::string& line, const std::string& key) {
    std::string k = "\"" + key + "\":\"";
    auto at = line.find(k);
    if (at == std::string::npos) return "";
    std::string out;
    for (size_t i = at + k.size(); i < line.size() && line[i] != '"'; ++i) {
        if (line[i] == '\\' && i + 1 < line.size()) {
            ++i;
            out += line[i] == 'n' ? '\n' : line[i];
        } else {
            out += line[i];
        }
    }
    return out;
}

CPlayResult RunTovelPlay(const fs::path& gameDir, const std::string& input,
                         const std::vector<std::string>& options) {
    static int counter = 0;
    fs::path work = fs::temp_directory_path() /
                    ("tovel-play-run-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
    fs::create_directories(work);
    WriteFileBytes(work / "input.txt", input);
    std::string cmd = Quote(TOVEL_PLAY_EXE) + " --input " + Quote((work / "input.txt").string()) + " --log " +
                      Quote((work / "log.jsonl").string());
    for (const auto& o : options) cmd += " " + Quote(o);
    cmd += " " + Quote(gameDir.string()) + " 2> " + Quote((work / "stderr.txt").string());
    int status = std::system(cmd.c_str());
    CPlayResult r;
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    std::istringstream lines(ReadFileBytes(work / "log.jsonl"));
    for (std::string line; std::getline(lines, line);)
        if (!line.empty()) r.log.push_back(line);
    r.stderrText = ReadFileBytes(work / "stderr.txt");
    std::error_code ec;
    fs::remove_all(work, ec);
    return r;
}
