#include "resources/BitmapImage.h"

#include <cstring>

#include "resources/File.h"
#include "shell/Encoding.h"
#include "shell/System.h"

namespace {

uint16_t Le16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}
uint32_t Le32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

EPictureError DecodeHeaders(const uint8_t* data, size_t size, CDecodedPicture& picture) {
    picture = CDecodedPicture();
    if (size < kBitmapHeadersSize) return EPictureError::ShortHeader;
    CBitmapFileHeader& f = picture.fileHeader;
    f.type = Le16(data);
    f.size = Le32(data + 2);
    f.reserved1 = Le16(data + 6);
    f.reserved2 = Le16(data + 8);
    f.offBits = Le32(data + 10);
    const uint8_t* i = data + 14;
    CBitmapInfoHeader& h = picture.infoHeader;
    h.size = Le32(i);
    h.width = static_cast<int32_t>(Le32(i + 4));
    h.height = static_cast<int32_t>(Le32(i + 8));
    h.planes = Le16(i + 12);
    h.bitCount = Le16(i + 14);
    h.compression = Le32(i + 16);
    h.sizeImage = Le32(i + 20);
    h.xPelsPerMeter = static_cast<int32_t>(Le32(i + 24));
    h.yPelsPerMeter = static_cast<int32_t>(Le32(i + 28));
    h.clrUsed = Le32(i + 32);
    h.clrImportant = Le32(i + 36);
    if (h.width <= 0 || h.height <= 0) return EPictureError::BadSize;
    return EPictureError::None;
}

// 64-bit arithmetic throughout: width and height below 2^31 cannot overflow it.
uint64_t RowSize24(int32_t width) {
    return (static_cast<uint64_t>(width) * 3 + 3) & ~uint64_t{3};
}

}  // namespace

EPictureError DecodeBmp(const uint8_t* data, size_t size, CDecodedPicture& picture) {
    EPictureError error = DecodeHeaders(data, size, picture);
    if (error != EPictureError::None) return error;
    const CBitmapInfoHeader& h = picture.infoHeader;
    if (h.bitCount != 24 || h.compression != 0) return EPictureError::NotTrueColour;
    const uint64_t rowSize = RowSize24(h.width);
    const uint64_t available = size - kBitmapHeadersSize;
    if (rowSize > available || rowSize * static_cast<uint64_t>(h.height) > available) {
        return EPictureError::Truncated;
    }
    picture.width = h.width;
    picture.height = h.height;
    picture.rowSize = static_cast<size_t>(rowSize);
    picture.pixels.assign(data + kBitmapHeadersSize, data + kBitmapHeadersSize + rowSize * h.height);
    return EPictureError::None;
}

EPictureError DecodeBfh(const uint8_t* data, size_t size, CDecodedPicture& picture) {
    EPictureError error = DecodeHeaders(data, size, picture);
    if (error != EPictureError::None) return error;
    const CBitmapInfoHeader& h = picture.infoHeader;
    // The header is kept as it is; the rows are 24-bit whatever its bit count says.
    const uint64_t inRow = static_cast<uint64_t>(h.width) * 2;
    const uint64_t available = size - kBitmapHeadersSize;
    if (inRow > available || inRow * static_cast<uint64_t>(h.height) > available)
        return EPictureError::Truncated;
    const uint64_t rowSize = RowSize24(h.width);
    picture.width = h.width;
    picture.height = h.height;
    picture.rowSize = static_cast<size_t>(rowSize);
    picture.pixels.assign(static_cast<size_t>(rowSize * h.height), 0);
    const uint8_t* src = data + kBitmapHeadersSize;
    for (int32_t y = 0; y < h.height; ++y) {
        uint8_t* dst = picture.pixels.data() + static_cast<size_t>(rowSize) * y;
        for (int32_t x = 0; x < h.width; ++x, src += 2, dst += 3) {
            const unsigned v = Le16(src);
            dst[0] = static_cast<uint8_t>((v >> 10 & 0x1F) << 3);
            dst[1] = static_cast<uint8_t>((v >> 5 & 0x1F) << 3);
            dst[2] = static_cast<uint8_t>((v & 0x1F) << 3);
        }
    }
    return EPictureError::None;
}

// ---- CBitmapImage ----

void CBitmapImage::FreePixels() {
    m_Pixels.clear();
    m_Pixels.shrink_to_fit();
}

const uint8_t* CBitmapImage::Row24(int y) const {
    if (m_Pixels.empty() || y < 0 || y >= m_Rect.height) return nullptr;
    return m_Pixels.data() + m_RowSize * static_cast<size_t>(m_Rect.height - 1 - y);
}

void CBitmapImage::Adopt(CDecodedPicture&& picture) {
    m_FileHeader = picture.fileHeader;
    m_InfoHeader = picture.infoHeader;
    m_RowSize = picture.rowSize;
    m_Pixels = std::move(picture.pixels);
    m_Rect = CRect{0, 0, picture.width, picture.height};
}

void CBitmapImage::Reset() {
    m_Rect = CRect();
    m_RowSize = 0;
    FreePixels();
    m_FileHeader = CBitmapFileHeader();
    m_InfoHeader = CBitmapInfoHeader();
}

void CBitmapImage::ReportRefused(EPictureError error) const {
    const char* reason = "";
    switch (error) {
        case EPictureError::ShortHeader:
            reason = "ヘッダーが足りません。";
            break;
        case EPictureError::BadSize:
            reason = "画像の大きさが正しくありません。";
            break;
        case EPictureError::NotTrueColour:
            reason = "24ビットの非圧縮画像ではありません。";
            break;
        case EPictureError::Truncated:
            reason = "画素データが途中で切れています。";
            break;
        case EPictureError::None:
            break;
    }
    const std::string text =
        Utf8ToSjis("画像ファイル（ ") + m_Path + Utf8ToSjis(" ）を読み込めません。") + Utf8ToSjis(reason);
    MessageBoxSjis(text, Utf8ToSjis("エラー"));
}

namespace {

bool ReadWhole(CFile& file, std::vector<uint8_t>& bytes) {
    const int64_t size = file.GetSize();
    if (size < 0) return false;
    bytes.resize(static_cast<size_t>(size));
    const bool ok = file.ReadExact(bytes.data(), bytes.size());
    file.Close();
    return ok;
}

}  // namespace

bool CBmpImage::Load(const std::string& path) {
    Reset();
    m_Path = path;
    CFile file;
    if (!OpenDataFile(file, path)) {
        MessageBoxSjis(path, Utf8ToSjis("下記のファイルが存在しません"));
        return false;
    }
    std::vector<uint8_t> bytes;
    CDecodedPicture picture;
    EPictureError error =
        ReadWhole(file, bytes) ? DecodeBmp(bytes.data(), bytes.size(), picture) : EPictureError::Truncated;
    if (error != EPictureError::None) {
        ReportRefused(error);
        return false;
    }
    Adopt(std::move(picture));
    return true;
}

bool CBfhImage::Load(const std::string& path) {
    Reset();
    m_Path = path;
    CFile file;
    if (!file.Open(path)) FatalErrorSjis(path, Utf8ToSjis("下記のファイルが存在しません"));
    std::vector<uint8_t> bytes;
    CDecodedPicture picture;
    EPictureError error =
        ReadWhole(file, bytes) ? DecodeBfh(bytes.data(), bytes.size(), picture) : EPictureError::Truncated;
    if (error != EPictureError::None) {
        ReportRefused(error);
        return false;
    }
    Adopt(std::move(picture));
    return true;
}
