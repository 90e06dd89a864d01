// The font engine on FreeType and fontconfig.

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include <iconv.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <tuple>
#include <unordered_map>
#include <vector>

#include "platform/fonts/Fonts.h"
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_SIZES_H

#include "shell/Encoding.h"

namespace {

constexpr char32_t kPlaceholder = 0x3013;  // "〓", the customary mark for a character that cannot be shown
constexpr char32_t kInvalid = 0xFFFFFFFF;

// fontconfig is process-wide: started with the first engine and finished with the last.
int s_Engines = 0;

// Windows faces the game names, and the families of Debian's IPA fonts that share their metrics.
std::string FamilyFor(const std::string& faceUtf8) {
    static const std::pair<const char*, const char*> kMap[] = {
        {"ＭＳ ゴシック", "IPAGothic"},
        {"ＭＳ Ｐゴシック", "IPAPGothic"},
        {"ＭＳ 明朝", "IPAMincho"},
        {"ＭＳ Ｐ明朝", "IPAPMincho"},
    };
    for (const auto& [windows, debian] : kMap)
        if (faceUtf8 == windows) return debian;
    return faceUtf8;
}

struct CGlyph {
    int left = 0;  // from the pen position
    int top = 0;   // from the baseline, upwards
    int width = 0;
    int rows = 0;
    int advance = 0;  // the face's own advance in pixels
    std::vector<uint8_t> bits;
};

struct CFace {
    FT_Face face = nullptr;
    std::string family;
    bool bold = false;  // the face itself is bold
    int id = 0;
};

struct CSizedFace {
    FT_Size size = nullptr;
    int ascent = 0;  // pixels from the top of the cell to the baseline
};

}  // namespace

struct CFontEngine::CImpl {
    FT_Library library = nullptr;
    iconv_t decoder = reinterpret_cast<iconv_t>(-1);
    std::vector<char32_t> decoded;       // per two-byte or one-byte code; 0 = not yet decoded
    std::map<std::string, CFace> faces;  // by file and index
    std::map<std::pair<std::string, bool>, CFace*> resolved;        // by face name and boldness
    std::map<std::pair<int, int>, CSizedFace> sizes;                // by face id and height
    std::map<std::tuple<int, int, bool, char32_t>, CGlyph> glyphs;  // by face id, height, emboldened, code
    int nextId = 1;

    ~CImpl() {
        glyphs.clear();
        for (auto& [key, sized] : sizes) FT_Done_Size(sized.size);
        for (auto& [key, face] : faces) FT_Done_Face(face.face);
        if (library) FT_Done_FreeType(library);
        if (decoder != reinterpret_cast<iconv_t>(-1)) iconv_close(decoder);
    }

    CFace* Resolve(const std::string& faceSjis, bool bold, bool fixedPitch);
    CSizedFace* Sized(CFace& face, int height);
    const CGlyph& Glyph(CFace& face, int height, bool embolden, char32_t code);
    char32_t Decode(const unsigned char* bytes, size_t len);
};

