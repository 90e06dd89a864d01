#include "TextTestSupport.h"

#include <algorithm>

#include "media/Surface.h"

CFontEngine& SharedFontEngine() {
    static CFontEngine engine;
    return engine;
}

namespace {

class CScriptedFont : public CPlatformFont {
  public:
    CScriptedFont(CScriptedFonts& owner, const CFontRequest& request) : m_Owner(owner), m_Request(request) {}
    const CFontRequest& Request() const override { return m_Request; }
    bool Bold() const override { return m_Request.weight >= 600; }
    std::string FamilyUsed() const override { return "scripted"; }
    CTextExtent Measure(std::string_view sjis) override {
        return sjis.empty() ? CTextExtent{0, m_Owner.extent.height} : m_Owner.extent;
    }
    void Render(std::string_view, uint8_t* coverage, int width, int height, int pitch) override {
        m_Owner.renderedWidth = width;
        m_Owner.renderedHeight = height;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                coverage[static_cast<size_t>(y) * pitch + x] = m_Owner.pattern(x, y);
    }

  private:
    CScriptedFonts& m_Owner;
    CFontRequest m_Request;
};

}  // namespace

std::unique_ptr<CPlatformFont> CScriptedFonts::CreateFont(const CFontRequest& request) {
    if (fail) return nullptr;
    ++created;
    return std::make_unique<CScriptedFont>(*this, request);
}

CRgb PixelAt(const CSurface& surface, int x, int y) {
    const uint8_t* p = surface.Row(y) + static_cast<size_t>(x) * 4;
    return CRgb{p[2], p[1], p[0]};
}
