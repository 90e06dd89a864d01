#pragma once
// A surface with a per-pixel alpha map: rows of `Width()` entries, top row first, each entry 3 bytes
// (4 at depth 32): byte 0 the alpha of blue, 1 of green, 2 of red (byte 3 unused by the blend).
// Alpha 0 keeps the destination, 255 covers it with the source. As a source of `Blit` it is blended
// onto plain surfaces; as a destination it takes over pixels and alpha of another alpha surface.

#include <cstdint>
#include <memory>
#include <string>

#include "media/Surface.h"

class CAlphaSurface : public CSurface {
  public:
    CAlphaSurface();
    ~CAlphaSurface() override;
    uint8_t* GetAlphaMap() override;
    void AlphaFromSurface(CSurface& source) override;
    void AllocAlphaMap(int width, int height) override;
    void FreeAlphaMap() override;
    void ClearAlphaMap(int width, int height) override;
    void LoadAlphaMap(const std::string& fileName, int width, int height) override;
    void CreateFromImage(CPlatformDisplay* ddraw, const CImage& image) override;
    void CreateBlank(CPlatformDisplay* ddraw, int width, int height) override;
    void Release() override;
    void Blit(CSurface& source, const CRect& dest, const CRect& src, bool colourKey) override;
    void Restore(int depth) override;

    // Bytes per alpha entry (3, or 4 at depth 32) and per alpha row.
    int AlphaStride() const { return m_Depth == 32 ? 4 : 3; }
    int AlphaPitch() const { return m_AlphaWidth * AlphaStride(); }
    int AlphaWidth() const { return m_AlphaWidth; }
    int AlphaHeight() const { return m_AlphaHeight; }

    // The alp file beside an image: the text after the last point replaced by "alp".
    static std::string AlphaFileName(const std::string& imagePath);

  private:
    std::unique_ptr<uint8_t[]> m_Alpha;
    int m_AlphaWidth = 0;
    int m_AlphaHeight = 0;
    int m_AlphaEntry = 3;  // entry size the map was allocated with
};
