#pragma once
// Reading a data file of the game by its relative path ("interface/title/bg.bmp", "snd/sys/se01.ogg").
//
// A path is looked up, in this order:
//   1. as a plain file under the current directory (the installation folder);
//   2. inside an archive named after the path's folder, walking up the folder chain:
//      "interface/title/bg.bmp" is sought as "bg.bmp" in interface/title.dat, then as "title\bg.bmp"
//      in interface.dat. A path without "/" is only ever a plain file.
// OpenDataFile adds a third step: the same relative path under the second data root (see below).
//
// Paths use "/" as separator and are the bytes the game holds (Shift-JIS). When a plain path does not
// exist as written it is looked up case-insensitively folder by folder (data copied from Windows discs
// differs in case); archive member names are always compared byte for byte.
//
// Usage by a loader:
//     CFile file;
//     if (!OpenDataFile(file, "interface/title/bg.bmp")) { ... not found ... }
//     int64_t size = file.GetSize();
//     std::vector<uint8_t> bytes(size);
//     if (file.Read(bytes.data(), 1, bytes.size()) != size) { ... short file ... }
//     file.Close();  // also done by the destructor
//
// libvorbisfile callbacks map one to one:
//     read(ptr, size, n)  -> file.Read(ptr, size, n)          (whole items read, 0 at the end)
//     seek(off, whence)   -> file.Seek(off, whence)           (SEEK_SET 0, SEEK_CUR 1, SEEK_END 2; 0 or -1)
//     tell()              -> file.Tell()
//     close()             -> file.Close()
// Every operation is cheap for archive members: a member is unpacked whole into memory at Open.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

// The file interface. Operations in slot order; the base answers as a file that is not there.
class CFileSource {
  public:
    virtual ~CFileSource() = default;
    // Size of the whole file in bytes (0 for the base).
    virtual int64_t GetSize() { return 0; }
    // Opens the file at the path; success flag.
    virtual bool Open(const std::string& path);
    virtual int Close() { return 0; }
    // origin 0 = from the start, 1 = from the current position, 2 = from the end. 0 on success, -1 on
    // error (the position is then unchanged).
    virtual int Seek(int64_t offset, int origin);
    // Current position (-1 for the base).
    virtual int64_t Tell() { return -1; }
    // Back to position 0.
    virtual void Rewind() {}
    // Reads up to `count` items of `size` bytes; the number of whole items read (-1 for the base).
    virtual int64_t Read(void* buffer, size_t size, size_t count);
};

// A file of the file system, read through a standard stream.
class CPlainFile : public CFileSource {
  public:
    ~CPlainFile() override;
    int64_t GetSize() override { return m_Size; }
    // The path is taken as it is (no lookup).
    bool Open(const std::string& path) override;
    int Close() override;
    int Seek(int64_t offset, int origin) override;
    int64_t Tell() override;
    void Rewind() override;
    int64_t Read(void* buffer, size_t size, size_t count) override;

    const std::string& Path() const { return m_Path; }

  private:
    std::FILE* m_Stream = nullptr;
    std::string m_Path;
    int64_t m_Size = 0;
};

// An archive member, unpacked whole into memory at Open.
class CCompFile : public CFileSource {
  public:
    ~CCompFile() override = default;
    int64_t GetSize() override { return m_Size; }
    // Searches the archives up the folder chain of the path (relative to the current directory).
    bool Open(const std::string& path) override;
    // Frees the unpacked bytes.
    int Close() override;
    // An unknown origin shows "CCompFile::Seek error" and answers -1. A seek that would make the position
    // negative answers -1 too; a position past the end is allowed (reads then give nothing).
    int Seek(int64_t offset, int origin) override;
    int64_t Tell() override { return m_Position; }
    void Rewind() override { m_Position = 0; }
    // Copies what is left of size x count bytes; answers the bytes copied divided by size (a trailing
    // partial item is copied and counted in the position, not in the result).
    int64_t Read(void* buffer, size_t size, size_t count) override;

    // The same search with the archives and the plain member path taken under `root` (empty: the current
    // directory). The member name is always derived from `path` alone.
    bool OpenUnder(const std::string& root, const std::string& path);
    // Unpacks the member of that name ("\" as separator) from an open archive. Fails when the index ends
    // (or the file ends without an end entry) before the name, or when the member's offset or sizes lie
    // outside the archive.
    bool OpenMember(CFileSource& archive, const std::string& member);
    const std::string& Path() const { return m_Path; }
    // The unpacked bytes (GetSize() of them).
    const uint8_t* Data() const { return m_Buffer.data(); }

  private:
    std::string m_Path;
    std::vector<uint8_t> m_Buffer;  // unpacked size + 10 spare bytes
    int64_t m_Position = 0;
    int64_t m_Size = 0;
};

// The object loaders use: one source (plain file or archive member), chosen by Open.
class CFile {
  public:
    CFile() = default;
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;
    ~CFile();

    // A plain file when one exists at the path, else an archive member. A previous source is closed
    // and deleted first.
    bool Open(const std::string& path);
    // The same lookup with everything taken under the folder `root`.
    bool OpenUnder(const std::string& root, const std::string& path);
    bool IsOpen() const { return m_Source != nullptr; }

    // These forward to the source. Without a source: size 0, seek -1, tell -1, read 0.
    int64_t GetSize();
    int Close();
    int Seek(int64_t offset, int origin);
    int64_t Tell();
    void Rewind();
    int64_t Read(void* buffer, size_t size, size_t count);

    // Reads exactly `bytes` bytes; false (the position then undefined) when fewer are left.
    bool ReadExact(void* buffer, size_t bytes);

    CFileSource* Source() { return m_Source.get(); }

  private:
    std::unique_ptr<CFileSource> m_Source;
};

// Opens a picture, alpha map or sound: the installation folder and its archives, then the same relative
// path under the second data root.
bool OpenDataFile(CFile& file, const std::string& path);

// The second data root: the folder "gamedata" of the distribution medium. Found once on first use:
// "../gamedata" (a copy beside the installation folder), then /media/*/gamedata, /mnt/*/gamedata,
// /media/*/*/gamedata, /run/media/*/*/gamedata (each level in byte order). Empty when none exists.
// Archives are searched under the second root as under the installation folder, up to the root itself.
const std::string& SecondDataRoot();
// Replaces the second data root (tests; tools). An empty root disables the second lookup.
void SetSecondDataRoot(const std::string& root);

// A script text read whole into memory.
struct CScriptText {
    // The text followed by at least 1024 zero bytes.
    std::vector<char> buffer;
    // Bytes of text in the buffer.
    size_t size = 0;
    // The requested name, with ".txt" appended when it does not already end in it.
    std::string name;
    // True when the scrambled form was read.
    bool scrambled = false;
};

// The one-byte value that the writer of a scrambled script adds to every byte.
constexpr uint8_t kScriptScramble = 0x5A;

// The scrambled form's name: the path up to its first "." or line feed, followed by ".scr".
std::string ScrambledScriptName(const std::string& path);

// Opens a script: the path with CFile::Open, else its scrambled form (unscrambled in memory). When
// neither exists shows "スクリプトファイル（ path ）が見つかりません" owned by the main window, answers
// false.
bool OpenScriptFile(const std::string& path, CScriptText& text);
