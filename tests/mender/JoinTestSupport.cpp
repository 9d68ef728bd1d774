#include <sys/resource.h>
#include <csignal>
#include "JoinTestSupport.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <gtest/gtest.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

#include "Files.h"
#include "Manifest.h"
#include "Paths.h"
#include "Sha256SumCheck.h"
#include "SplitSet.h"
#include "TempFolder.h"
#include "modMender.h"

std::string FailureText(const std::string& description) { return kFailureLine + "\r\n" + description; }
std::string DiskPrompt(const std::string& n) { return n + " 枚目のﾃﾞｨｽｸをｾｯﾄして下さい"; }
std::string WrongDiskPrompt(const std::string& n) { return "ﾃﾞｨｽｸが違います　" + n + " 番のﾃﾞｨｽｸをｾｯﾄして下さい"; }

std::string TestSet::Joined() const
{
    std::string all;
    for (const std::string& p : pieces) all += p;
    return all;
}

TestSet MakeSet(const std::string& folder, const std::string& stem, const std::string& line2Bytes,
                const std::vector<size_t>& pieceSizes, const std::string& line1)
{
    TestSet set;
    if (!FolderExists(folder)) IgnoreResult(CreateFolder(folder));
    set.folder = folder;
    set.joinInfoPath = folder + stem + "000";
    const std::string count = line1.empty() ? PieceCountLine(static_cast<int32_t>(pieceSizes.size())) : line1;
    WriteBytes(set.joinInfoPath, count + "\r\n" + line2Bytes + "\r\n");
    for (size_t k = 0; k < pieceSizes.size(); ++k) {
        set.pieces.push_back(PatternBytes(pieceSizes[k], static_cast<uint32_t>(k + 7)));
        set.piecePaths.push_back(folder + stem + PieceNumberText(static_cast<int32_t>(k + 1)));
        WriteBytes(set.piecePaths.back(), set.pieces.back());
    }
    return set;
}

void JoinRun::Run(const std::string& joinInfoPath, const std::string& destination)
{
    // The fake answers OK once its script runs out; an engine that keeps asking
    // fails the test instead of hanging it.
    auto scripted = ui.onQuestion;
    ui.onQuestion = [&, scripted](const FakeUiServices::Question& q) {
        if (ui.questions.size() > 100) throw std::runtime_error("the join keeps asking: " + q.text);
        if (scripted) scripted(q);
    };
    modMender::JoinFiles(window, ui, joinInfoPath, destination, drives);
    ui.onQuestion = scripted;
}

std::vector<std::string> JoinRun::QuestionsAfterFirst() const
{
    std::vector<std::string> texts = ui.Texts();
    if (!texts.empty()) texts.erase(texts.begin());
    return texts;
}

std::vector<std::string> NamesIn(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

int RunInChild(const std::function<int()>& fn)
{
    std::fflush(nullptr);
    const pid_t pid = ::fork();
    if (pid < 0) return -1;
    if (pid == 0) ::_exit(fn());
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {}
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

std::vector<std::string> JoinWithFileSizeLimit(long limit, bool afterDelete, const std::string& joinInfoPath,
                                               const std::string& destination)
{
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) return {"child failed"};
    const int code = RunInChild([&] {
        ::close(pipeFds[0]);
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit rl{static_cast<rlim_t>(limit), static_cast<rlim_t>(limit)};
        if (::setrlimit(RLIMIT_FSIZE, &rl) != 0) return 90;
        JoinRun run;
        run.window.afterDelete = afterDelete;
        run.Run(joinInfoPath, destination);
        for (const std::string& text : run.QuestionsAfterFirst()) {
            const std::string line = text + '\0';
            if (::write(pipeFds[1], line.data(), line.size()) < 0) return 91;
        }
        return 0;
    });
    ::close(pipeFds[1]);
    std::string all;
    char chunk[4096];
    for (ssize_t n; (n = ::read(pipeFds[0], chunk, sizeof chunk)) > 0;) all.append(chunk, static_cast<size_t>(n));
    ::close(pipeFds[0]);
    if (code != 0) return {"child failed"};
    std::vector<std::string> texts;
    for (size_t start = 0, end; (end = all.find('\0', start)) != std::string::npos; start = end + 1)
        texts.push_back(all.substr(start, end - start));
    return texts;
}

void WriteSetManifest(const TestSet& set, const std::vector<int>& pieces, bool whole, const std::string& folder)
{
    std::vector<ManifestEntry> entries;
    for (const int k : pieces) entries.push_back({FileNameOf(set.piecePaths[k - 1]), Sha256Hex(set.pieces[k - 1])});
    if (whole) entries.push_back({"movie.avi", Sha256Hex(set.Joined())});
    ASSERT_TRUE(WriteManifest((folder.empty() ? set.folder : folder) + "movie.sha256", entries).ok());
}
