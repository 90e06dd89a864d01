#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "shell/Encoding.h"
#include "text/TextLayout.h"

namespace {

// Full-width characters that belong to none of the break sets.
const std::vector<std::string>& Plain() {
    static const std::vector<std::string> chars = [] {
        const char* all =
            "かきくけこさしすせそたちつてとなにぬねのはひふへほまみむめもやゆよらりるれろわをん"
            "アイウエオカキクケコサシスセソタチツテト";
        std::vector<std::string> out;
        for (const char* p = all; *p;) {
            size_t n = (static_cast<unsigned char>(*p) >= 0xE0) ? 3 : 1;
            out.emplace_back(p, n);
            p += n;
        }
        return out;
    }();
    return chars;
}

// Characters [from, from + n) of the plain list (cycling), as UTF-8.
std::string Chars(int from, int n) {
    std::string s;
    for (int i = 0; i < n; ++i) s += Plain()[(from + i) % Plain().size()];
    return s;
}

std::unique_ptr<CTextLayout> LayoutU8(const std::string& utf8) {
    auto layout = std::make_unique<CTextLayout>(28);
    layout->Layout(Utf8ToSjis(utf8));
    return layout;
}

std::vector<std::string> LinesU8(const CTextLayout& layout) {
    std::vector<std::string> lines;
    for (int i = 0; i < layout.GetLineCount(); ++i) lines.push_back(SjisToUtf8(layout.GetLine(i)));
    return lines;
}

int Units(const char* sjisLine) {
    return static_cast<int>((std::strlen(sjisLine) + 1) / 2);
}

struct LayoutCase {
    const char* name;
    std::string text;
    std::vector<std::string> lines;
};

class TextLayoutLines : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(TextLayoutLines, GivesTheExpectedLines) {
    const LayoutCase& c = GetParam();
    auto layout = LayoutU8(c.text);
    EXPECT_EQ(LinesU8(*layout), c.lines);
}

const std::string kOpen = "「";
const std::string kSpace = "　";

INSTANTIATE_TEST_SUITE_P(
    Cases, TextLayoutLines,
    ::testing::Values(
        LayoutCase{"ThirtyCharactersGive27And3", Chars(0, 30), {Chars(0, 27), Chars(27, 3)}},
        LayoutCase{"ExactlyOneLine", Chars(0, 27), {Chars(0, 27)}},
        LayoutCase{"PeriodAs28thStaysOnLine0",
                   Chars(0, 27) + "。" + Chars(27, 2),
                   {Chars(0, 27) + "。", Chars(27, 2)}},
        LayoutCase{"OnlyOneLineStartUnitIsPulledBack",
                   Chars(0, 27) + "。」" + Chars(27, 1),
                   {Chars(0, 27) + "。", "」" + Chars(27, 1)}},
        LayoutCase{"OpeningQuoteAs27thTakesItsFollower",
                   Chars(0, 26) + "「" + Chars(26, 3),
                   {Chars(0, 26) + "「" + Chars(26, 1), Chars(27, 2)}},
        LayoutCase{"IndentedMessageAndItsContinuation",
                   kOpen + Chars(0, 40) + "」",
                   {kOpen + Chars(0, 26), kSpace + Chars(26, 14) + "」"}},
        LayoutCase{"ParenthesisAtStartIsIndentedAtOnce",
                   "（" + Chars(0, 5) + "）",
                   {kSpace + "（" + Chars(0, 5) + "）"}},
        LayoutCase{"NewlineAtStartOfContinuationLineGivesIndentOnly",
                   kOpen + Chars(0, 26) + "/n" + Chars(30, 1),
                   {kOpen + Chars(0, 26), kSpace, kSpace + Chars(30, 1)}},
        LayoutCase{"EmptyTextGivesOneEmptyLine", "", {""}},
        LayoutCase{"TextEndingInNewlineGivesEmptyLastLine", Chars(0, 1) + "/n", {Chars(0, 1), ""}},
        LayoutCase{"NewlineEndsTheLine", Chars(0, 2) + "/n" + Chars(2, 2), {Chars(0, 2), Chars(2, 2)}},
        LayoutCase{
            "WaitMarkerStaysInTheLine", Chars(0, 1) + "/c" + Chars(1, 1), {Chars(0, 1) + "/c" + Chars(1, 1)}},
        LayoutCase{"NewlineAfterBreakUnitGivesEmptyLine",
                   Chars(0, 27) + "/n" + Chars(27, 1),
                   {Chars(0, 27), "", Chars(27, 1)}},
        LayoutCase{"NewlineAfterLineEndUnitStaysAtCursor",
                   Chars(0, 26) + "「/n" + Chars(26, 1),
                   {Chars(0, 26) + "「", "", Chars(26, 1)}},
        LayoutCase{"NewlineAtBreakPositionIsConsumed", Chars(0, 26) + "/n", {Chars(0, 26), ""}},
        LayoutCase{"DoubleNewlineGivesEmptyLine",
                   Chars(0, 1) + "/n/n" + Chars(1, 1),
                   {Chars(0, 1), "", Chars(1, 1)}},
        LayoutCase{"OtherIndentOpenerIsPrecededBySpace",
                   "『" + Chars(0, 30) + "』",
                   {kSpace + "『" + Chars(0, 25), kSpace + Chars(25, 5) + "』"}}),
    [](const ::testing::TestParamInfo<LayoutCase>& info) { return std::string(info.param.name); });

TEST(TextLayout, EveryLineStartUnitIsPulledOntoTheFullLine) {
    const char* set[] = {"！", "？", "％", "）", "，", "．", "：", "；", "］", "｝", "°",  "’",  "”",  "‰",
                         "℃",  "、", "。", "々", "＞", "≫",  "」", "】", "〕", "』", "゜", "ゝ", "ゞ", "ヽ",
                         "ヾ", "・", "ー", "－", "ぁ", "ぃ", "ぅ", "ぇ", "ぉ", "ゃ", "ゅ", "ょ", "ゎ", "っ",
                         "ァ", "ィ", "ゥ", "ェ", "ォ", "ャ", "ュ", "ョ", "ヮ", "ッ", "ヵ", "ヶ"};
    for (const char* u : set) {
        SCOPED_TRACE(u);
        ASSERT_EQ(Utf8ToSjis(u).size(), 2u);
        auto layout = LayoutU8(Chars(0, 27) + u + Chars(27, 2));
        EXPECT_EQ(LinesU8(*layout), (std::vector<std::string>{Chars(0, 27) + u, Chars(27, 2)}));
    }
}

TEST(TextLayout, EveryLineEndUnitTakesItsFollower) {
    const char* set[] = {"！", "＄", "（", "〔", "＜", "≪", "［", "「", "【", "￥", "‘", "“", "『", "｛"};
    for (const char* u : set) {
        SCOPED_TRACE(u);
        ASSERT_EQ(Utf8ToSjis(u).size(), 2u);
        auto layout = LayoutU8(Chars(0, 26) + u + Chars(26, 3));
        EXPECT_EQ(LinesU8(*layout),
                  (std::vector<std::string>{Chars(0, 26) + u + Chars(26, 1), Chars(27, 2)}));
    }
}

TEST(TextLayout, IndentSetDecidesTheIndentFlag) {
    const char* set[] = {"「", "（", "〈", "〔", "『", "《", "【", "［", "｛", "＜", "≪"};
    for (const char* u : set) {
        SCOPED_TRACE(u);
        auto layout = LayoutU8(std::string(u) + Chars(0, 3));
        EXPECT_TRUE(layout->GetIndent());
        std::string expected = (std::string(u) == "「" ? "" : kSpace) + u + Chars(0, 3);
        EXPECT_EQ(SjisToUtf8(layout->GetLine(0)), expected);
    }
    EXPECT_FALSE(LayoutU8(Chars(0, 3) + "「")->GetIndent());
    EXPECT_FALSE(LayoutU8("」" + Chars(0, 3))->GetIndent());
}

TEST(TextLayout, RubyOverTwoBaseCharacters) {
    auto layout = LayoutU8("漢字<r2>かんじ</r>");
    ASSERT_EQ(layout->GetLineCount(), 1);
    EXPECT_EQ(SjisToUtf8(layout->GetLine(0)), "漢字");
    ASSERT_EQ(layout->GetRubyCount(), 1);
    const CTextLayout::CRuby& r = layout->GetRuby(0);
    EXPECT_EQ(r.start, 0);
    EXPECT_EQ(r.baseLength, 2);
    EXPECT_EQ(r.length, 3);
    EXPECT_EQ(r.line, 0);
    EXPECT_EQ(SjisToUtf8(r.text), "かんじ");
}

TEST(TextLayout, RubyOnSecondLineAfterOtherText) {
    auto layout = LayoutU8(Chars(0, 2) + "/n" + Chars(2, 3) + "漢字<r2>かんじ</r>" + Chars(5, 1));
    ASSERT_EQ(layout->GetRubyCount(), 1);
    EXPECT_EQ(layout->GetRuby(0).line, 1);
    EXPECT_EQ(layout->GetRuby(0).start, 3);
    EXPECT_EQ(SjisToUtf8(layout->GetLine(1)), Chars(2, 3) + "漢字" + Chars(5, 1));
}

TEST(TextLayout, LinkWithIdAndThreeUnits) {
    auto layout = LayoutU8(Chars(0, 2) + "<jump0012>辞書語</end>" + Chars(2, 1));
    ASSERT_EQ(layout->GetLinkCount(), 1);
    const CTextLayout::CLink& l = layout->GetLink(0);
    EXPECT_EQ(l.id, 12);
    EXPECT_EQ(l.length, 3);
    EXPECT_EQ(l.start, 2);
    EXPECT_EQ(l.line, 0);
    EXPECT_EQ(SjisToUtf8(layout->GetLine(0)), Chars(0, 2) + "辞書語" + Chars(2, 1));
}

TEST(TextLayout, RubyTagAfterTheNextUnitAtTheBreakBelongsToIt) {
    auto layout = LayoutU8(Chars(0, 26) + "漢<r1>かん</r>" + Chars(26, 5));
    ASSERT_EQ(layout->GetRubyCount(), 1);
    EXPECT_EQ(layout->GetRuby(0).line, 0);
    EXPECT_EQ(layout->GetRuby(0).start, 26);
    EXPECT_EQ(layout->GetRuby(0).baseLength, 1);
    // The base unit joins the line before the break unit.
    EXPECT_EQ(LinesU8(*layout), (std::vector<std::string>{Chars(0, 26) + "漢" + Chars(26, 1), Chars(27, 4)}));
}

TEST(TextLayout, LinkAtTheBreakStaysWhole) {
    auto layout = LayoutU8(Chars(0, 26) + "<jump0003>辞書語</end>" + Chars(26, 2));
    ASSERT_EQ(layout->GetLinkCount(), 1);
    EXPECT_EQ(layout->GetLink(0).line, 0);
    EXPECT_EQ(layout->GetLink(0).start, 26);
    EXPECT_EQ(layout->GetLink(0).length, 3);
    EXPECT_EQ(LinesU8(*layout),
              (std::vector<std::string>{Chars(0, 26) + "辞書語" + Chars(26, 1), Chars(27, 1)}));
}

TEST(TextLayout, TagAfterALineEndUnitIsNotSplitIntoText) {
    // The 27th unit carries a ruby; "「" is the 28th with a ruby of its own, and the pair rule looks past it.
    auto layout = LayoutU8(Chars(0, 26) + "漢<r1>かん</r>「<r1>かぎ</r>" + Chars(26, 2));
    ASSERT_EQ(layout->GetRubyCount(), 2);
    EXPECT_EQ(layout->GetRuby(1).start, 27);
    EXPECT_EQ(layout->GetRuby(1).line, 0);
    EXPECT_EQ(SjisToUtf8(layout->GetRuby(1).text), "かぎ");
    EXPECT_EQ(LinesU8(*layout),
              (std::vector<std::string>{Chars(0, 26) + "漢「" + Chars(26, 1), Chars(27, 1)}));
}

TEST(TextLayout, LinesAreCutAtOneHundred) {
    std::string text;
    for (int i = 0; i < 150; ++i) text += Chars(i, 1) + "/n";
    CTextLayout layout(28);
    EXPECT_FALSE(layout.Layout(Utf8ToSjis(text)));
    EXPECT_EQ(layout.GetLineCount(), CTextLayout::kMaxLines);
    EXPECT_EQ(SjisToUtf8(layout.GetLine(99)), Chars(99, 1));
    EXPECT_STREQ(layout.GetLine(100), "");
    EXPECT_TRUE(layout.Layout(Utf8ToSjis(Chars(0, 3))));
    EXPECT_EQ(layout.GetLineCount(), 1);
}

TEST(TextLayout, RubyAndLinkTablesAreCutAtOneHundred) {
    std::string text;
    for (int i = 0; i < 60; ++i) text += "字<r1>じ</r>字<r1>じ</r><jump0001>語</end><jump0002>語</end>/n";
    auto layout = LayoutU8(text);
    EXPECT_EQ(layout->GetRubyCount(), CTextLayout::kMaxRubies);
    EXPECT_EQ(layout->GetLinkCount(), CTextLayout::kMaxLinks);
    // Text beyond the tables still lays out.
    EXPECT_EQ(layout->GetLineCount(), 61);
    EXPECT_EQ(SjisToUtf8(layout->GetLine(59)), "字字語語");
}

TEST(TextLayout, OverlongLinkIsCutAtTheLineRecord) {
    std::string text = "<jump0001>" + Chars(0, 700) + "</end>" + Chars(3, 1);
    auto layout = LayoutU8(text);
    ASSERT_GE(layout->GetLineCount(), 1);
    EXPECT_LT(std::strlen(layout->GetLine(0)), static_cast<size_t>(CTextLayout::kLineBytes));
    EXPECT_EQ(layout->GetLink(0).length, Units(layout->GetLine(0)));
}

TEST(TextLayout, OverlongRubyIsCutAtItsRecord) {
    auto layout = LayoutU8("字<r1>" + Chars(0, 700) + "</r>");
    ASSERT_EQ(layout->GetRubyCount(), 1);
    EXPECT_LT(std::strlen(layout->GetRuby(0).text), static_cast<size_t>(CTextLayout::kRubyBytes));
    EXPECT_EQ(layout->GetRuby(0).length, 511);
    EXPECT_EQ(SjisToUtf8(layout->GetLine(0)), "字");
}

TEST(TextLayout, UnclosedTagsRunToTheEndOfTheText) {
    auto ruby = LayoutU8("字<r1>かな");
    ASSERT_EQ(ruby->GetRubyCount(), 1);
    EXPECT_EQ(SjisToUtf8(ruby->GetRuby(0).text), "かな");
    EXPECT_EQ(SjisToUtf8(ruby->GetLine(0)), "字");
    auto link = LayoutU8("<jump0042>語句");
    ASSERT_EQ(link->GetLinkCount(), 1);
    EXPECT_EQ(link->GetLink(0).id, 42);
    EXPECT_EQ(SjisToUtf8(link->GetLine(0)), "語句");
}

TEST(TextLayout, RubyBaseNeverReachesBeforeTheLine) {
    auto layout = LayoutU8("字<r5>じ</r>");
    ASSERT_EQ(layout->GetRubyCount(), 1);
    EXPECT_EQ(layout->GetRuby(0).start, 0);
    EXPECT_EQ(layout->GetRuby(0).baseLength, 1);
}

TEST(TextLayout, MalformedTagsAreText) {
    EXPECT_EQ(SjisToUtf8(LayoutU8("<rx>")->GetLine(0)), "<rx>");
    EXPECT_EQ(LayoutU8("<rx>")->GetRubyCount(), 0);
    EXPECT_EQ(SjisToUtf8(LayoutU8("<jump12>")->GetLine(0)), "<jump12>");
    EXPECT_EQ(LayoutU8("<jump12>")->GetLinkCount(), 0);
}

TEST(TextLayout, OddTrailingByteAndEmbeddedZeroEndTheText) {
    CTextLayout layout(28);
    std::string text = Utf8ToSjis("字") + "A";
    EXPECT_TRUE(layout.Layout(text));
    EXPECT_EQ(std::string(layout.GetLine(0)), text);
    std::string withZero = Utf8ToSjis("字");
    withZero.push_back('\0');
    withZero += Utf8ToSjis("後");
    EXPECT_TRUE(layout.Layout(withZero));
    EXPECT_EQ(SjisToUtf8(layout.GetLine(0)), "字");
    EXPECT_EQ(layout.GetLineCount(), 1);
}

TEST(TextLayout, LinesOfOtherWidths) {
    for (int width : {3, 10, 40}) {
        SCOPED_TRACE(width);
        CTextLayout layout(width);
        layout.Layout(Utf8ToSjis(Chars(0, 3 * (width - 1))));
        ASSERT_EQ(layout.GetLineCount(), 3);
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(SjisToUtf8(layout.GetLine(i)), Chars(i * (width - 1), width - 1));
    }
}

TEST(TextLayout, ResetEmptiesEverything) {
    auto layout = LayoutU8("字<r1>じ</r><jump0001>語</end>/n" + Chars(0, 2));
    layout->Reset();
    EXPECT_EQ(layout->GetLineCount(), 0);
    EXPECT_EQ(layout->GetRubyCount(), 0);
    EXPECT_EQ(layout->GetLinkCount(), 0);
    EXPECT_STREQ(layout->GetLine(0), "");
}

}  // namespace
