#include "media/AlphaSurface.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

#include "media/Blit.h"
#include "resources/File.h"
#include "resources/Image.h"
#include "shell/System.h"

CAlphaSurface::CAlphaSurface() = default;

CAlphaSurface::~CAlphaSurface() = default;  // the map goes with the object

uint8_t* CAlphaSurface::GetAlphaMap() {
    return m_Alpha.get();
}

void CAlphaSurface::AllocAlphaMap(int width, int height) {
    FreeAlphaMap();
    if (width <= 0 || height <= 0) return;
    const int entry = m_Depth == 32 ? 4 : 3;
    uint8_t* map = new (std::nothrow) uint8_t[static_cast<size_t>(width) * height * entry]();
    if (!map) return;
    m_Alpha.reset(map);
    m_AlphaWidth = width;
    m_AlphaHeight = height;
    m_AlphaEntry = entry;
}

void CAlphaSurface::FreeAlphaMap() {
    m_Alpha.reset();
    m_AlphaWidth = m_AlphaHeight = 0;
}

void CAlphaSurface::ClearAlphaMap(int width, int height) {
    if (!m_Alpha) return;
    const int w = std::min(width, m_AlphaWidth), h = std::min(height, m_AlphaHeight);
    if (w <= 0 || h <= 0) return;
    for (int y = 0; y < h; ++y)
        std::memset(m_Alpha.get() + static_cast<size_t>(y) * AlphaPitch(), 0,
                    static_cast<size_t>(w) * m_AlphaEntry);
}

void CAlphaSurface::AlphaFromSurface(CSurface& source) {
    if (!m_Alpha || !source.HasPixels()) return;
    const uint8_t* pixels = source.Lock();
    // Over this surface's size, but never past the rows of either.
    const int w = std::min({m_Width, m_AlphaWidth, source.Width()});
    const int h = std::min({m_Height, m_AlphaHeight, source.Height()});
    const int bpp = source.BytesPerPixel();
    for (int y = 0; y < h; ++y) {
        const uint8_t* s = pixels + static_cast<size_t>(y) * source.Pitch();
        uint8_t* e = m_Alpha.get() + static_cast<size_t>(y) * AlphaPitch();
        for (int x = 0; x < w; ++x, s += bpp, e += m_AlphaEntry) {
            if (bpp == 2) {
                // The low byte of the word: a grey fill (v, v, v) left v there.
                e[0] = e[1] = e[2] = static_cast<uint8_t>(s[0] & 0xF8);
            } else {
                e[0] = s[0];
                e[1] = s[1];
                e[2] = s[2];
            }
        }
    }
    source.Unlock();
}

void CAlphaSurface::LoadAlphaMap(const std::string& fileName, int width, int height) {
    if (!m_Alpha) return;
    const int w = std::min(width, m_AlphaWidth), h = std::min(height, m_AlphaHeight);
    CFile file;
    if (!OpenDataFile(file, fileName)) {
        // No alpha map beside the picture: show it opaque rather than not at all.
        for (int y = 0; y < h; ++y) {
            uint8_t* e = m_Alpha.get() + static_cast<size_t>(y) * AlphaPitch();
            for (int x = 0; x < w; ++x, e += m_AlphaEntry) e[0] = e[1] = e[2] = 255;
        }
        return;
    }
    // A headerless file of width x height bytes, rows top to bottom; a short file leaves the rest as it was.
    std::vector<uint8_t> row(static_cast<size_t>(std::max(width, 0)));
    for (int y = 0; y < height; ++y) {
        const int64_t got = file.Read(row.data(), 1, row.size());
        if (y < h) {
            uint8_t* e = m_Alpha.get() + static_cast<size_t>(y) * AlphaPitch();
            for (int x = 0; x < w && x < got; ++x, e += m_AlphaEntry) e[0] = e[1] = e[2] = row[x];
        }
        if (got < static_cast<int64_t>(row.size())) break;
    }
    file.Close();
}

void CAlphaSurface::CreateFromImage(CPlatformDisplay* ddraw, const CImage& image) {
    CreateFromImageWith(ddraw, image, "サーフェスの作成に失敗しました:004", "エラー");
    AllocAlphaMap(m_Width, m_Height);
    LoadAlphaMap(AlphaFileName(m_ImagePath), m_Width, m_Height);
}

