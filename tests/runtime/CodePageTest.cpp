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
        // The full-width forms that the lossy mappings below land on are CP932's own.
        {"￥￠￡￢―∥－＼", "\x81\x8F\x81\x91\x81\x92\x81\xCA\x81\x5C\x81\x61\x81\x7C\x81\x5F"},
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
    // The second row: characters the converter maps to CP932 bytes that read
    // back as other characters (〜 as ～, ¥ as a backslash, ‾ as a tilde …).
    for (const std::string name : {"café.txt", "Müller.doc", "😀.png", "丂.avi",                      //
                                   "第1話〜最終話.avi", "price¥100.txt", "¢.txt", "£5.txt", "¬a.txt",  //
                                   "a—b.txt", "a‖b.txt", "a‾b.txt", "1−2.txt"}) {
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
