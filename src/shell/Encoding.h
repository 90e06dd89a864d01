#pragma once
// Shift-JIS (code page 932) is the encoding of every text the game holds. The source keeps its
// Japanese literals in UTF-8; these convert at the few places where the two meet.

#include <string>
#include <string_view>

// Characters that code page 932 cannot hold become "?" ; never fails.
std::string Utf8ToSjis(std::string_view utf8);
// Byte sequences that do not decode become U+FFFD; never fails.
std::string SjisToUtf8(std::string_view sjis);
// True when the byte starts a two-byte Shift-JIS character.
inline bool IsSjisLead(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}
