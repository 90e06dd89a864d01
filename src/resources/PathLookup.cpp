#include "resources/PathLookup.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <vector>

#include "shell/Encoding.h"

namespace fs = std::filesystem;

namespace {

bool HasHighBytes(const std::string& s) {
    return std::any_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

bool IsRegularFile(const std::string& path) {
    std::error_code ec;
    return fs::is_regular_file(fs::path(path), ec);
}

bool Exists(const std::string& path) {
    std::error_code ec;
    return fs::exists(fs::path(path), ec);
}

// ASCII letters compared without case; every other byte exactly. Names are compared in their UTF-8 form,
// whose multi-byte sequences never contain ASCII bytes.
bool EqualNoCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]);
        unsigned char y = static_cast<unsigned char>(b[i]);
        if (x >= 'A' && x <= 'Z') x = static_cast<unsigned char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z') y = static_cast<unsigned char>(y - 'A' + 'a');
        if (x != y) return false;
    }
    return true;
}

std::optional<std::string> FindNoCase(const std::string& root, const std::string& relative) {
    std::string current =
        root.empty() ? (relative.starts_with('/') ? std::string("/") : std::string(".")) : root;
    size_t start = 0;
    while (start <= relative.size()) {
        size_t end = relative.find('/', start);
        if (end == std::string::npos) end = relative.size();
        std::string part = relative.substr(start, end - start);
        start = end + 1;
        if (part.empty()) continue;
        std::string exact = JoinPath(current, part);
        if (Exists(exact)) {
            current = exact;
            continue;
        }
        if (part == "." || part == "..") return std::nullopt;
        std::vector<std::string> matches;
        std::error_code ec;
        fs::directory_iterator it(fs::path(current), ec);
        if (ec) return std::nullopt;
        for (const fs::directory_entry& entry : it) {
            std::string name = entry.path().filename().string();
            if (EqualNoCase(name, part)) matches.push_back(std::move(name));
        }
        if (matches.empty()) return std::nullopt;
        std::sort(matches.begin(), matches.end());
        current = JoinPath(current, matches.front());
    }
    if (!IsRegularFile(current)) return std::nullopt;
    return current;
}

}  // namespace

std::string JoinPath(const std::string& root, const std::string& relative) {
    if (root.empty()) return relative;
    if (root.ends_with('/')) return root + relative;
    return root + "/" + relative;
}

std::optional<std::string> FindPlainFile(const std::string& root, const std::string& relative) {
    if (relative.empty()) return std::nullopt;
    std::string direct = JoinPath(root, relative);
    if (IsRegularFile(direct)) return direct;
    std::string utf8;
    if (HasHighBytes(relative)) {
        utf8 = SjisToUtf8(relative);
        std::string converted = JoinPath(root, utf8);
        if (IsRegularFile(converted)) return converted;
    }
    if (auto found = FindNoCase(root, relative)) return found;
    if (!utf8.empty()) return FindNoCase(root, utf8);
    return std::nullopt;
}
