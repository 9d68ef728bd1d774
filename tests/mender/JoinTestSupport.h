#pragma once
// Split sets on disk for the join tests, and a run of the engine with fakes.
#include <functional>
#include <string>
#include <vector>

#include "FakeJoinerWindow.h"
#include "FakePlatform.h"
#include "FakeUiServices.h"

// The texts the engine shows.
inline const std::string kAskJoin = "ﾌｧｲﾙの連結を行います";
inline const std::string kFailureLine = "ﾌｧｲﾙ連結失敗　原因を調査後再度実行してください";
std::string FailureText(const std::string& description);  // first line, CR LF, description
std::string DiskPrompt(const std::string& fullWidthNumber);       // "２ 枚目の…"
std::string WrongDiskPrompt(const std::string& fullWidthNumber);  // "ﾃﾞｨｽｸが違います　２ 番の…"

// A split set written as the splitter leaves it, in folder (created when missing): the join-info file (line 1
// and line 2 given as raw bytes, each ended by CR LF) and the pieces
// folder + stem + "001" ... with pattern content.
struct TestSet {
    std::string folder;
    std::string joinInfoPath;
    std::vector<std::string> piecePaths;
    std::vector<std::string> pieces;  // content of each piece
    std::string Joined() const;       // every piece, in order
};
TestSet MakeSet(const std::string& folder, const std::string& stem, const std::string& line2Bytes,
                const std::vector<size_t>& pieceSizes, const std::string& line1 = {});

// The names in a folder, sorted.
std::vector<std::string> NamesIn(const std::string& folder);

// One run of the engine with a fake window, fake UI (title Mender) and a fake drive.
struct JoinRun {
    FakeJoinerWindow window;
    FakeUiServices ui{"Mender"};
    FakeDrives drives;
    void Run(const std::string& joinInfoPath, const std::string& destination);
    // The texts of the messages shown after the first question.
    std::vector<std::string> QuestionsAfterFirst() const;
};

// Runs fn in a child process and returns its exit code (128 + signal when it
// was killed). For limits and identities the test process must not take on.
int RunInChild(const std::function<int()>& fn);

// Runs the engine in a child process whose files may not grow beyond
// `limit` bytes, and returns the texts of the messages shown after the first
// question (or "child failed").
std::vector<std::string> JoinWithFileSizeLimit(long limit, bool afterDelete, const std::string& joinInfoPath,
                                               const std::string& destination);

// The manifest the splitter writes beside a set: a line per piece (those in
// `pieces`, numbered from 1) and the whole file's when asked, in `folder`
// (the set's own when empty).
void WriteSetManifest(const TestSet& set, const std::vector<int>& pieces, bool whole, const std::string& folder = {});