CFace* CFontEngine::CImpl::Resolve(const std::string& faceSjis, bool bold, bool fixedPitch) {
    auto key = std::make_pair(faceSjis, bold);
    auto found = resolved.find(key);
    if (found != resolved.end()) return found->second;

    CFace* result = nullptr;
    std::string family = FamilyFor(SjisToUtf8(faceSjis));
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddString(pattern, FC_LANG, reinterpret_cast<const FcChar8*>("ja"));
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    if (fixedPitch) FcPatternAddInteger(pattern, FC_SPACING, FC_MONO);
    FcPatternAddInteger(pattern, FC_WEIGHT, bold ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult fcResult = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &fcResult);
    FcPatternDestroy(pattern);
    if (match) {
        FcChar8* file = nullptr;
        int index = 0;
        FcChar8* matchedFamily = nullptr;
        FcCharSet* charset = nullptr;
        FcPatternGetInteger(match, FC_INDEX, 0, &index);
        FcPatternGetString(match, FC_FAMILY, 0, &matchedFamily);
        bool japanese = FcPatternGetCharSet(match, FC_CHARSET, 0, &charset) == FcResultMatch &&
                        FcCharSetHasChar(charset, 0x3042) && FcCharSetHasChar(charset, 0x6F22);
        if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && japanese) {
            std::string faceKey =
                reinterpret_cast<const char*>(file) + std::string("#") + std::to_string(index);
            auto it = faces.find(faceKey);
            if (it == faces.end()) {
                FT_Face face = nullptr;
                if (FT_New_Face(library, reinterpret_cast<const char*>(file), index, &face) == 0) {
                    if (FT_IS_SCALABLE(face) && face->ascender - face->descender > 0) {
                        CFace entry;
                        entry.face = face;
                        entry.family = matchedFamily ? reinterpret_cast<const char*>(matchedFamily) : "";
                        // The face's own style: fontconfig reports the weight asked for when it
                        // would embolden a regular face itself.
                        entry.bold = (face->style_flags & FT_STYLE_FLAG_BOLD) != 0;
                        entry.id = nextId++;
                        it = faces.emplace(faceKey, entry).first;
                    } else {
                        FT_Done_Face(face);
                    }
                }
            }
            if (it != faces.end()) result = &it->second;
        }
        FcPatternDestroy(match);
    }
    resolved[key] = result;
    return result;
}

CSizedFace* CFontEngine::CImpl::Sized(CFace& face, int height) {
    auto key = std::make_pair(face.id, height);
    auto it = sizes.find(key);
    if (it != sizes.end()) {
        FT_Activate_Size(it->second.size);
        return &it->second;
    }
    CSizedFace sized;
    if (FT_New_Size(face.face, &sized.size) != 0) return nullptr;
    FT_Activate_Size(sized.size);
    // The cell (ascender to descender) is the requested height, as a GDI font of positive height has it.
    long cell = face.face->ascender - face.face->descender;
    FT_F26Dot6 em =
        static_cast<FT_F26Dot6>(static_cast<long long>(height) * 64 * face.face->units_per_EM / cell);
    if (FT_Set_Char_Size(face.face, 0, std::max<FT_F26Dot6>(em, 64), 72, 72) != 0) {
        FT_Done_Size(sized.size);
        return nullptr;
    }
    sized.ascent =
        static_cast<int>((static_cast<long long>(height) * face.face->ascender * 2 + cell) / (2 * cell));
    return &sizes.emplace(key, sized).first->second;
}

