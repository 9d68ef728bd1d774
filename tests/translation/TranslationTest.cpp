#include <gtest/gtest.h>

#include <set>

#include "JapaneseText.h"
#include "ScopedLocale.h"
#include "SharedTexts.h"
#include "SplitEngine.h"
#include "Translation.h"

TEST(Translation, LanguageChosenFromTheLocaleAndLanguageList)
{
    const std::set<std::string> catalogs{"en", "de"};
    const auto has = [&](const std::string& l) { return catalogs.count(l) > 0; };
    struct Case {
        const char* locale;
        const char* list;
        const char* chosen;
    };
    for (const Case& c : std::initializer_list<Case>{
             {"C", "", ""},                      // scripts and CI: the Japanese texts
             {"POSIX", "en", ""},                // LANGUAGE means nothing in the C locale, as for gettext
             {"C.UTF-8", "de", ""},
             {"ja_JP.UTF-8", "", ""},
             {"ja_JP.eucJP", "", ""},
             {"en_US.UTF-8", "", "en"},
             {"en_GB.UTF-8", "", "en"},
             {"de_AT.UTF-8@euro", "", "de"},     // a catalog for the language
             {"fr_FR.UTF-8", "", "en"},          // none: English
             {"fr_FR.UTF-8", "fr:de", "de"},     // the first of the list with a catalog
             {"de_DE.UTF-8", "ja:de", ""},       // Japanese asked for before it
             {"en_US.UTF-8", "fr::ja_JP", ""},
             {"ja_JP.UTF-8", "en", "en"},        // the list wins over the locale
             {"fr_FR.UTF-8", "fr:it", "en"},
         })
        EXPECT_EQ(ChooseLanguages(c.locale, c.list, has), c.chosen) << c.locale << " / " << c.list;
}

TEST(Translation, PlaceholdersFilled)
{
    struct Case {
        const char* text;
        std::vector<std::string> args;
        const char* filled;
    };
    for (const Case& c : std::initializer_list<Case>{
             {"{1} 枚目", {"12"}, "12 枚目"},
             {"{1:wide} 枚目", {"12"}, "１２ 枚目"},
             {"disk {1}", {"12"}, "disk 12"},
             {"「{1}」は {2:wide} 番まで", {"a{2}.bin", "3"}, "「a{2}.bin」は ３ 番まで"},  // arguments are not filled again
             {"{2} then {1}", {"a", "b"}, "b then a"},
             {"{3} {0} {x} {} {", {"a"}, "{3} {0} {x} {} {"},  // no such argument: kept as written
             {"no placeholder", {"a"}, "no placeholder"},
         }) {
        std::string filled;
        if (c.args.size() == 1) filled = FillPlaceholders(c.text, {c.args[0]});
        if (c.args.size() == 2) filled = FillPlaceholders(c.text, {c.args[0], c.args[1]});
        EXPECT_EQ(filled, c.filled) << c.text;
    }
}

TEST(Translation, ShownTextRecognisedByItsTextWithPlaceholders)
{
    EXPECT_TRUE(MadeFrom("\"a.bin\" already exists. Replace it?", "\"{1}\" already exists. Replace it?"));
    EXPECT_TRUE(MadeFrom("Insert disk 12.", "Insert disk {1}."));
    EXPECT_TRUE(MadeFrom("Join now?", "Join now?"));
    EXPECT_FALSE(MadeFrom("Join now", "Join now?"));
    EXPECT_FALSE(MadeFrom("Wrong disk. Insert disk 2.", "Insert disk {1}."));
    EXPECT_FALSE(MadeFrom("\"a\" already exists in the destination folder. Replace it?",
                          "\"{1}\" already exists. Replace it?"));
    EXPECT_FALSE(MadeFrom("ab", "ab{1}b"));  // too short to hold both ends
}

TEST(Translation, CatalogChosenByTheEnvironment)
{
    struct Case {
        std::initializer_list<std::pair<const char*, const char*>> environment;
        const char* language;
        std::string failed, disk;
    };
    const std::string japanese = modCarver::kSplitFailed;
    for (const Case& c : std::initializer_list<Case>{
             {{}, "ja", japanese, "１２ 枚目のﾃﾞｨｽｸをｾｯﾄして下さい"},
             {{{"LANG", "C"}, {"LANGUAGE", "en"}}, "ja", japanese, "１２ 枚目のﾃﾞｨｽｸをｾｯﾄして下さい"},
             {{{"LANG", "ja_JP.UTF-8"}}, "ja", japanese, "１２ 枚目のﾃﾞｨｽｸをｾｯﾄして下さい"},
             {{{"LANG", "en_US.UTF-8"}}, "en", "Splitting failed; find the cause and try again",
              "Please insert disk 12."},
             {{{"LC_ALL", "en_US.UTF-8"}, {"LANG", "ja_JP.UTF-8"}}, "en", "Splitting failed; find the cause and try again",
              "Please insert disk 12."},
             // A locale without a catalog, and not even installed: English all the same.
             {{{"LANG", "xx_YY.UTF-8"}}, "en", "Splitting failed; find the cause and try again",
              "Please insert disk 12."},
         }) {
        ScopedLanguage environment(c.environment, CATALOG_FOLDER);
        EXPECT_EQ(ShownLanguage(), c.language);
        EXPECT_EQ(Tr(modCarver::kSplitFailed), c.failed);
        EXPECT_EQ(modCarver::DiskQuestion(12), c.disk);
    }
}

TEST(Translation, EnglishQuestionsHoldNoJapanese)
{
    ScopedLanguage english({{"LANGUAGE", "en"}, {"LANG", "en_US.UTF-8"}}, CATALOG_FOLDER);
    EXPECT_EQ(modCarver::PieceCountQuestion(756), "Split into 756 pieces (*.001–*.756)?");
    EXPECT_EQ(modCarver::DiskQuestion(1), "Please insert disk 1.");
    for (const char* text : {kPieceCountQuestion, kFirstDiskQuestion, kDiskQuestion, kJoinQuestion, kResumeQuestion,
                             kSplitOverwriteQuestion, kJoinOverwriteQuestion, kPieceSizeQuestion, kBytesLeft})
        EXPECT_FALSE(HasJapanese(Tr(text))) << Tr(text);
}