void CAlphaSurface::CreateBlank(CPlatformDisplay* ddraw, int width, int height) {
    CreateBlankWith(ddraw, width, height, "サーフェスの作成に失敗しました:03", "エラー");
    AllocAlphaMap(width, height);
    ClearAlphaMap(width, height);
}

void CAlphaSurface::Release() {
    ReleaseSurface();
    FreeAlphaMap();
}

void CAlphaSurface::Blit(CSurface& source, const CRect& destRect, const CRect& srcRect, bool) {
    CRect dest = destRect, src = srcRect;
    ClipToThis(dest, src);
    if (dest.left >= dest.right || dest.top >= dest.bottom || src.left >= src.right || src.top >= src.bottom)
        return;
    if (dest.Width() != src.Width() || dest.Height() != src.Height()) return;
    // The source rectangle must lie inside the source; a copy from outside would read past its rows.
    if (src.left < 0 || src.top < 0 || src.right > source.Width() || src.bottom > source.Height()) return;
    auto* alphaSource = dynamic_cast<CAlphaSurface*>(&source);
    if (!source.GetAlphaMap() || !GetAlphaMap() || !alphaSource)
        FatalError("非αデータ　→　αデータ転送エラー", "エラー");
    if (!HasPixels() || !source.HasPixels() || m_Depth != source.Depth()) return;
    if (src.right > alphaSource->m_AlphaWidth || src.bottom > alphaSource->m_AlphaHeight ||
        dest.right > m_AlphaWidth || dest.bottom > m_AlphaHeight || alphaSource->m_AlphaEntry != m_AlphaEntry)
        return;
    // Alpha first, three bytes an entry (the fourth byte of a 32-bit entry stays), then the pixels.
    const int stride = m_AlphaEntry;
    for (int y = 0; y < dest.Height(); ++y) {
        const uint8_t* s = alphaSource->m_Alpha.get() +
                           static_cast<size_t>(src.top + y) * alphaSource->AlphaPitch() +
                           static_cast<size_t>(src.left) * stride;
        uint8_t* d = m_Alpha.get() + static_cast<size_t>(dest.top + y) * AlphaPitch() +
                     static_cast<size_t>(dest.left) * stride;
        if (stride == 3) {
            std::memmove(d, s, static_cast<size_t>(dest.Width()) * 3);
        } else {
            for (int x = 0; x < dest.Width(); ++x, s += 4, d += 4) std::memmove(d, s, 3);
        }
    }
    CopyPixels(source, dest, src);
}

void CAlphaSurface::Restore(int depth) {
    if (!m_Owner) return;
    if (m_FromImage || m_Primary) {
        CSurface::Restore(depth);  // reloads the picture, and through CreateFromImage the alp file
        return;
    }
    // A blank alpha surface keeps its alpha values across the re-creation (three bytes an entry).
    std::vector<uint8_t> saved;
    const int w = m_AlphaWidth, h = m_AlphaHeight;
    if (m_Alpha) {
        saved.resize(static_cast<size_t>(w) * h * 3);
        for (size_t i = 0; i < static_cast<size_t>(w) * h; ++i)
            std::memcpy(&saved[i * 3], m_Alpha.get() + i * m_AlphaEntry, 3);
    }
    Release();
    CreateBlank(m_Owner, m_DescWidth, m_DescHeight);
    if (!m_Alpha || saved.empty()) return;
    const int cw = std::min(w, m_AlphaWidth), ch = std::min(h, m_AlphaHeight);
    for (int y = 0; y < ch; ++y)
        for (int x = 0; x < cw; ++x)
            std::memcpy(m_Alpha.get() + (static_cast<size_t>(y) * m_AlphaWidth + x) * m_AlphaEntry,
                        &saved[(static_cast<size_t>(y) * w + x) * 3], 3);
}

std::string CAlphaSurface::AlphaFileName(const std::string& imagePath) {
    // Only a point in the last path component starts the extension.
    const size_t slash = imagePath.find_last_of("/\\");
    const size_t dot = imagePath.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return imagePath + ".alp";
    return imagePath.substr(0, dot + 1) + "alp";
}
