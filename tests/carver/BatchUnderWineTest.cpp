// The join batch file judged by a Windows command shell: each split set is
// joined by running its batch file with wine's cmd in a Japanese locale
// (CP932). Skipped where wine or the locale is not installed.
#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <locale.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include "SplitTestSupport.h"

namespace {

std::string ProgramOnPath(const std::string& name)
{
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/bin:/bin";
    for (size_t start = 0; start <= dirs.size();) {
        const size_t end = std::min(dirs.find(':', start), dirs.size());
        const std::string candidate = dirs.substr(start, end - start) + "/" + name;
        if (::access(candidate.c_str(), X_OK) == 0) return candidate;
        start = end + 1;
    }
    return {};
}

bool JapaneseLocaleInstalled()
{
    const locale_t l = ::newlocale(LC_ALL_MASK, "ja_JP.UTF-8", static_cast<locale_t>(0));
    if (l == static_cast<locale_t>(0)) return false;
    ::freelocale(l);
    return true;
}

// Runs "wine cmd /c BATCH" in the folder; true when it ran to its end (with
// the shell's exit status and what it printed where asked for). The shell
// runs on a terminal of its own, so that it has a console as on Windows,
// where chcp sets the code page the batch file is read in.
bool RunBatch(const std::string& wine, const std::string& folder, const std::string& batch, int* exitStatus = nullptr,
              std::string* printed = nullptr)
{
    const std::string prefix = std::string(std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp") +
                               "/carver-wine-prefix-" + std::to_string(::getuid());
    int terminal = -1;
    const pid_t pid = ::forkpty(&terminal, nullptr, nullptr, nullptr);
    if (pid < 0) return false;
    if (pid == 0) {
        if (::chdir(folder.c_str()) != 0) ::_exit(126);
        ::setenv("LANG", "ja_JP.UTF-8", 1);
        ::setenv("LC_ALL", "ja_JP.UTF-8", 1);
        ::setenv("WINEPREFIX", prefix.c_str(), 1);
        ::setenv("WINEDEBUG", "-all", 1);
        ::unsetenv("DISPLAY");
        ::execlp("timeout", "timeout", "--foreground", "180", wine.c_str(), "cmd", "/c", batch.c_str(),
                 static_cast<char*>(nullptr));
        ::_exit(127);
    }
    // What the shell prints is read, so that the shell never waits for room
    // on its terminal. Wine's server outlives the shell and keeps the
    // terminal open: the end is the shell's exit.
    char sink[4096];
    int status = 0;
    for (;;) {
        pollfd output{terminal, POLLIN, 0};
        ssize_t n = 0;
        if (::poll(&output, 1, 20) > 0 && (output.revents & POLLIN) && (n = ::read(terminal, sink, sizeof sink)) > 0) {
            if (printed) printed->append(sink, static_cast<size_t>(n));
            continue;
        }
        const pid_t ended = ::waitpid(pid, &status, WNOHANG);
        if (ended == pid || (ended < 0 && errno != EINTR)) break;
        if (output.revents & POLLHUP) ::usleep(20000);
    }
    ::close(terminal);
    if (exitStatus) *exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return WIFEXITED(status) && WEXITSTATUS(status) != 124 && WEXITSTATUS(status) != 127;
}

// Whether the shell reads the lines after "chcp 65001" as UTF-8, as the
// Windows command shell does. Older wine reads every line of a batch file
// in its OEM code page, whatever chcp says.
bool ShellFollowsChcp(const std::string& wine)
{
    const TempFolder folder;
    WriteBytes(folder / "probe.bat", "@echo off\r\nchcp 65001 > nul\r\ntype nul > \"é.txt\"\r\n");
    return RunBatch(wine, folder.Path(), "probe.bat") && FileExists(folder / "é.txt");
}

struct BatchUnderWine : SplitRunTest {
    std::string wine;
    void SetUp() override
    {
        wine = ProgramOnPath("wine");
        if (wine.empty()) wine = ProgramOnPath("wine64");
        if (wine.empty()) GTEST_SKIP() << "wine is not installed";
        if (!JapaneseLocaleInstalled()) GTEST_SKIP() << "the ja_JP.UTF-8 locale is not generated";
        window.batchMake = true;
    }

    // Splits a source of that name, runs the batch file beside a file that a
    // stray "del *.*" would remove, and returns what the shell rebuilt.
    std::string SplitAndJoin(const std::string& name)
    {
        MakeSource(10000 + name.size(), name);
        const TempFolder set;
        if (!modCarver::SplitFile(window, ui, source, set.Path(), 4096)) return "(split failed)";
        WriteBytes(set / "canary.txt", "still here");
        // The file runs under a plain name: "cmd /c" would parse a name like
        // x^y&z.bat on its own command line, which is not what is tested here.
        WriteBytes(set / "run-set.bat", ReadBytes(set / (BaseNameOf(name) + ".bat")));
        if (!RunBatch(wine, set.Path(), "run-set.bat")) return "(the shell did not run)";
        if (ReadBytes(set / "canary.txt") != "still here") return "(the batch file deleted files)";
        if (!FileExists(set / BaseNameOf(name).append(".001"))) return "(the batch file deleted the pieces)";
        return FileExists(set / name) ? ReadBytes(set / name) : "(not rebuilt)";
    }

    testing::AssertionResult Rebuilt(const std::string& name)
    {
        const std::string result = SplitAndJoin(name);
        if (result == content) return testing::AssertionSuccess();
        return testing::AssertionFailure() << (result.size() < 100 ? result : "(other bytes)");
    }
};

TEST_F(BatchUnderWine, OrdinaryAndJapaneseNamesJoin)
{
    for (const std::string name : {"movie.avi", "archive.tar.gz", "表ソ動画.mpg"})
        EXPECT_TRUE(Rebuilt(name)) << name;
}

TEST_F(BatchUnderWine, NamesCp932CannotHoldJoinUnderTheirOwnNames)
{
    if (!ShellFollowsChcp(wine)) GTEST_SKIP() << "this wine's cmd reads batch files in its OEM code page only";
    for (const std::string name : {"price¥100.txt", "第1話〜最終話.avi", "¢£¬—‖‾−.bin", "café.avi"})
        EXPECT_TRUE(Rebuilt(name)) << name;
}

TEST_F(BatchUnderWine, NamesWithShellCharactersJoinAndRunNothingElse)
{
    for (const std::string name :
         {"my movie.avi", "100%.avi", "a&b (1),c;d=e.avi", "x^y&z.avi", "50% off & more!.avi", "a+b.c+d.avi"})
        EXPECT_TRUE(Rebuilt(name)) << name;
}

TEST_F(BatchUnderWine, ANameWindowsCannotHoldRunsNoCommandOfItsOwn)
{
    // The shell cannot name such a file at all, but the script must not act on it.
    for (const std::string name : {"a&del *.*&.avi", "a|del canary.txt|.avi"}) {
        const std::string result = SplitAndJoin(name);
        EXPECT_TRUE(result == content || result == "(not rebuilt)") << name << ": " << result.substr(0, 40);
    }
}

// A set whose one copy line would pass the shell's 8,191 characters (301
// pieces of a long name, 10,535 characters) joins line by line; without the
// first line's pieces the copy fails and the script ends there, with a
// non-zero exit and without its finished line.
TEST_F(BatchUnderWine, LongSetsJoinAndAFailedCopyEndsTheScript)
{
    const std::string name = "abcdefghijklmnopqrstuvwxyz0123.bin";
    for (const int pieces : {301, 1000}) {
        MakeSource(4096 * static_cast<size_t>(pieces - 1) + 100, name);
        const TempFolder set;
        ASSERT_TRUE(modCarver::SplitFile(window, ui, source, set.Path(), 4096));
        ASSERT_TRUE(FileExists(set / ("abcdefghijklmnopqrstuvwxyz0123." + PieceNumberText(pieces)))) << pieces;
        WriteBytes(set / "run-set.bat", ReadBytes(set / "abcdefghijklmnopqrstuvwxyz0123.bat"));
        int status = -1;
        std::string printed;
        ASSERT_TRUE(RunBatch(wine, set.Path(), "run-set.bat", &status, &printed)) << pieces;
        EXPECT_EQ(status, 0) << printed;
        EXPECT_NE(printed.find("連結終了しました"), std::string::npos) << printed;
        EXPECT_EQ(ReadBytes(set / name), content) << pieces;

        ASSERT_TRUE(DeleteFile(set / name).ok());
        for (int k = 1; k < pieces; ++k)
            ASSERT_TRUE(DeleteFile(set / ("abcdefghijklmnopqrstuvwxyz0123." + PieceNumberText(k))).ok());
        printed.clear();
        ASSERT_TRUE(RunBatch(wine, set.Path(), "run-set.bat", &status, &printed)) << pieces;
        EXPECT_NE(status, 0) << printed;
        EXPECT_EQ(printed.find("連結終了しました"), std::string::npos) << printed;
        EXPECT_FALSE(FileExists(set / name)) << "the lines after the failed copy did not run";
    }
}

}  // namespace