const CGlyph& CFontEngine::CImpl::Glyph(CFace& face, int height, bool embolden, char32_t code) {
    auto key = std::make_tuple(face.id, height, embolden, code);
    auto it = glyphs.find(key);
    if (it != glyphs.end()) return it->second;

    CGlyph glyph;
    FT_UInt index = FT_Get_Char_Index(face.face, code);
    if (index == 0 && code != kPlaceholder) index = FT_Get_Char_Index(face.face, kPlaceholder);
    CSizedFace* sized = Sized(face, height);
    if (sized && index != 0 && FT_Load_Glyph(face.face, index, FT_LOAD_NO_BITMAP) == 0) {
        FT_GlyphSlot slot = face.face->glyph;
        glyph.advance = static_cast<int>((slot->advance.x + 32) >> 6);
        if (embolden && slot->format == FT_GLYPH_FORMAT_OUTLINE) {
            // The strength FreeType's own synthetic bold uses: one 24th of the em.
            FT_Pos strength = FT_MulFix(face.face->units_per_EM, face.face->size->metrics.y_scale) / 24;
            FT_Outline_Embolden(&slot->outline, strength);
        }
        if (FT_Render_Glyph(slot, FT_RENDER_MODE_NORMAL) == 0 &&
            slot->bitmap.pixel_mode == FT_PIXEL_MODE_GRAY) {
            const FT_Bitmap& bm = slot->bitmap;
            glyph.left = slot->bitmap_left;
            glyph.top = slot->bitmap_top;
            glyph.width = static_cast<int>(bm.width);
            glyph.rows = static_cast<int>(bm.rows);
            glyph.bits.resize(static_cast<size_t>(glyph.width) * glyph.rows);
            for (int y = 0; y < glyph.rows; ++y) {
                const unsigned char* row =
                    bm.pitch >= 0 ? bm.buffer + static_cast<ptrdiff_t>(y) * bm.pitch
                                  : bm.buffer + static_cast<ptrdiff_t>(glyph.rows - 1 - y) * -bm.pitch;
                std::memcpy(&glyph.bits[static_cast<size_t>(y) * glyph.width], row, glyph.width);
            }
        }
    } else if (sized) {
        // No glyph at all: a hollow box in the cell.
        int size = std::max(4, height * 3 / 4);
        glyph.advance = height;
        glyph.left = (height - size) / 2;
        glyph.top = sized->ascent - (height - size) / 2;
        glyph.width = glyph.rows = size;
        glyph.bits.assign(static_cast<size_t>(size) * size, 0);
        for (int i = 0; i < size; ++i) {
            glyph.bits[i] = glyph.bits[static_cast<size_t>(size - 1) * size + i] = 255;
            glyph.bits[static_cast<size_t>(i) * size] = glyph.bits[static_cast<size_t>(i) * size + size - 1] =
                255;
        }
    }
    return glyphs.emplace(key, std::move(glyph)).first->second;
}

char32_t CFontEngine::CImpl::Decode(const unsigned char* bytes, size_t len) {
    unsigned code = len == 2 ? (bytes[0] << 8 | bytes[1]) : bytes[0];
    char32_t& slot = decoded[code];
    if (slot != 0) return slot;
    slot = kInvalid;
    // Control bytes have no glyph of their own.
    if (len == 1 && bytes[0] < 0x20) return slot;
    if (decoder == reinterpret_cast<iconv_t>(-1)) {
        if (len == 1 && bytes[0] < 0x80) slot = bytes[0];
        return slot;
    }
    char in[2] = {static_cast<char>(bytes[0]), static_cast<char>(len == 2 ? bytes[1] : 0)};
    unsigned char out[8] = {};
    char* src = in;
    size_t srcLeft = len;
    char* dst = reinterpret_cast<char*>(out);
    size_t dstLeft = sizeof out;
    iconv(decoder, nullptr, nullptr, nullptr, nullptr);
    size_t r = iconv(decoder, &src, &srcLeft, &dst, &dstLeft);
    // Exactly one character must come out of the unit.
    if (r != static_cast<size_t>(-1) && srcLeft == 0 && sizeof out - dstLeft == 4)
        slot =
            static_cast<char32_t>(out[0] | out[1] << 8 | out[2] << 16 | static_cast<char32_t>(out[3]) << 24);
    return slot;
}

namespace {

class CFreeTypeFont : public CPlatformFont {
  public:
    CFreeTypeFont(CFontEngine::CImpl& engine, CFace& face, const CFontRequest& request)
        : m_Engine(engine), m_Face(face), m_Request(request) {
        m_Bold = request.weight >= 600;
        m_Embolden = m_Bold && !face.bold;
    }
    const CFontRequest& Request() const override { return m_Request; }
    bool Bold() const override { return m_Bold; }
    std::string FamilyUsed() const override { return m_Face.family; }

    CTextExtent Measure(std::string_view sjis) override {
        CTextExtent extent;
        extent.height = m_Request.height;
        ForEachUnit(sjis, [&](char32_t, int advance) { extent.width += advance; });
        return extent;
    }

