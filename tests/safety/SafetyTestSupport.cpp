#include "SafetyTestSupport.h"

#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>

Outcome RunCli(const std::string& program, const std::vector<std::string>& args, const std::string& input)
{
    std::vector<std::string> limited{"-s", "KILL", "20", program};
    limited.insert(limited.end(), args.begin(), args.end());
    Outcome o;
    o.status = RunProgram("/usr/bin/timeout", limited, input, &o.err);
    EXPECT_NE(o.status, 137) << program << " hung";
    return o;
}

std::string MakeSplitSet(const TempFolder& dir, const std::string& name, size_t length, int pieceKb, uint32_t seed)
{
    const std::string data = PatternBytes(length, seed);
    WriteBytes(dir / name, data);
    std::filesystem::create_directories(dir / "set");
    const Outcome o = RunCli(kCarver, {"-y", "-s", std::to_string(pieceKb) + "KB", dir / name, dir / "set"});
    EXPECT_EQ(o.status, 0) << o.err;
    return data;
}

std::vector<std::string> NamesIn(const std::string& folder)
{
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}
