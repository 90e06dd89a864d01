#include "shell/Encoding.h"

#include <iconv.h>

#include <cerrno>

namespace {

// Converts with iconv; an invalid or unconvertible input unit is replaced and skipped.
std::string Convert(const char* to, const char* from, std::string_view in, std::string_view replacement,
                    size_t skipUnit) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::string(in);
    std::string out;
    out.reserve(in.size() * 2 + 4);
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    char buffer[512];
    while (srcLeft > 0) {
        char* dst = buffer;
        size_t dstLeft = sizeof buffer;
        size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
        out.append(buffer, sizeof buffer - dstLeft);
        if (r == static_cast<size_t>(-1)) {
            if (errno == E2BIG) continue;
            // EILSEQ or EINVAL: one unit that does not convert.
            out.append(replacement);
            size_t skip = skipUnit;
            if (skipUnit == 0) {  // UTF-8 input: skip the whole sequence
                unsigned char c = static_cast<unsigned char>(*src);
                skip = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
            } else if (IsSjisLead(static_cast<unsigned char>(*src))) {
                skip = 2;
            }
            if (skip > srcLeft) skip = srcLeft;
            src += skip;
            srcLeft -= skip;
            iconv(cd, nullptr, nullptr, nullptr, nullptr);
        }
    }
    iconv_close(cd);
    return out;
}

}  // namespace

std::string Utf8ToSjis(std::string_view utf8) {
    return Convert("CP932", "UTF-8", utf8, "?", 0);
}

std::string SjisToUtf8(std::string_view sjis) {
    return Convert("UTF-8", "CP932", sjis, "\xEF\xBF\xBD", 1);
}
