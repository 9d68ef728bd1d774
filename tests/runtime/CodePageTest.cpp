#include <gtest/gtest.h>

#include "CodePage.h"

TEST(CodePage, Cp932RoundTrips)
{
    struct Case { const char* utf8; const char* cp932; };
    const Case cases[] = {
        {"movie.avi", "movie.avi"},
        {"ﾌｧｲﾙ", "\xCC\xA7\xB2\xD9"},          // half-width katakana: one byte each
        {"～", "\x81\x60"},                      // full-width tilde
        {"連結中．．．", "\x98\x41\x8C\x8B\x92\x86\x81\x44\x81\x44\x81\x44"},
        {"動画.avi", "\x93\xAE\x89\xE6.avi"},
    };
    for (const auto& c : cases) {
        const auto encoded = Utf8ToCp932(c.utf8);
        ASSERT_TRUE(encoded) << c.utf8;
        EXPECT_EQ(*encoded, c.cp932) << c.utf8;
        EXPECT_EQ(Cp932ToUtf8(*encoded), std::string(c.utf8));
        EXPECT_EQ(EncodeTextLine(c.utf8), c.cp932);
        EXPECT_EQ(DecodeTextLine(c.cp932), c.utf8);
    }
}

TEST(CodePage, NamesCp932CannotHoldFallBackToMarkedUtf8)
{
    for (const std::string name : {"café.txt", "Müller.doc", "😀.png", "丂.avi"}) {
        EXPECT_FALSE(Utf8ToCp932(name)) << name;
        const std::string line = EncodeTextLine(name);
        EXPECT_EQ(line, std::string(kUtf8Mark) + name);
        EXPECT_EQ(DecodeTextLine(line), name);
    }
}

TEST(CodePage, InvalidCp932BytesAreKept)
{
    EXPECT_EQ(DecodeTextLine("\x81"), "\x81");
    EXPECT_EQ(DecodeTextLine(""), "");
}

TEST(CodePage, CharacterCounting)
{
    EXPECT_EQ(CharacterCount("abc"), 3u);
    EXPECT_EQ(CharacterCount("ﾃﾞｨｽｸ"), 5u);
    EXPECT_EQ(CharacterCount("😀a"), 2u);
    EXPECT_EQ(LastCharacters("abc005", 3), "005");
    EXPECT_EQ(LastCharacters("５", 3), "５");
    EXPECT_EQ(LastCharacters("ab００５", 3), "００５");
    EXPECT_EQ(LastCharacters("", 3), "");
}
