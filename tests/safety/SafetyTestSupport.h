#pragma once
// Runs of the real command-line programs for the safety tests.
#include <string>
#include <vector>

#include "ChildProcess.h"
#include "TempFolder.h"

inline const std::string kCarver = CARVER_CLI;
inline const std::string kMender = MENDER_CLI;
inline const std::string kNotRegular = "通常のﾌｧｲﾙではありません";
inline const std::string kInUse = "他のﾌﾟﾛｸﾞﾗﾑが使用中です";

struct Outcome {
    int status = -1;
    std::string err;  // standard error
};

// Runs a program to its end with the given standard input, killed after 20
// seconds (status 137) so that a hang fails its test instead of the run.
Outcome RunCli(const std::string& program, const std::vector<std::string>& args, const std::string& input = {});

// Splits `length` pattern bytes named `name` in `dir` into `dir`/set in
// pieces of `pieceKb` thousand bytes; returns the source's bytes.
std::string MakeSplitSet(const TempFolder& dir, const std::string& name, size_t length, int pieceKb = 100,
                         uint32_t seed = 1);

// The names in a folder, sorted.
std::vector<std::string> NamesIn(const std::string& folder);
