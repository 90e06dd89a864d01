// tovel-pack: builds and takes apart the game's archives, and scrambles script files.
//
//   tovel-pack pack OUT.dat DIR        every file under DIR, named relative to DIR with "\" separators
//   tovel-pack unpack ARCHIVE.dat DIR  every member into DIR, folders made as needed
//   tovel-pack list ARCHIVE.dat        one line per member: name, unpacked size, packed size (tabs between)
//   tovel-pack scramble IN OUT         adds the scramble value to every byte (a ".scr" script)
//   tovel-pack unscramble IN OUT       takes it off again
//
// File names are UTF-8 on disk and Shift-JIS inside archives, as the game compares them. Any error: one
// line on standard error and exit status 1.

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

#include "resources/Archive.h"
#include "resources/File.h"
#include "resources/Lzss.h"
#include "resources/LzssEncoder.h"
#include "shell/Encoding.h"

namespace fs = std::filesystem;

namespace {

struct CError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

bool HasHighBytes(const std::string& s) {
    return std::any_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

std::vector<uint8_t> ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw CError("cannot open " + path.string());
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) throw CError("cannot read " + path.string());
    return bytes;
}

void WriteFile(const fs::path& path, const uint8_t* data, size_t size) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) throw CError("cannot create " + path.string());
    out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    out.close();
    if (!out) throw CError("cannot write " + path.string());
}

// The archive's name of a file: relative path, "\" separators, Shift-JIS.
std::string MemberName(const fs::path& relative) {
    std::string name;
    for (const fs::path& part : relative) {
        if (!name.empty()) name += '\\';
        name += part.string();
    }
    if (HasHighBytes(name)) {
        const std::string sjis = Utf8ToSjis(name);
        if (SjisToUtf8(sjis) != name)
            throw CError("name cannot be written in Shift-JIS: " + relative.string());
        name = sjis;
    }
    if (name.size() >= kArchiveNameSize) throw CError("name longer than 259 bytes: " + relative.string());
    return name;
}

// The file system path of a member, refusing names that would leave the target folder.
fs::path MemberPath(const fs::path& dir, const std::string& name) {
    std::string utf8 = HasHighBytes(name) ? SjisToUtf8(name) : name;
    std::replace(utf8.begin(), utf8.end(), '\\', '/');
    fs::path relative(utf8);
    if (utf8.empty() || relative.is_absolute()) throw CError("unsafe member name: " + utf8);
    for (const fs::path& part : relative) {
        const std::string s = part.string();
        if (s.empty() || s == "." || s == "..") throw CError("unsafe member name: " + utf8);
    }
    return dir / relative;
}

int Pack(const fs::path& out, const fs::path& dir) {
    std::error_code ec;
    if (!fs::is_directory(dir, ec)) throw CError("not a folder: " + dir.string());
    std::vector<fs::path> files;
    for (fs::recursive_directory_iterator it(dir, ec), end; it != end; it.increment(ec)) {
        if (ec) break;
        if (it->is_regular_file(ec)) files.push_back(it->path());
    }
    if (ec) throw CError("cannot list " + dir.string() + ": " + ec.message());
    std::sort(files.begin(), files.end());
    const fs::path outAbs = fs::weakly_canonical(out, ec);
    files.erase(std::remove_if(files.begin(), files.end(),
                               [&](const fs::path& p) { return fs::weakly_canonical(p, ec) == outAbs; }),
                files.end());

    std::vector<CArchiveEntry> entries;
    std::vector<std::vector<uint8_t>> packed;
    int64_t offset = static_cast<int64_t>(kArchiveEntrySize) * (static_cast<int64_t>(files.size()) + 1);
    for (const fs::path& file : files) {
        CArchiveEntry entry;
        entry.name = MemberName(fs::relative(file, dir));
        const std::vector<uint8_t> bytes = ReadFile(file);
        std::vector<uint8_t> data = LzssEncode(bytes.data(), bytes.size());
        if (bytes.size() > INT32_MAX || data.size() > INT32_MAX ||
            offset > INT32_MAX - static_cast<int64_t>(data.size())) {
            throw CError("archive would exceed 2 GB at " + file.string());
        }
        entry.offset = static_cast<int32_t>(offset);
        entry.unpackedSize = static_cast<int32_t>(bytes.size());
        entry.packedSize = static_cast<int32_t>(data.size());
        offset += static_cast<int64_t>(data.size());
        entries.push_back(entry);
        packed.push_back(std::move(data));
    }

    std::vector<uint8_t> index(kArchiveEntrySize * (entries.size() + 1));
    for (size_t i = 0; i < entries.size(); ++i) {
        if (!EncodeArchiveEntry(entries[i], index.data() + i * kArchiveEntrySize)) {
            throw CError("bad member name: " + entries[i].name);
        }
    }
    EncodeArchiveEnd(index.data() + entries.size() * kArchiveEntrySize);

    std::ofstream o(out, std::ios::binary | std::ios::trunc);
    if (!o) throw CError("cannot create " + out.string());
    o.write(reinterpret_cast<const char*>(index.data()), static_cast<std::streamsize>(index.size()));
    for (const auto& data : packed)
        o.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
    o.close();
    if (!o) throw CError("cannot write " + out.string());
    return 0;
}

