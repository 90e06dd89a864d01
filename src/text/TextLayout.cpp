#include "text/TextLayout.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "shell/Encoding.h"

namespace {

// A set of two-byte Shift-JIS units, built once from the source's UTF-8 literals.
class CUnitSet {
  public:
    CUnitSet(std::initializer_list<const char*> utf8) {
        for (const char* u : utf8) m_Units.push_back(Utf8ToSjis(u));
    }
    bool Contains(const char* unit, size_t len) const {
        if (len != 2) return false;
        for (const std::string& u : m_Units)
            if (u.size() == 2 && u[0] == unit[0] && u[1] == unit[1]) return true;
        return false;
    }

  private:
    std::vector<std::string> m_Units;
};

// Units that must not begin a line ("゜" stands twice, as in the original table).
const CUnitSet& LineStartSet() {
    static const CUnitSet set{"！", "？", "％", "）", "，", "．", "：", "；", "］", "｝", "°",
                              "’",  "”",  "‰",  "℃",  "、", "。", "々", "＞", "≫",  "」", "】",
                              "〕", "』", "゜", "゜", "ゝ", "ゞ", "ヽ", "ヾ", "・", "ー", "－",
                              "ぁ", "ぃ", "ぅ", "ぇ", "ぉ", "ゃ", "ゅ", "ょ", "ゎ", "っ", "ァ",
                              "ィ", "ゥ", "ェ", "ォ", "ャ", "ュ", "ョ", "ヮ", "ッ", "ヵ", "ヶ"};
    return set;
}

// Units that stay on the line of the unit that follows them.
const CUnitSet& LineEndSet() {
    static const CUnitSet set{"！", "＄", "（", "〔", "＜", "≪",  "［",
                              "「", "【", "￥", "‘",  "“",  "『", "｛"};
    return set;
}

// A message beginning with one of these indents its continuation lines.
const CUnitSet& IndentSet() {
    static const CUnitSet set{"「", "（", "〈", "〔", "『", "《", "【", "［", "｛", "＜", "≪"};
    return set;
}

const std::string& OpeningQuote() {
    static const std::string quote = Utf8ToSjis("「");
    return quote;
}

const std::string& IndentSpace() {
    static const std::string space = Utf8ToSjis("　");
    return space;
}

constexpr std::string_view kRubyEnd = "</r>";
constexpr std::string_view kLinkEnd = "</end>";
constexpr size_t kRubyTagBytes = 4;   // "<r" digit ">"
constexpr size_t kLinkTagBytes = 10;  // "<jump" four characters ">"

}  // namespace

CTextLayout::CTextLayout(int lineWidth) : m_LineWidth(std::clamp(lineWidth, 1, kMaxLineWidth)) {
    Reset();
}

void CTextLayout::Reset() {
    std::memset(m_Lines, 0, sizeof m_Lines);
    m_RubyCount = 0;
    m_LinkCount = 0;
    m_LineCount = 0;
    m_Indent = false;
    m_Text = {};
    m_Cursor = 0;
}

const char* CTextLayout::GetLine(int index) const {
    if (index < 0 || index >= m_LineCount) return "";
    return m_Lines[index];
}

bool CTextLayout::Layout(std::string_view text) {
    Reset();
    m_Text = text;
    m_Cursor = 0;
    size_t first = UnitLength(0);
    m_Indent = first > 0 && IndentSet().Contains(m_Text.data(), first);
    bool finished = false;
    while (!finished) {
        if (m_LineCount >= kMaxLines) break;  // the rest of the text is cut
        ++m_LineCount;
        m_Current = m_LineCount - 1;
        m_LineBytes = 0;
        m_Units = 0;
        finished = LayoutLine();
    }
    m_Text = {};
    return finished;
}

size_t CTextLayout::UnitLength(size_t pos) const {
    if (AtEnd(pos)) return 0;
    // A lone last byte is a unit of its own; the terminator is never taken into a unit.
    if (AtEnd(pos + 1)) return 1;
    return 2;
}

bool CTextLayout::UnitIs(size_t pos, const char* twoBytes) const {
    return UnitLength(pos) == 2 && m_Text[pos] == twoBytes[0] && m_Text[pos + 1] == twoBytes[1];
}

bool CTextLayout::RubyTagAt(size_t pos) const {
    if (pos + kRubyTagBytes > m_Text.size()) return false;
    std::string_view tag = m_Text.substr(pos, kRubyTagBytes);
    return tag[0] == '<' && tag[1] == 'r' && tag[2] >= '0' && tag[2] <= '9' && tag[3] == '>';
}

bool CTextLayout::LinkTagAt(size_t pos) const {
    if (pos + kLinkTagBytes > m_Text.size()) return false;
    std::string_view tag = m_Text.substr(pos, kLinkTagBytes);
    if (tag.substr(0, 5) != "<jump" || tag[9] != '>') return false;
    // The id characters must not hold the terminator.
    return tag.substr(5, 4).find('\0') == std::string_view::npos;
}

