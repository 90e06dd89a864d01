#include "resources/File.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <optional>
#include <system_error>

#include "resources/Archive.h"
#include "resources/Lzss.h"
#include "resources/PathLookup.h"
#include "shell/System.h"

// ---- CFileSource: a file that is not there ----

bool CFileSource::Open(const std::string&) {
    return false;
}
int CFileSource::Seek(int64_t, int) {
    return -1;
}
int64_t CFileSource::Read(void*, size_t, size_t) {
    return -1;
}

// ---- CPlainFile ----

CPlainFile::~CPlainFile() {
    Close();
}

bool CPlainFile::Open(const std::string& path) {
    Close();
    m_Path = path;
    m_Stream = std::fopen(path.c_str(), "rb");
    if (!m_Stream) return false;
    // The size is measured once: to the end, tell, back to the start.
    if (fseeko(m_Stream, 0, SEEK_END) != 0) {
        Close();
        return false;
    }
    m_Size = ftello(m_Stream);
    std::rewind(m_Stream);
    if (m_Size < 0) {
        Close();
        return false;
    }
    return true;
}

int CPlainFile::Close() {
    int result = 0;
    if (m_Stream) result = std::fclose(m_Stream);
    m_Stream = nullptr;
    m_Size = 0;
    return result;
}

int CPlainFile::Seek(int64_t offset, int origin) {
    if (!m_Stream) return -1;
    int whence;
    switch (origin) {
        case 0:
            whence = SEEK_SET;
            break;
        case 1:
            whence = SEEK_CUR;
            break;
        case 2:
            whence = SEEK_END;
            break;
        default:
            return -1;
    }
    return fseeko(m_Stream, static_cast<off_t>(offset), whence) == 0 ? 0 : -1;
}

int64_t CPlainFile::Tell() {
    return m_Stream ? static_cast<int64_t>(ftello(m_Stream)) : -1;
}

void CPlainFile::Rewind() {
    if (m_Stream) std::rewind(m_Stream);
}

int64_t CPlainFile::Read(void* buffer, size_t size, size_t count) {
    if (!m_Stream || size == 0 || count == 0) return 0;
    return static_cast<int64_t>(std::fread(buffer, size, count, m_Stream));
}

// ---- CCompFile ----

bool CCompFile::Open(const std::string& path) {
    return OpenUnder(std::string(), path);
}

bool CCompFile::OpenUnder(const std::string& root, const std::string& path) {
    Close();
    m_Path = path;
    // Walk up the folder chain: "a/b/c.bmp" tries a/b.dat, then a.dat. The first archive that exists
    // decides; a missing member there is a failure, not a reason to look further up.
    std::string name = path;
    for (;;) {
        const size_t slash = name.rfind('/');
        if (slash == std::string::npos) return false;
        const std::string folder = name.substr(0, slash);
        name = folder + ".dat";
        const std::optional<std::string> archivePath = FindPlainFile(root, name);
        if (!archivePath) continue;
        CPlainFile archive;
        if (!archive.Open(*archivePath)) continue;
        std::string member = path.substr(folder.size() + 1);
        std::replace(member.begin(), member.end(), '/', '\\');
        return OpenMember(archive, member);
    }
}

bool CCompFile::OpenMember(CFileSource& archive, const std::string& member) {
    m_Buffer.clear();
    m_Size = 0;
    m_Position = 0;
    const int64_t archiveSize = archive.GetSize();
    archive.Rewind();
    CArchiveEntry entry;
    for (;;) {
        const EIndexRead read = ReadArchiveEntry(archive, entry);
        if (read != EIndexRead::Entry) return false;  // end entry, or the end of the file without one
        if (entry.name == member) break;
    }
    if (!ArchiveEntryFits(entry, archiveSize)) return false;
    std::vector<uint8_t> packed(static_cast<size_t>(entry.packedSize));
    if (archive.Seek(entry.offset, 0) != 0) return false;
    if (!packed.empty() && archive.Read(packed.data(), packed.size(), 1) != 1) return false;
    // Value-initialised, so that a stream that ends early leaves zeros, never stale bytes.
    m_Buffer.assign(static_cast<size_t>(entry.unpackedSize) + 10, 0);
    LzssDecode(packed.data(), packed.size(), m_Buffer.data(), static_cast<size_t>(entry.unpackedSize));
    m_Size = entry.unpackedSize;
    return true;
}

int CCompFile::Close() {
    m_Buffer.clear();
    m_Buffer.shrink_to_fit();
    m_Size = 0;
    m_Position = 0;
    return 0;
}