std::vector<CArchiveEntry> ReadIndex(const fs::path& archivePath, CPlainFile& archive) {
    if (!archive.Open(archivePath.string())) throw CError("cannot open " + archivePath.string());
    std::vector<CArchiveEntry> entries;
    std::string error;
    if (!ReadArchiveIndex(archive, entries, error)) throw CError(archivePath.string() + ": " + error);
    return entries;
}

std::vector<uint8_t> Unpack(CPlainFile& archive, const CArchiveEntry& entry) {
    std::vector<uint8_t> data(static_cast<size_t>(entry.packedSize));
    if (archive.Seek(entry.offset, 0) != 0 ||
        (!data.empty() && archive.Read(data.data(), data.size(), 1) != 1)) {
        throw CError("cannot read member " + SjisToUtf8(entry.name));
    }
    std::vector<uint8_t> bytes(static_cast<size_t>(entry.unpackedSize));
    if (LzssDecode(data.data(), data.size(), bytes.data(), bytes.size()) != bytes.size()) {
        throw CError("member " + SjisToUtf8(entry.name) + " unpacks to fewer bytes than its index says");
    }
    return bytes;
}

int UnpackAll(const fs::path& archivePath, const fs::path& dir) {
    CPlainFile archive;
    const std::vector<CArchiveEntry> entries = ReadIndex(archivePath, archive);
    for (const CArchiveEntry& entry : entries) {
        const fs::path target = MemberPath(dir, entry.name);
        const std::vector<uint8_t> bytes = Unpack(archive, entry);
        std::error_code ec;
        fs::create_directories(target.parent_path(), ec);
        if (ec) throw CError("cannot make folder " + target.parent_path().string());
        WriteFile(target, bytes.data(), bytes.size());
    }
    return 0;
}

int List(const fs::path& archivePath) {
    CPlainFile archive;
    for (const CArchiveEntry& entry : ReadIndex(archivePath, archive)) {
        std::printf("%s\t%d\t%d\n", SjisToUtf8(entry.name).c_str(), entry.unpackedSize, entry.packedSize);
    }
    return 0;
}

int Scramble(const fs::path& in, const fs::path& out, bool scramble) {
    std::vector<uint8_t> bytes = ReadFile(in);
    for (uint8_t& b : bytes) b = static_cast<uint8_t>(scramble ? b + kScriptScramble : b - kScriptScramble);
    WriteFile(out, bytes.data(), bytes.size());
    return 0;
}

int Run(int argc, char** argv) {
    const std::string verb = argc > 1 ? argv[1] : "";
    if (verb == "pack" && argc == 4) return Pack(argv[2], argv[3]);
    if (verb == "unpack" && argc == 4) return UnpackAll(argv[2], argv[3]);
    if (verb == "list" && argc == 3) return List(argv[2]);
    if (verb == "scramble" && argc == 4) return Scramble(argv[2], argv[3], true);
    if (verb == "unscramble" && argc == 4) return Scramble(argv[2], argv[3], false);
    throw CError(
        "usage: tovel-pack pack OUT.dat DIR | unpack ARCHIVE.dat DIR | list ARCHIVE.dat | "
        "scramble IN OUT | unscramble IN OUT");
}

}  // namespace

int main(int argc, char** argv) {
    try {
        return Run(argc, argv);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tovel-pack: %s\n", e.what());
        return 1;
    }
}
