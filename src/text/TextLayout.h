#pragma once
// Cuts the Shift-JIS text of one message into display lines: two-byte units, the line-breaking rules
// for Japanese text, the indent of a quoted utterance, and the ruby and link tags.
//
// Control sequences in a message:
//   "/n"                      ends the line
//   "/c"                      a wait point, kept in the line as an ordinary unit
//   "<rD>ruby</r>"            D is one digit: the ruby applies to the D units before the tag
//   "<jumpNNNN>text</end>"    NNNN is read as a decimal link id; the text enters the line

#include <string_view>

class CTextLayout {
  public:
    static constexpr int kMaxLines = 100;
    static constexpr int kLineBytes = 1024;
    static constexpr int kMaxRubies = 100;
    static constexpr int kMaxLinks = 100;
    static constexpr int kRubyBytes = 1024;
    // Wider lines than this are clamped; a line record must hold its units and a break pair.
    static constexpr int kMaxLineWidth = 256;

    struct CRuby {
        char text[kRubyBytes];  // zero-terminated Shift-JIS
        int length;             // units of the ruby text
        int start;              // index of the first base unit in its line
        int line;
        int baseLength;  // units
    };
    struct CLink {
        int id;
        int length;  // units
        int start;   // index of the first unit in its line
        int line;
        int spare;
    };

    explicit CTextLayout(int lineWidth = 28);

    void Reset();
    // Lays the text out from its start; the text ends at its size or at a zero byte. Returns false when
    // the text was cut because it needed more than kMaxLines lines.
    bool Layout(std::string_view text);

    int GetLineCount() const { return m_LineCount; }
    // The zero-terminated line; an index out of range gives an empty line.
    const char* GetLine(int index) const;
    int GetLineWidth() const { return m_LineWidth; }
    bool GetIndent() const { return m_Indent; }

    int GetRubyCount() const { return m_RubyCount; }
    const CRuby& GetRuby(int index) const { return m_Rubies[index]; }
    int GetLinkCount() const { return m_LinkCount; }
    const CLink& GetLink(int index) const { return m_Links[index]; }

  private:
    // One line; returns true when the text ended.
    bool LayoutLine();
    // Takes every ruby or link tag at the cursor into the current line.
    void TakeTags();
    void TakeRuby();
    void TakeLink();
    // Puts the unit at `pos` into the current line (units beyond the record's room are dropped).
    void PutUnit(size_t pos, size_t len);
    void PutBytes(const char* bytes, size_t len);

    bool AtEnd(size_t pos) const { return pos >= m_Text.size() || m_Text[pos] == '\0'; }
    size_t UnitLength(size_t pos) const;
    bool UnitIs(size_t pos, const char* twoBytes) const;
    bool RubyTagAt(size_t pos) const;
    bool LinkTagAt(size_t pos) const;
    bool TagAt(size_t pos) const { return RubyTagAt(pos) || LinkTagAt(pos); }

    char m_Lines[kMaxLines][kLineBytes];
    int m_LineWidth;
    std::string_view m_Text;  // the message being laid out (not owned)
    size_t m_Cursor = 0;
    bool m_Indent = false;
    CRuby m_Rubies[kMaxRubies];
    int m_RubyCount = 0;
    CLink m_Links[kMaxLinks];
    int m_LinkCount = 0;
    int m_LineCount = 0;

    // The line being laid out: its index, its byte length and its units.
    int m_Current = 0;
    size_t m_LineBytes = 0;
    int m_Units = 0;
};
