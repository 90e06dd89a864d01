#include "media/Surface.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "media/AlphaSurface.h"
#include "media/Blit.h"
#include "platform/Platform.h"
#include "resources/BitmapImage.h"
#include "resources/Image.h"
#include "shell/System.h"

namespace {

// Larger surfaces than this are refused like a creation the display cannot satisfy.
constexpr int kMaxSide = 16384;

bool ProbeMmx() {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_cpu_init();
    return __builtin_cpu_supports("mmx");
#else
    return false;
#endif
}

// The pixel format that a surface reports in a display mode of the given surface depth.
struct CPixelFormatDesc {
    int bitsPerPixel;
    uint32_t greenMask;
};

CPixelFormatDesc FormatOf(int surfaceDepth) {
    switch (surfaceDepth) {
        case 15:
            return {16, 0x03E0};
        case 16:
            return {16, 0x07E0};
        case 24:
        case 32:
            return {surfaceDepth, 0xFF00};
        default:
            return {surfaceDepth, 0};
    }
}

int BytesFor(int bitsPerPixel) {
    return bitsPerPixel <= 8 ? 1 : (bitsPerPixel + 7) / 8;
}

}  // namespace

ImageLoader CSurface::s_Loader = nullptr;

CSurface::CSurface() : m_Mmx(ProbeMmx()) {}

CSurface::~CSurface() = default;

CPlatformDisplay* CSurface::GetOwner() const {
    return m_Owner;
}

uint8_t* CSurface::GetAlphaMap() {
    return nullptr;
}

void CSurface::AlphaFromSurface(CSurface&) {}
void CSurface::AllocAlphaMap(int, int) {}
void CSurface::FreeAlphaMap() {}
void CSurface::ClearAlphaMap(int, int) {}
void CSurface::LoadAlphaMap(const std::string&, int, int) {}

void CSurface::SetDescription(int width, int height) {
    m_DescWidth = width;
    m_DescHeight = height;
    m_DescPrimary = false;
}

void CSurface::CreatePrimary(CPlatformDisplay* ddraw) {
    ReleaseSurface();
    m_DescPrimary = true;
    m_DescWidth = m_DescHeight = 0;
    if (!ddraw || !CreateFromDescription(ddraw))
        FatalError("プライマリサーフェスの作成に失敗しました。", "エラー");
}

bool CSurface::CreateFromDescription(CPlatformDisplay* ddraw) {
    if (!ddraw) return false;
    if (m_DescPrimary) {
        if (!ddraw->CreatePrimary()) return false;
        m_Primary = true;
        m_Width = 800;
        m_Height = 600;
        m_Depth = 0;  // the primary's format is the screen's; its pixels are never touched here
        return true;
    }
    return AllocatePixels(ddraw);
}

bool CSurface::AllocatePixels(CPlatformDisplay* ddraw) {
    if (m_DescWidth <= 0 || m_DescHeight <= 0 || m_DescWidth > kMaxSide || m_DescHeight > kMaxSide)
        return false;
    const CPixelFormatDesc format = FormatOf(ddraw->SurfaceDepth());
    const int bytes = BytesFor(format.bitsPerPixel);
    const int pitch = (m_DescWidth * bytes + 3) & ~3;  // rows on 4-byte boundaries, as the display keeps them
    uint8_t* pixels = new (std::nothrow) uint8_t[static_cast<size_t>(pitch) * m_DescHeight]();
    if (!pixels) return false;
    m_Pixels.reset(pixels);
    m_Width = m_DescWidth;
    m_Height = m_DescHeight;
    m_Pitch = pitch;
    m_Depth = 0;
    m_Primary = false;
    return true;
}

int CSurface::DepthFromFormat(int bitsPerPixel, uint32_t greenMask) {
    if (bitsPerPixel == 15 || bitsPerPixel == 16) return greenMask == 0x03E0 ? 15 : 16;
    if (bitsPerPixel == 24 || bitsPerPixel == 32) return bitsPerPixel;
    return 0;
}

void CSurface::ReadPixelFormat() {
    const int surfaceDepth = m_Owner ? m_Owner->SurfaceDepth() : 0;
    if (surfaceDepth <= 0) FatalError("サーフェスのピクセルフォーマットを得るのに失敗しました。", "エラー");
    const CPixelFormatDesc format = FormatOf(surfaceDepth);
    const int depth = DepthFromFormat(format.bitsPerPixel, format.greenMask);
    // The pixels were laid out for this format; a depth whose pixel size differs would not fit them.
    if (depth == 0 || (depth + 7) / 8 != BytesFor(format.bitsPerPixel))
        FatalError("未知のピクセルフォーマットです。", "エラー");
    m_Depth = depth;
}

void CSurface::ReleaseSurface() {
    if (m_Primary && m_Owner) m_Owner->ReleasePrimary();
    m_Primary = false;
    m_Pixels.reset();
    m_LockBits = nullptr;
    m_LockPitch = 0;
}

