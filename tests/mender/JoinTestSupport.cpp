#include "JoinTestSupport.h"

#include <cstdio>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

#include "Files.h"
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
