// Both command-line programs in English: every line they print, for help,
// usage errors, questions, notes and failures, holds no Japanese character,
// and -y and --force still recognise the questions they answer.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <cwchar>
#include <filesystem>
#include <sstream>

#include "ChildProcess.h"
#include "JapaneseText.h"
#include "ScopedLocale.h"
#include "TempFolder.h"

namespace fs = std::filesystem;

namespace {

const std::string kCarver = CARVER_CLI;
const std::string kMender = MENDER_CLI;

struct CliRun {
    const std::string& program;
    std::vector<std::string> args;
    std::string input;
    int status;
    std::string shows;  // a line part that must be there
};

// Everything the program writes, standard output and standard error.
std::string RunAll(const CliRun& run, int& status)
{
    ChildProcess child(run.program, run.args, true);
    if (!run.input.empty()) child.Send(run.input);
    status = child.Wait();
    return child.Err();
}

}  // namespace

TEST(CliLanguage, EnglishShowsNoJapaneseAnywhere)
{
    using Variables = std::initializer_list<std::pair<const char*, const char*>>;
    // English asked for by name (in a locale that is not even installed), and by the locale.
    for (const Variables variables : {Variables{{"LANGUAGE", "en"}, {"LANG", "fr_FR.UTF-8"}},
                                      Variables{{"LANG", "en_US.UTF-8"}}}) {
        ScopedLocale locale(variables);
        TempFolder dir;
        WriteBytes(dir / "src.bin", PatternBytes(10000));
        fs::create_directory(dir / "out");
        const std::string set = dir / "out/src.000";
        for (const CliRun& run : std::initializer_list<CliRun>{
                 {kCarver, {"--help"}, "", 0, "usage:"},
                 {kCarver, {"--bogus"}, "", 64, "unknown option"},
                 {kCarver, {"-s", "3x", "a", "b"}, "", 64,
                  "carver-cli: not a valid size: '3x'\nusage: carver-cli [OPTION]... SOURCE FOLDER\n"
                  "Try 'carver-cli --help' for more information.\n"},
                 {kCarver, {"-s", "4096", dir / "src.bin", dir / "out"}, "cancel", 1,
                  "Split into 3 pieces (*.001–*.003)? [OK/Cancel]"},
                 // The Japanese choice words answer in English too.
                 {kCarver, {"-s", "4096", dir / "src.bin", dir / "out"}, "キャンセル", 1, "[OK/Cancel]"},
                 {kCarver, {"-y", "-s", "4096", dir / "src.bin", dir / "out"}, "", 0,
                  "Split into 3 pieces (*.001–*.003)? [OK/Cancel] OK"},
                 {kCarver, {"-y", "-s", "4096", dir / "src.bin", dir / "out"}, "", 1,
                  "\"src.000\" already exists in the destination folder. Replace it? [Yes/No]"},
                 {kCarver, {"-y", "--force", "-s", "4096", dir / "src.bin", dir / "out"}, "", 0, "Replace it? [Yes/No] Yes"},
                 {kCarver, {"-y", dir / "missing.bin", dir / "out"}, "", 2,
                  "Splitting failed; find the cause and try again: No such file or directory"},
                 {kCarver, {"-y", dir / "out", dir / "out"}, "", 2, "Not a regular file"},
                 {kMender, {"--help"}, "", 0, "usage:"},
                 {kMender, {set}, "", 64, "mender-cli: JOIN_INFO and FOLDER are needed"},
                 {kMender, {"-y", set, dir / "joined"}, "", 0, "Join the pieces now? [OK/Cancel] OK"},
                 {kMender, {"-y", set, dir / "joined"}, "", 1, "\"src.bin\" already exists. Replace it? [Yes/No]"},
                 {kMender, {"-y", "--force", set, dir / "joined"}, "", 0, "Replace it? [Yes/No] Yes"},
                 {kMender, {"-y", dir / "src.bin", dir / "joined"}, "", 2, "The join-info file"},
             }) {
            int status = -1;
            const std::string shown = RunAll(run, status);
            EXPECT_EQ(status, run.status) << shown;
            EXPECT_NE(shown.find(run.shows), std::string::npos) << shown;
            EXPECT_FALSE(HasJapanese(shown)) << shown;
        }
        // A piece missing on a fixed drive: the wrong-disk question names it.
        fs::remove(dir / "out/src.002");
        int status = -1;
        const std::string shown = RunAll({kMender, {set, dir / "again"}, "ok\ncancel", 1, ""}, status);
        EXPECT_NE(shown.find("src.002: missing\nWrong disk. Please insert disk 2."), std::string::npos) << shown;
        EXPECT_FALSE(HasJapanese(shown)) << shown;
    }
}

// The columns a line takes on a terminal: full-width characters take two.
size_t Columns(const std::string& line)
{
    std::setlocale(LC_CTYPE, "C.UTF-8");
    std::wstring wide(line.size(), L'\0');
    wide.resize(std::mbstowcs(wide.data(), line.c_str(), wide.size()));
    return static_cast<size_t>(wcswidth(wide.c_str(), wide.size()));
}

TEST(CliLanguage, HelpFitsEightyColumnsInEveryLanguage)
{
    for (const char* lang : {"C.UTF-8", "en_US.UTF-8"}) {
        ScopedLocale locale({{"LANG", lang}});
        for (const std::string& program : {kCarver, kMender}) {
            ChildProcess child(program, {"--help"}, true);
            EXPECT_EQ(child.Wait(), 0);
            std::istringstream help(child.Err());
            size_t lines = 0;
            for (std::string line; std::getline(help, line); ++lines) EXPECT_LT(Columns(line), 80u) << line;
            EXPECT_GT(lines, 20u) << child.Err();
        }
    }
}

TEST(CliLanguage, JapaneseLocaleShowsTheJapaneseTexts)
{
    ScopedLocale locale({{"LANG", "ja_JP.UTF-8"}});
    TempFolder dir;
    WriteBytes(dir / "src.bin", PatternBytes(10000));
    fs::create_directory(dir / "out");
    int status = -1;
    const std::string shown = RunAll({kCarver, {"-s", "4096", dir / "src.bin", dir / "out"}, "cancel", 1, ""}, status);
    EXPECT_NE(shown.find("分割数は *.001～*.003 の ３ です [OK/キャンセル]"), std::string::npos) << shown;
}