int CCompFile::Seek(int64_t offset, int origin) {
    int64_t base;
    switch (origin) {
        case 0:
            base = 0;
            break;
        case 1:
            base = m_Position;
            break;
        case 2:
            base = m_Size;
            break;
        default:
            MessageBoxU8("CCompFile::Seek error", "エラー");
            return -1;
    }
    // A position before the start would make the next read copy from outside the buffer.
    if ((offset < 0 && base + offset < 0) || (offset > 0 && offset > INT64_MAX - base)) return -1;
    m_Position = base + offset;
    return 0;
}

int64_t CCompFile::Read(void* buffer, size_t size, size_t count) {
    if (size == 0 || count == 0 || m_Position >= m_Size) return 0;
    const uint64_t left = static_cast<uint64_t>(m_Size - m_Position);
    uint64_t wanted = count > left / size ? left : static_cast<uint64_t>(size) * count;
    wanted = std::min(wanted, left);
    std::memcpy(buffer, m_Buffer.data() + m_Position, static_cast<size_t>(wanted));
    m_Position += static_cast<int64_t>(wanted);
    return static_cast<int64_t>(wanted / size);
}

// ---- CFile ----

CFile::~CFile() {
    Close();
}

bool CFile::Open(const std::string& path) {
    return OpenUnder(std::string(), path);
}

bool CFile::OpenUnder(const std::string& root, const std::string& path) {
    Close();
    m_Source.reset();
    if (const std::optional<std::string> plain = FindPlainFile(root, path)) {
        auto file = std::make_unique<CPlainFile>();
        if (file->Open(*plain)) {
            m_Source = std::move(file);
            return true;
        }
    }
    auto member = std::make_unique<CCompFile>();
    const bool ok = member->OpenUnder(root, path);
    m_Source = std::move(member);
    return ok;
}

int64_t CFile::GetSize() {
    return m_Source ? m_Source->GetSize() : 0;
}

int CFile::Close() {
    return m_Source ? m_Source->Close() : 0;
}

int CFile::Seek(int64_t offset, int origin) {
    return m_Source ? m_Source->Seek(offset, origin) : -1;
}

int64_t CFile::Tell() {
    return m_Source ? m_Source->Tell() : -1;
}

void CFile::Rewind() {
    if (m_Source) m_Source->Rewind();
}

int64_t CFile::Read(void* buffer, size_t size, size_t count) {
    return m_Source ? m_Source->Read(buffer, size, count) : 0;
}

bool CFile::ReadExact(void* buffer, size_t bytes) {
    if (bytes == 0) return true;
    return Read(buffer, 1, bytes) == static_cast<int64_t>(bytes);
}

// ---- The second data root ----

namespace {

std::optional<std::string>& RootSlot() {
    static std::optional<std::string> root;
    return root;
}

bool IsFolder(const std::filesystem::path& path) {
    std::error_code ec;
    return std::filesystem::is_directory(path, ec);
}

// Sub-folders of `parent` in byte order.
std::vector<std::filesystem::path> Folders(const std::filesystem::path& parent) {
    std::vector<std::filesystem::path> folders;
    std::error_code ec;
    std::filesystem::directory_iterator it(parent, ec);
    if (ec) return folders;
    for (const auto& entry : it) {
        if (IsFolder(entry.path())) folders.push_back(entry.path());
    }
    std::sort(folders.begin(), folders.end());
    return folders;
}

// The distribution medium: a copy of it beside the installation folder, else a mounted medium.
// Linux desktops mount media as /media/<label>, /media/<user>/<label> or /run/media/<user>/<label>.
std::string LocateSecondRoot() {
    if (IsFolder("../gamedata")) return "../gamedata";
    for (const char* top : {"/media", "/mnt"}) {
        for (const auto& medium : Folders(top)) {
            if (IsFolder(medium / "gamedata")) return (medium / "gamedata").string();
        }
    }
    for (const char* top : {"/media", "/run/media"}) {
        for (const auto& user : Folders(top)) {
            for (const auto& medium : Folders(user)) {
                if (IsFolder(medium / "gamedata")) return (medium / "gamedata").string();
            }
        }
    }
    return std::string();
}

}  // namespace

const std::string& SecondDataRoot() {
    std::optional<std::string>& root = RootSlot();
    if (!root) root = LocateSecondRoot();
    return *root;
}

void SetSecondDataRoot(const std::string& root) {
    RootSlot() = root;
}

bool OpenDataFile(CFile& file, const std::string& path) {
    if (file.Open(path)) return true;
    const std::string& root = SecondDataRoot();
    if (root.empty()) return false;
    return file.OpenUnder(root, path);
}
