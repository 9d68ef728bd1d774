#pragma once
// A split run under test: a source in one temporary folder, the destination
// in another, fake drives, a fake window and scripted answers.
#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "CarverTestPlatform.h"
#include "FakeSplitterWindow.h"
#include "FakeUiServices.h"
#include "SplitEngine.h"
#include "Paths.h"
#include "SplitSet.h"
#include "TempFolder.h"

struct SplitRunTest : ::testing::Test {
    TempFolder sourceDir;
    TempFolder dest;
    ScopedFakePlatform platform;
    FakeSplitterWindow window;
    FakeUiServices ui;
    std::string source;
    std::string content;

    void MakeSource(size_t length, const std::string& name = "movie.avi")
    {
        source = sourceDir / name;
        content = PatternBytes(length, static_cast<uint32_t>(length) + 7);
        WriteBytes(source, content);
    }

    bool Split(double size) { return modCarver::SplitFile(window, ui, source, dest.Path(), size); }

    // Names of the files in a folder, sorted.
    static std::vector<std::string> FilesIn(const std::string& folder)
    {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(folder)) names.push_back(e.path().filename());
        std::sort(names.begin(), names.end());
        return names;
    }

    std::vector<int64_t> PieceSizes(const std::string& base = "movie", int32_t count = 999) const
    {
        std::vector<int64_t> sizes;
        for (int32_t k = 1; k <= count; ++k) {
            const std::string path = dest.Path() + base + "." + PieceNumberText(k);
            if (!FileExists(path)) break;
            sizes.push_back(FileLength(path));
        }
        return sizes;
    }

    // Joins a set the way its join-info file describes it.
    static std::string Joined(const std::string& joinInfoPath)
    {
        JoinInfo info;
        if (!ReadJoinInfo(joinInfoPath, info).ok()) return "(no join-info file)";
        const std::string folder = joinInfoPath.substr(0, joinInfoPath.rfind('/') + 1);
        SplitSetNames names = SplitSetNamesFor(info.sourceName, folder);
        std::string out;
        for (int32_t k = 1; k <= info.count; ++k) {
            if (!FileExists(names.PiecePath(k))) return "(piece " + std::to_string(k) + " missing)";
            out += ReadBytes(names.PiecePath(k));
        }
        return out;
    }
};