void CSurface::CreateBlankWith(CPlatformDisplay* ddraw, int width, int height, const char* text,
                               const char* caption) {
    ReleaseSurface();
    m_Owner = ddraw;
    SetDescription(width, height);
    if (!CreateFromDescription(ddraw)) FatalError(text, caption);
    ReadPixelFormat();
    m_FromImage = false;
    m_ImagePath.clear();
}

void CSurface::CreateFromImageWith(CPlatformDisplay* ddraw, const CImage& image, const char* text,
                                   const char* caption) {
    ReleaseSurface();
    m_Owner = ddraw;
    SetDescription(image.Width(), image.Height());
    if (!CreateFromDescription(ddraw)) FatalError(text, caption);
    ReadPixelFormat();
    // The picture's 24-bit rows in this format, keeping the high bits of each channel.
    for (int y = 0; y < m_Height; ++y) {
        const uint8_t* in = image.Row24(y);
        if (!in) continue;
        uint8_t* out = Row(y);
        for (int x = 0; x < m_Width; ++x, in += 3) {
            const unsigned b = in[0], g = in[1], r = in[2];
            switch (m_Depth) {
                case 15: {
                    const uint16_t v = static_cast<uint16_t>((r >> 3) << 10 | (g >> 3) << 5 | b >> 3);
                    std::memcpy(out + 2 * x, &v, 2);
                    break;
                }
                case 16: {
                    const uint16_t v = static_cast<uint16_t>((r >> 3) << 11 | (g >> 2) << 5 | b >> 3);
                    std::memcpy(out + 2 * x, &v, 2);
                    break;
                }
                case 24:
                    std::memcpy(out + 3 * x, in, 3);
                    break;
                default:
                    std::memcpy(out + 4 * x, in, 3);
                    out[4 * x + 3] = 0;
                    break;
            }
        }
    }
    m_FromImage = true;
    m_ImagePath = image.Path();
}

void CSurface::CreateFromImage(CPlatformDisplay* ddraw, const CImage& image) {
    CreateFromImageWith(ddraw, image, "サーフェスの作成に失敗しました:002", "アプリケーションエラー");
}

void CSurface::CreateBlank(CPlatformDisplay* ddraw, int width, int height) {
    CreateBlankWith(ddraw, width, height, "サーフェスの作成に失敗しました:001", "アプリケーションエラー");
}

void CSurface::CreatePrimaryWithClipper(CPlatformDisplay* ddraw) {
    m_Owner = ddraw;
    CreatePrimary(ddraw);  // the platform's primary carries the clipper of the device
}

void CSurface::Release() {
    ReleaseSurface();
}

uint8_t* CSurface::Lock() {
    if (!m_Pixels) return nullptr;
    m_LockBits = m_Pixels.get();
    m_LockPitch = m_Pitch;
    return m_LockBits;
}

void CSurface::Unlock() {
    m_LockBits = nullptr;
    m_LockPitch = 0;
}

void CSurface::Fill(int x, int y, int w, int h, uint32_t colour) {
    if (!m_Pixels) return;
    // Callers pass rectangles inside the surface; the rest is cut off rather than written past the rows.
    const int left = std::max(x, 0), top = std::max(y, 0);
    const int right = std::min(x + w, m_Width), bottom = std::min(y + h, m_Height);
    if (left >= right || top >= bottom) return;
    const uint32_t value = blit::FillValue(m_Depth, colour);
    const int bpp = BytesPerPixel();
    uint8_t bytes[4];
    std::memcpy(bytes, &value, 4);  // little-endian: the pixel's bytes in memory order
    for (int row = top; row < bottom; ++row) {
        uint8_t* p = Row(row) + static_cast<size_t>(left) * bpp;
        for (int col = left; col < right; ++col, p += bpp) std::memcpy(p, bytes, bpp);
    }
}

void CSurface::ClipToThis(CRect& dest, CRect& src) const {
    if (dest.left < 0) {
        src.left -= dest.left;
        dest.left = 0;
    }
    if (dest.top < 0) {
        src.top -= dest.top;
        dest.top = 0;
    }
    if (dest.right > m_Width) {
        src.right -= dest.right - m_Width;
        dest.right = m_Width;
    }
    if (dest.bottom > m_Height) {
        src.bottom -= dest.bottom - m_Height;
        dest.bottom = m_Height;
    }
}

void CSurface::CopyPixels(const CSurface& source, const CRect& dest, const CRect& src) {
    const int bpp = BytesPerPixel();
    blit::CopyRows(Row(dest.top) + static_cast<size_t>(dest.left) * bpp, m_Pitch,
                   source.Row(src.top) + static_cast<size_t>(src.left) * bpp, source.m_Pitch,
                   dest.Width() * bpp, dest.Height());
}