    void Render(std::string_view sjis, uint8_t* coverage, int width, int height, int pitch) override {
        if (!coverage || width <= 0 || height <= 0) return;
        for (int y = 0; y < height; ++y) std::memset(coverage + static_cast<ptrdiff_t>(y) * pitch, 0, width);
        CSizedFace* sized = m_Engine.Sized(m_Face, m_Request.height);
        if (!sized) return;
        int pen = 0;
        ForEachUnit(sjis, [&](char32_t code, int advance) {
            const CGlyph& g = m_Engine.Glyph(m_Face, m_Request.height, m_Embolden, code);
            // Centre a glyph whose own advance differs from the grid (faces other than the Gothic).
            int x0 = pen + g.left + (g.advance > 0 ? (advance - g.advance) / 2 : 0);
            int y0 = sized->ascent - g.top;
            Draw(g, x0, y0, coverage, width, height, pitch);
            pen += advance;
        });
    }

  private:
    // Calls f(code, grid advance) for each unit of the string, up to its end or a zero byte.
    template <typename F>
    void ForEachUnit(std::string_view sjis, F&& f) {
        const int full = m_Request.height;
        const int half = m_Request.height / 2;
        const auto* p = reinterpret_cast<const unsigned char*>(sjis.data());
        size_t n = sjis.size();
        for (size_t i = 0; i < n && p[i] != 0;) {
            if (IsSjisLead(p[i])) {
                if (i + 1 >= n || p[i + 1] == 0) {  // a lead byte without its second byte
                    f(kPlaceholder, full);
                    ++i;
                    continue;
                }
                char32_t code = m_Engine.Decode(p + i, 2);
                f(code == kInvalid ? kPlaceholder : code, full);
                i += 2;
            } else {
                char32_t code = m_Engine.Decode(p + i, 1);
                if (code == kInvalid)
                    f(kPlaceholder, full);
                else
                    f(code, half);
                ++i;
            }
        }
    }

    static void Draw(const CGlyph& g, int x0, int y0, uint8_t* coverage, int width, int height, int pitch) {
        int xs = std::max(0, -x0);
        int xe = std::min(g.width, width - x0);
        for (int y = std::max(0, -y0); y < g.rows && y0 + y < height; ++y) {
            uint8_t* out = coverage + static_cast<ptrdiff_t>(y0 + y) * pitch + x0;
            const uint8_t* in = &g.bits[static_cast<size_t>(y) * g.width];
            for (int x = xs; x < xe; ++x) {
                // White drawn over what is there: overlapping edges add up, never past full.
                unsigned a = in[x];
                if (a) out[x] = static_cast<uint8_t>(out[x] + ((255u - out[x]) * a + 127) / 255);
            }
        }
    }

    CFontEngine::CImpl& m_Engine;
    CFace& m_Face;
    CFontRequest m_Request;
    bool m_Bold = false;
    bool m_Embolden = false;
};

}  // namespace

CFontEngine::CFontEngine() : m_Impl(std::make_unique<CImpl>()) {
    if (FT_Init_FreeType(&m_Impl->library) != 0) m_Impl->library = nullptr;
    m_Impl->decoder = iconv_open("UTF-32LE", "CP932");
    m_Impl->decoded.assign(65536, 0);
    if (s_Engines++ == 0) FcInit();
}

CFontEngine::~CFontEngine() {
    m_Impl.reset();
    if (--s_Engines == 0) FcFini();
}

bool CFontEngine::Ready() const {
    return m_Impl->library != nullptr;
}

std::unique_ptr<CPlatformFont> CFontEngine::CreateFont(const CFontRequest& request) {
    if (!Ready() || request.height <= 0 || request.height > 2048) return nullptr;
    bool bold = request.weight >= 600;
    CFace* face = m_Impl->Resolve(request.faceSjis, bold, request.fixedPitch);
    if (!face) return nullptr;
    if (!m_Impl->Sized(*face, request.height)) return nullptr;
    return std::make_unique<CFreeTypeFont>(*m_Impl, *face, request);
}
