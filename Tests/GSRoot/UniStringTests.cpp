// GS::UniString: UTF-8/UTF-16 conversion, field copies, formatting, ordering; CHCompareTexts.
#include <gtest/gtest.h>

#include "../../Sources/Host/GSRoot/UniString.hpp"

namespace {

TEST(UniString, Utf8RoundTripIncludingSurrogatePairs)
{
    const std::string text = "Wohnnutzfl\xC3\xA4"
                             "che \xE2\x82\xAC \xF0\x9F\x8F\xA0"; // ä, €, U+1F3E0
    const GS::UniString s(text);
    ASSERT_EQ(s.GetLength(), 19u);
    EXPECT_EQ(s[10], u'\u00E4');
    EXPECT_EQ(s[15], u'\u20AC');
    EXPECT_EQ(s[17], char16_t(0xD83C));
    EXPECT_EQ(s[18], char16_t(0xDFE0));
    EXPECT_EQ(s.ToUtf8(), text);
}

struct InvalidUtf8Case {
    const char* bytes;
    std::u16string expected;
};

TEST(UniString, InvalidUtf8BecomesReplacementCharacters)
{
    const InvalidUtf8Case cases[] = {
        {"a\xFF"
         "b",
         u"a\uFFFDb"},         // never a lead byte
        {"a\x80", u"a\uFFFD"}, // stray continuation byte
        {"\xC3", u"\uFFFD"},   // truncated at the end
        {"\xE2\x82"
         "x",
         u"\uFFFDx"},                                      // truncated in the middle
        {"\xC0\xAF", u"\uFFFD\uFFFD"},                     // overlong '/'
        {"\xED\xA0\x80", u"\uFFFD\uFFFD\uFFFD"},           // an encoded surrogate
        {"\xF4\x90\x80\x80", u"\uFFFD\uFFFD\uFFFD\uFFFD"}, // above U+10FFFF
    };
    for (const auto& c : cases)
        EXPECT_EQ(GS::UniString(c.bytes).Units(), c.expected) << c.bytes;
    EXPECT_EQ(GS::UniString(static_cast<const char*>(nullptr)).GetLength(), 0u);
}

TEST(UniString, LoneSurrogateBecomesReplacementInUtf8)
{
    const char16_t units[] = {u'x', char16_t(0xD800), u'y', 0};
    EXPECT_EQ(GS::UniString(units).ToUtf8(), "x\xEF\xBF\xBDy");
}

TEST(UniString, CopyToFieldCutsAt255UnitsWithoutSplittingAPair)
{
    GS::UniChar field[256];
    // 254 'a' followed by a pair: the pair would need units 255 and 256, so it is left out.
    std::u16string units(254, u'a');
    units += u"\U0001F3E0";
    EXPECT_FALSE(GS::UniString(units).CopyToField(field, 256));
    EXPECT_EQ(std::u16string(field), std::u16string(254, u'a'));

    // 253 'a' and a pair fit exactly.
    std::u16string fits(253, u'a');
    fits += u"\U0001F3E0";
    EXPECT_TRUE(GS::UniString(fits).CopyToField(field, 256));
    EXPECT_EQ(std::u16string(field), fits);

    // A long plain text is cut to 255 units and terminated; nothing is written past the field.
    GS::UniChar guarded[257];
    guarded[256] = u'#';
    EXPECT_FALSE(GS::UniString(std::u16string(400, u'b')).CopyToField(guarded, 256));
    EXPECT_EQ(std::u16string(guarded).size(), 255u);
    EXPECT_EQ(guarded[256], u'#');

    EXPECT_FALSE(GS::UniString("x").CopyToField(field, 0));
}

TEST(UniString, PrintfReplacesPlaceholdersInOrder)
{
    EXPECT_EQ(GS::UniString::Printf("Arealist %s (%s) 100%%", "1.0.0", GS::UniString("de")),
              GS::UniString("Arealist 1.0.0 (de) 100%"));
    EXPECT_EQ(GS::UniString::Printf("a %s b %s", "x"), GS::UniString("a x b ")); // missing argument: empty
    EXPECT_EQ(GS::UniString::Printf("%d %s", "x"), GS::UniString("%d x"));       // other directives stay
}

TEST(UniString, OrdersByCodeUnits)
{
    EXPECT_LT(GS::UniString("A1"), GS::UniString("A10"));
    EXPECT_LT(GS::UniString("A10"), GS::UniString("B2"));
    EXPECT_LT(GS::UniString("B2"), GS::UniString("a1")); // letter case counts
    EXPECT_FALSE(GS::UniString("A1") < GS::UniString("A1"));
}

TEST(CHCompareTexts, ComparesBytesWithOptionalLengthsAndCase)
{
    EXPECT_EQ(GS::CHCompareTexts("al_lines", "al_lines"), 0);
    EXPECT_LT(GS::CHCompareTexts("al_line", "al_lines"), 0);
    EXPECT_GT(GS::CHCompareTexts("b", "a"), 0);
    EXPECT_NE(GS::CHCompareTexts("AL_lines", "al_lines"), 0);
    EXPECT_EQ(GS::CHCompareTexts("AL_lines", "al_lines", -1, -1, 1), 0);
    EXPECT_EQ(GS::CHCompareTexts("al_linesXYZ", "al_lines", 8, -1), 0);
    EXPECT_GT(GS::CHCompareTexts("\xC3\xA4", "z"), 0); // bytes are unsigned
    EXPECT_EQ(GS::CHCompareTexts(nullptr, ""), 0);
}

} // namespace
