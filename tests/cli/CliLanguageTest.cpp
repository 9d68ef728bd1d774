// Both command-line programs in English: every line they print, for help,
// usage errors, questions, notes and failures, holds no Japanese character,
// and -y and --force still recognise the questions they answer.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>

#include "ChildProcess.h"
#include "JapaneseText.h"
#include "TempFolder.h"

namespace fs = std::filesystem;

namespace {

const std::string kCarver = CARVER_CLI;
const std::string kMender = MENDER_CLI;

// The children's locale, put back afterwards.
class ChildLocale {
public:
    ChildLocale(const char* language, const char* lang)
    {
        for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"}) {
            const char* old = std::getenv(name);
            saved_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
            ::unsetenv(name);
        }
        if (language != nullptr) ::setenv("LANGUAGE", language, 1);
        ::setenv("LANG", lang, 1);
    }
    ~ChildLocale()
    {
        for (const auto& [name, value] : saved_)
            value ? ::setenv(name.c_str(), value->c_str(), 1) : ::unsetenv(name.c_str());
    }

private:
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

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
    for (const auto& [language, lang] : {std::pair<const char*, const char*>{"en", "fr_FR.UTF-8"},
                                         {nullptr, "en_US.UTF-8"}}) {
        ChildLocale locale(language, lang);
        TempFolder dir;
        WriteBytes(dir / "src.bin", PatternBytes(10000));
        fs::create_directory(dir / "out");
        const std::string set = dir / "out/src.000";
        for (const CliRun& run : std::initializer_list<CliRun>{
                 {kCarver, {"--help"}, "", 0, "usage:"},
                 {kCarver, {"--bogus"}, "", 64, "unknown option"},
                 {kCarver, {"-s", "4096", dir / "src.bin", dir / "out"}, "cancel", 1,
                  "Split into 3 pieces (*.001–*.003)? [OK/Cancel]"},
                 {kCarver, {"-y", "-s", "4096", dir / "src.bin", dir / "out"}, "", 0,
                  "Split into 3 pieces (*.001–*.003)? [OK/Cancel] OK"},
                 {kCarver, {"-y", "-s", "4096", dir / "src.bin", dir / "out"}, "", 1,
                  "\"src.000\" already exists in the destination folder. Replace it? [Yes/No]"},
                 {kCarver, {"-y", "--force", "-s", "4096", dir / "src.bin", dir / "out"}, "", 0, "Replace it? [Yes/No] Yes"},
                 {kCarver, {"-y", dir / "missing.bin", dir / "out"}, "", 2,
                  "Splitting failed; find the cause and try again: No such file or directory"},
                 {kCarver, {"-y", dir / "out", dir / "out"}, "", 2, "Not a regular file"},
                 {kMender, {"--help"}, "", 0, "usage:"},
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
        EXPECT_NE(shown.find("Wrong disk. Please insert disk 2."), std::string::npos) << shown;
        EXPECT_FALSE(HasJapanese(shown)) << shown;
    }
}

TEST(CliLanguage, JapaneseLocaleShowsTheJapaneseTexts)
{
    ChildLocale locale(nullptr, "ja_JP.UTF-8");
    TempFolder dir;
    WriteBytes(dir / "src.bin", PatternBytes(10000));
    fs::create_directory(dir / "out");
    int status = -1;
    const std::string shown = RunAll({kCarver, {"-s", "4096", dir / "src.bin", dir / "out"}, "cancel", 1, ""}, status);
    EXPECT_NE(shown.find("分割数は *.001～*.003 の ３ です [OK/Cancel]"), std::string::npos) << shown;
}
