#pragma once
// A picture in the display's pixel format: the back buffer, every layer's image, the work surfaces of
// the effects. Off-screen surfaces are plain memory (rows `Pitch()` bytes apart, depth 15, 16, 24 or
// 32); the primary surface holds no pixels and stands for the platform's screen, reached through
// `Present`. Surfaces are made by the display's factories (Display.h) and given back through
// `CDisplay::ReleaseSurface`.
//
// The virtual operations keep the slot order of the surface family; the slots marked reserved are
// unused placeholders so that a subclass overrides the same slots.

#include <cstdint>
#include <memory>
#include <string>

class CImage;
class CPlatformDisplay;

// A rectangle, right and bottom exclusive.
struct CRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool operator==(const CRect&) const = default;
};

// Loads a picture file by its relative path (kind chosen by the extension); none when it cannot.
using ImageLoader = std::unique_ptr<CImage> (*)(const std::string& path);

class CSurface {
  public:
    CSurface();
    virtual ~CSurface();                                // 0: frees the object only
    virtual CPlatformDisplay* GetOwner() const;         // 1
    virtual uint8_t* GetAlphaMap();                     // 2: none on a plain surface
    virtual void AlphaFromSurface(CSurface& source);    // 3
    virtual void AllocAlphaMap(int width, int height);  // 4
    virtual void FreeAlphaMap();                        // 5
    virtual void ClearAlphaMap(int width, int height);  // 6
    virtual void LoadAlphaMap(const std::string& fileName, int width, int height);  // 7
    virtual void SetDescription(int width, int height);                             // 8
    virtual void Reserved9() {}                                                     // 9
    virtual void CreatePrimary(CPlatformDisplay* ddraw);                            // 10: fatal on failure
    virtual bool CreateFromDescription(CPlatformDisplay* ddraw);                    // 11
    virtual void ReleaseSurface();                                                  // 12
    virtual void CreateFromImage(CPlatformDisplay* ddraw, const CImage& image);     // 13: fatal on failure
    virtual void CreateBlank(CPlatformDisplay* ddraw, int width, int height);       // 14: fatal on failure
    virtual void Reserved15() {}                                                    // 15
    virtual void CreatePrimaryWithClipper(CPlatformDisplay* ddraw);                 // 16
    virtual void Release();                                                         // 17
    virtual uint8_t* Lock();                                         // 18: first pixel; none without pixels
    virtual void Unlock();                                           // 19
    virtual void Fill(int x, int y, int w, int h, uint32_t colour);  // 20: colour 0x00BBGGRR
    virtual void Blit(CSurface& source, const CRect& dest, const CRect& src, bool colourKey);  // 21
    virtual void Restore(int depth);                                                           // 22

    // The primary only: copies the rectangle of `source` (an 800 x 600 back buffer) to the screen.
    // False when the platform reports the primary lost (or this is not a primary).
    bool Present(const CSurface& source, int x, int y, int w, int h);
    // The primary only: whether the platform reports it lost.
    bool IsLost() const;

    int Width() const { return m_Width; }
    int Height() const { return m_Height; }
    // 15, 16, 24 or 32 once created; 0 before.
    int Depth() const { return m_Depth; }
    int BytesPerPixel() const { return m_Depth == 32 ? 4 : m_Depth == 24 ? 3 : m_Depth ? 2 : 0; }
    int Pitch() const { return m_Pitch; }
    bool IsPrimary() const { return m_Primary; }
    // Whether off-screen pixels exist (created and not released).
    bool HasPixels() const { return m_Pixels != nullptr; }
    bool IsLocked() const { return m_LockBits != nullptr; }
    bool FromImage() const { return m_FromImage; }
    const std::string& ImagePath() const { return m_ImagePath; }
    // Direct row access for code that has locked the surface or owns it outright (tests, kernels).
    uint8_t* Row(int y) { return m_Pixels.get() + static_cast<size_t>(y) * m_Pitch; }
    const uint8_t* Row(int y) const { return m_Pixels.get() + static_cast<size_t>(y) * m_Pitch; }
    // The processor reported MMX at construction (on x86-64 it always does).
    bool HasMmx() const { return m_Mmx; }

    // The depth that a pixel format stands for: 15 or 16 by the green mask (0x03E0 is 5-5-5) at 15 or
    // 16 bits per pixel, 24 or 32 as they are; 0 for any other format.
    static int DepthFromFormat(int bitsPerPixel, uint32_t greenMask);

    // The loader used for pictures by path (CreateFromImage's restore and the display's factories).
    // The default reads bmp and bfh files through the resource lookup.
    static void SetImageLoader(ImageLoader loader);
    static std::unique_ptr<CImage> LoadImage(const std::string& path);

  protected:
    // Reads the pixel format of a fresh surface into m_Depth; fatal when unreadable or unknown.
    void ReadPixelFormat();
    // Allocates the off-screen pixels for the description at the display's current format.
    bool AllocatePixels(CPlatformDisplay* ddraw);
    // The three creation steps with the failure message of the class's kind.
    void CreateBlankWith(CPlatformDisplay* ddraw, int width, int height, const char* text,
                         const char* caption);
    void CreateFromImageWith(CPlatformDisplay* ddraw, const CImage& image, const char* text,
                             const char* caption);
    // Copies the rectangle's pixels (no key), both rectangles already validated.
    void CopyPixels(const CSurface& source, const CRect& dest, const CRect& src);
    // The four clipping steps against this surface's size.
    void ClipToThis(CRect& dest, CRect& src) const;

    CPlatformDisplay* m_Owner = nullptr;
    // The creation description: wanted size, and whether it asks for the primary.
    int m_DescWidth = 0;
    int m_DescHeight = 0;
    bool m_DescPrimary = false;

    std::unique_ptr<uint8_t[]> m_Pixels;
    int m_Width = 0;
    int m_Height = 0;
    int m_Pitch = 0;
    int m_Depth = 0;
    bool m_Primary = false;
    bool m_FromImage = false;
    std::string m_ImagePath;
    uint8_t* m_LockBits = nullptr;
    int m_LockPitch = 0;
    bool m_Mmx = false;

  private:
    static ImageLoader s_Loader;
};