void CSurface::Blit(CSurface& source, const CRect& destRect, const CRect& srcRect, bool colourKey) {
    CRect dest = destRect, src = srcRect;
    ClipToThis(dest, src);
    // The source rectangle is tested, never clipped: leaving the source cancels the whole copy.
    if (src.left < 0 || src.top < 0 || src.right > source.Width() || src.bottom > source.Height()) return;
    if (dest.left >= dest.right || dest.top >= dest.bottom || src.left >= src.right || src.top >= src.bottom)
        return;
    if (dest.Width() != src.Width() || dest.Height() != src.Height()) return;
    // Released surfaces, and surfaces of another pixel format (not yet restored after a mode switch),
    // have nothing that could be copied.
    if (!m_Pixels || !source.m_Pixels || m_Depth != source.m_Depth) return;

    if (source.GetAlphaMap()) {
        if (GetAlphaMap()) FatalError("BLTの失敗", "エラー");
        const auto* alphaSource = dynamic_cast<const CAlphaSurface*>(&source);
        uint8_t* d = Lock();
        const uint8_t* s = source.Lock();
        // The map must cover the rectangle with entries of this depth's size.
        if (alphaSource && alphaSource->AlphaStride() == (m_Depth == 32 ? 4 : 3) &&
            src.right <= alphaSource->AlphaWidth() && src.bottom <= alphaSource->AlphaHeight()) {
            const int bpp = BytesPerPixel();
            const int stride = alphaSource->AlphaStride();
            const uint8_t* a = source.GetAlphaMap() +
                               static_cast<size_t>(src.top) * alphaSource->AlphaPitch() +
                               static_cast<size_t>(src.left) * stride;
            blit::AlphaBlend(
                m_Depth, d + static_cast<size_t>(dest.top) * m_Pitch + static_cast<size_t>(dest.left) * bpp,
                m_Pitch,
                s + static_cast<size_t>(src.top) * source.m_Pitch + static_cast<size_t>(src.left) * bpp,
                source.m_Pitch, a, alphaSource->AlphaPitch(), dest.Width(), dest.Height());
        }
        source.Unlock();
        Unlock();
        return;
    }
    if (!colourKey) {
        CopyPixels(source, dest, src);
        return;
    }
    uint8_t* d = Lock();
    const uint8_t* s = source.Lock();
    const int bpp = BytesPerPixel();
    blit::KeyedCopy(
        m_Depth, d + static_cast<size_t>(dest.top) * m_Pitch + static_cast<size_t>(dest.left) * bpp, m_Pitch,
        s + static_cast<size_t>(src.top) * source.m_Pitch + static_cast<size_t>(src.left) * bpp,
        source.m_Pitch, dest.Width(), dest.Height());
    source.Unlock();
    Unlock();
}

void CSurface::Restore(int) {
    if (!m_Owner) return;
    if (m_Primary || m_DescPrimary) {
        CreatePrimary(m_Owner);
        return;
    }
    if (m_FromImage) {
        const std::string path = m_ImagePath;
        ReleaseSurface();
        std::unique_ptr<CImage> image = LoadImage(path);
        if (image) {
            CreateFromImage(m_Owner, *image);
            return;
        }
        // The picture is gone: a blank surface of its size keeps the owner's drawing safe, and the path
        // stays for the next restore.
        CreateBlank(m_Owner, m_DescWidth, m_DescHeight);
        m_FromImage = true;
        m_ImagePath = path;
        return;
    }
    ReleaseSurface();
    CreateBlank(m_Owner, m_DescWidth, m_DescHeight);
}

bool CSurface::Present(const CSurface& source, int x, int y, int w, int h) {
    if (!m_Primary || !m_Owner) return false;
    if (!source.m_Pixels) return true;
    // The platform reads an 800 x 600 picture; a smaller source is presented only where it has rows.
    const int left = std::max(x, 0), top = std::max(y, 0);
    const int right = std::min({x + w, source.m_Width, 800}),
              bottom = std::min({y + h, source.m_Height, 600});
    if (left >= right || top >= bottom) return !m_Owner->IsPrimaryLost();
    return m_Owner->Present(source.m_Pixels.get(), source.m_Pitch, source.m_Depth, left, top, right - left,
                            bottom - top);
}

bool CSurface::IsLost() const {
    return m_Primary && m_Owner && m_Owner->IsPrimaryLost();
}

void CSurface::SetImageLoader(ImageLoader loader) {
    s_Loader = loader;
}

namespace {

bool EndsWith(const std::string& path, const char* extension) {
    const size_t n = std::strlen(extension);
    return path.size() > n && path.compare(path.size() - n, n, extension) == 0 &&
           path[path.size() - n - 1] == '.';
}

}  // namespace

std::unique_ptr<CImage> CSurface::LoadImage(const std::string& path) {
    if (s_Loader) return s_Loader(path);
    // The kind is the extension, compared exactly in lower case; jpg and jpeg are known kinds without a
    // reader (the game's data has none).
    std::unique_ptr<CBitmapImage> image;
    if (EndsWith(path, "bmp"))
        image = std::make_unique<CBmpImage>();
    else if (EndsWith(path, "bfh"))
        image = std::make_unique<CBfhImage>();
    if (!image || !image->Load(path)) return nullptr;
    return image;
}