void CTextLayout::PutBytes(const char* bytes, size_t len) {
    // Keep room for the terminator; a unit that does not fit is dropped whole.
    if (m_LineBytes + len > kLineBytes - 1) return;
    std::memcpy(&m_Lines[m_Current][m_LineBytes], bytes, len);
    m_LineBytes += len;
    ++m_Units;
}

void CTextLayout::PutUnit(size_t pos, size_t len) {
    PutBytes(m_Text.data() + pos, len);
}

void CTextLayout::TakeTags() {
    for (;;) {
        if (RubyTagAt(m_Cursor))
            TakeRuby();
        else if (LinkTagAt(m_Cursor))
            TakeLink();
        else
            return;
    }
}

void CTextLayout::TakeRuby() {
    int digit = m_Text[m_Cursor + 2] - '0';
    m_Cursor += kRubyTagBytes;
    size_t close = m_Text.find(kRubyEnd, m_Cursor);
    size_t zero = m_Text.find('\0', m_Cursor);
    size_t end = std::min({close, zero, m_Text.size()});
    if (m_RubyCount < kMaxRubies) {
        CRuby& ruby = m_Rubies[m_RubyCount++];
        // The base never reaches before the start of the line.
        ruby.start = std::max(0, m_Units - digit);
        ruby.baseLength = m_Units - ruby.start;
        ruby.line = m_Current;
        size_t bytes = std::min(end - m_Cursor, static_cast<size_t>(kRubyBytes - 1));
        if (bytes % 2 == 1 && bytes == kRubyBytes - 1) --bytes;  // never cut a unit in half
        std::memcpy(ruby.text, m_Text.data() + m_Cursor, bytes);
        ruby.text[bytes] = '\0';
        ruby.length = static_cast<int>((bytes + 1) / 2);
    }
    m_Cursor = end;
    if (close != std::string_view::npos && close == end) m_Cursor += kRubyEnd.size();
}

void CTextLayout::TakeLink() {
    int id = 0;
    for (size_t i = 5; i < 9; ++i) {
        char c = m_Text[m_Cursor + i];
        if (c < '0' || c > '9') break;  // read as a decimal number: the leading digits count
        id = id * 10 + (c - '0');
    }
    m_Cursor += kLinkTagBytes;
    size_t close = m_Text.find(kLinkEnd, m_Cursor);
    size_t zero = m_Text.find('\0', m_Cursor);
    size_t end = std::min({close, zero, m_Text.size()});
    CLink* link = nullptr;
    if (m_LinkCount < kMaxLinks) {
        link = &m_Links[m_LinkCount++];
        link->id = id;
        link->start = m_Units;
        link->line = m_Current;
        link->length = 0;
        link->spare = 0;
    }
    int before = m_Units;
    while (m_Cursor < end) {
        size_t len = std::min<size_t>(2, end - m_Cursor);
        PutUnit(m_Cursor, len);
        m_Cursor += len;
    }
    if (link) link->length = m_Units - before;
    if (close != std::string_view::npos && close == end) m_Cursor += kLinkEnd.size();
}

bool CTextLayout::LayoutLine() {
    const int fill = m_LineWidth - 2;
    // Fill phase.
    while (m_Units < fill) {
        if (m_Units == 0 && m_Indent) {
            size_t len = UnitLength(m_Cursor);
            bool quote = len == 2 && UnitIs(m_Cursor, OpeningQuote().c_str());
            if (!quote) PutBytes(IndentSpace().data(), IndentSpace().size());
        }
        TakeTags();
        if (AtEnd(m_Cursor)) return true;
        if (UnitIs(m_Cursor, "/n")) {
            m_Cursor += 2;
            return false;
        }
        size_t len = UnitLength(m_Cursor);
        PutUnit(m_Cursor, len);
        m_Cursor += len;
    }

    // A tag at the cursor, or right after the next unit, belongs to this line.
    if (TagAt(m_Cursor)) {
        TakeTags();
    } else {
        size_t len = UnitLength(m_Cursor);
        if (len > 0 && !UnitIs(m_Cursor, "/n") && TagAt(m_Cursor + len)) {
            PutUnit(m_Cursor, len);
            m_Cursor += len;
            TakeTags();
        }
    }

    // Break phase. Tags that follow a unit placed here are taken with it, so that none is split off
    // to the start of the next line.
    if (AtEnd(m_Cursor)) return true;
    if (UnitIs(m_Cursor, "/n")) {
        m_Cursor += 2;
        return false;
    }
    size_t c1 = m_Cursor;
    size_t len1 = UnitLength(c1);
    PutUnit(c1, len1);
    m_Cursor += len1;
    TakeTags();
    size_t len2 = UnitLength(m_Cursor);
    bool keepPair = LineEndSet().Contains(m_Text.data() + c1, len1) ||
                    LineStartSet().Contains(m_Text.data() + m_Cursor, len2);
    if (keepPair && len2 > 0 && !UnitIs(m_Cursor, "/n")) {
        PutUnit(m_Cursor, len2);
        m_Cursor += len2;
        TakeTags();
    }
    return AtEnd(m_Cursor);
}
