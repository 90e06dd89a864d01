#pragma once
// The picture files: the 24-bit Windows bitmap (bmp) and the program's own 16-bit file (bfh), expanded
// to 24-bit rows as it is read. Both keep the pixels as a device-independent bitmap holds them: rows of
// width x 3 bytes (blue, green, red) padded to a multiple of 4, bottom row first.
//
// The decoders work on the file's bytes and need no platform (the fuzz targets call them); the image
// classes read the file through CFile and report what the decoders refuse.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "resources/Image.h"

// BITMAPFILEHEADER and BITMAPINFOHEADER, as read (little-endian in the file).
struct CBitmapFileHeader {
    uint16_t type = 0;
    uint32_t size = 0;
    uint16_t reserved1 = 0;
    uint16_t reserved2 = 0;
    uint32_t offBits = 0;
};

struct CBitmapInfoHeader {
    uint32_t size = 0;
    int32_t width = 0;
    int32_t height = 0;
    uint16_t planes = 0;
    uint16_t bitCount = 0;
    uint32_t compression = 0;
    uint32_t sizeImage = 0;
    int32_t xPelsPerMeter = 0;
    int32_t yPelsPerMeter = 0;
    uint32_t clrUsed = 0;
    uint32_t clrImportant = 0;
};

constexpr size_t kBitmapHeadersSize = 14 + 40;

enum class EPictureError {
    None,
    ShortHeader,    // fewer than 54 bytes
    BadSize,        // width or height zero or negative
    NotTrueColour,  // a bmp that is not 24 bits per pixel without compression
    Truncated,      // the pixel rows that the header announces are not all in the file
};

struct CDecodedPicture {
    CBitmapFileHeader fileHeader;
    CBitmapInfoHeader infoHeader;
    int width = 0;
    int height = 0;
    size_t rowSize = 0;           // width x 3 rounded up to a multiple of 4
    std::vector<uint8_t> pixels;  // rowSize x height bytes, bottom row first
};

// A bmp: the headers, then the rows straight after them (the header's pixel offset is not used).
EPictureError DecodeBmp(const uint8_t* data, size_t size, CDecodedPicture& picture);
// A bfh: the headers, then height rows of width 16-bit words without padding; each word's bits 10-14,
// 5-9 and 0-4 become the three bytes in that order, each times 8 (bit 15 is not used).
EPictureError DecodeBfh(const uint8_t* data, size_t size, CDecodedPicture& picture);

// An image read from a picture file.
class CBitmapImage : public CImage {
  public:
    struct CRect {
        int x = 0, y = 0, width = 0, height = 0;
    };

    // The pixel buffer (rows bottom first), nullptr when there is none.
    virtual const uint8_t* GetPixels() const { return m_Pixels.empty() ? nullptr : m_Pixels.data(); }
    ~CBitmapImage() override = default;
    // Reads the picture file; false (and an empty image) when it is missing or refused, after a message.
    virtual bool Load(const std::string& path) = 0;
    virtual void FreePixels();
    virtual CRect GetRect() const { return m_Rect; }
    virtual const std::string& GetPath() const { return m_Path; }

    int Width() const override { return m_Rect.width; }
    int Height() const override { return m_Rect.height; }
    const std::string& Path() const override { return m_Path; }
    // nullptr after FreePixels or a failed Load, and for rows outside the picture.
    const uint8_t* Row24(int y) const override;

    size_t RowSize() const { return m_RowSize; }
    const CBitmapFileHeader& FileHeader() const { return m_FileHeader; }
    const CBitmapInfoHeader& InfoHeader() const { return m_InfoHeader; }

  protected:
    void Adopt(CDecodedPicture&& picture);
    void Reset();
    // The message for a file the decoder refused (caption "エラー").
    void ReportRefused(EPictureError error) const;

    std::string m_Path;
    CRect m_Rect;
    size_t m_RowSize = 0;
    std::vector<uint8_t> m_Pixels;
    CBitmapFileHeader m_FileHeader;
    CBitmapInfoHeader m_InfoHeader;
};

// A 24-bit Windows bitmap, found in the installation folder and archives, then under the second data root.
// A file found in neither shows its path with the caption "下記のファイルが存在しません" and the image
// stays empty; the game goes on.
class CBmpImage : public CBitmapImage {
  public:
    bool Load(const std::string& path) override;
};

// The 16-bit picture file, found in the installation folder and archives only. A missing file is fatal:
// its path with the caption "下記のファイルが存在しません", then the process ends.
class CBfhImage : public CBitmapImage {
  public:
    bool Load(const std::string& path) override;
};
