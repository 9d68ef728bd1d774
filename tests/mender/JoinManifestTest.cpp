// Joins of sets that carry NAME.sha256: damaged pieces are caught and named,
// nothing past them is deleted, and the whole file is checked at the end.
#include <gtest/gtest.h>

#include <functional>
#include <unistd.h>

#include "Files.h"
#include "JoinTestSupport.h"
#include "JoinVerifier.h"
#include "Manifest.h"
#include "Paths.h"
#include "TempFolder.h"
#include "modMender.h"

namespace {

const std::vector<size_t> kSizes = {4096, 5000, 5000, 3000};  // as a split makes them

std::string Damaged(int piece) { return FailureText(modMender::DamagedPiece("movie.00" + std::to_string(piece))); }

void Truncate(const std::string& path, off_t length) { ASSERT_EQ(::truncate(path.c_str(), length), 0); }

}  // namespace

TEST(JoinManifest, EveryDamageIsCaughtAndNamedAndNothingPastItIsDeleted)
{
    struct Case {
        const char* what;
        int piece;
        std::function<void(const std::string& path)> damage;
    };
    const Case cases[] = {
        {"a middle piece cut short", 2, [](const std::string& p) { Truncate(p, 1000); }},
        {"a middle piece cut to nothing", 2, [](const std::string& p) { Truncate(p, 0); }},
        {"a middle piece 6 bytes longer", 3, [](const std::string& p) { WriteBytes(p, ReadBytes(p) + "abcdef"); }},
        {"the last piece cut short", 4, [](const std::string& p) { Truncate(p, 2999); }},
        {"one byte changed", 2,
         [](const std::string& p) {
             std::string bytes = ReadBytes(p);
             bytes[100] ^= 1;
             WriteBytes(p, bytes);
         }},
    };
    for (const Case& c : cases) {
        for (const bool afterDelete : {false, true}) {
            SCOPED_TRACE(std::string(c.what) + (afterDelete ? " with -d" : ""));
            TempFolder dir;
            const TestSet set = MakeSet(dir / "in/", "movie.", "movie.avi", kSizes);
            WriteSetManifest(set, {1, 2, 3, 4}, true);
            c.damage(set.piecePaths[c.piece - 1]);
            JoinRun run;
            run.window.afterDelete = afterDelete;
            run.Run(set.joinInfoPath, dir / "out/");

            // No question about sizes: the manifest says which piece is wrong.
            EXPECT_EQ(run.ui.Texts(), (std::vector<std::string>{kAskJoin, Damaged(c.piece)}));
            for (int k = 1; k <= 4; ++k)
                EXPECT_EQ(FileExists(set.piecePaths[k - 1]), !afterDelete || k >= c.piece) << "piece " << k;
            EXPECT_TRUE(FileExists(set.joinInfoPath));
            EXPECT_TRUE(FileExists(dir / "in/movie.sha256"));
            if (!afterDelete) continue;
            // Found while later pieces were copied, the damage still leaves a
            // state of the pieces before it: mended, the set is resumed.
            WriteBytes(set.piecePaths[c.piece - 1], set.pieces[c.piece - 1]);
            JoinRun again;
            again.window.afterDelete = true;
            again.Run(set.joinInfoPath, dir / "out/");
            EXPECT_EQ(again.QuestionsAfterFirst().size(), c.piece > 1 ? 1u : 0u) << "the resume question only";
            EXPECT_EQ(ReadBytes(dir / "out/movie.avi"), set.Joined());
            EXPECT_FALSE(FileExists(set.piecePaths[c.piece - 1]));
        }
    }
}

TEST(JoinManifest, WhatTheManifestListsDecidesTheEnd)
{
    struct Case {
        const char* what;
        std::vector<int> lines;  // pieces with a line
        bool wholeLine;
        bool damageFirstPiece;    // one byte changed in piece 1
        std::string failure;      // the description; empty for a join that completes
        bool setGoes;             // with deletion, nothing of the set is left
    };
    const Case cases[] = {
        {"only the whole file, nothing damaged", {}, true, false, "", true},
        {"only the whole file, piece 1 damaged", {}, true, true, modMender::kRebuiltDiffers, false},
        // Nothing vouches for piece 1: it stays, and the set's description with it.
        {"no line for the damaged piece and no whole line", {2, 3, 4}, false, true, "", false},
    };
    for (const Case& c : cases) {
        for (const bool afterDelete : {false, true}) {
            SCOPED_TRACE(std::string(c.what) + (afterDelete ? " with -d" : ""));
            TempFolder dir;
            const TestSet set = MakeSet(dir / "in/", "movie.", "movie.avi", kSizes);
            WriteSetManifest(set, c.lines, c.wholeLine);
            std::string expected = set.Joined();
            if (c.damageFirstPiece) {
                std::string bytes = set.pieces[0];
                bytes[3] ^= 1;
                WriteBytes(set.piecePaths[0], bytes);
                expected = bytes + expected.substr(bytes.size());
            }
            JoinRun run;
            run.window.afterDelete = afterDelete;
            run.Run(set.joinInfoPath, dir / "out/");

            std::vector<std::string> texts = {kAskJoin};
            if (!c.failure.empty()) texts.push_back(FailureText(c.failure));
            EXPECT_EQ(run.ui.Texts(), texts);
            EXPECT_EQ(ReadBytes(dir / "out/movie.avi"), expected);
            const bool setGone = afterDelete && c.setGoes;
            EXPECT_EQ(FileExists(set.piecePaths[0]), !setGone);
            EXPECT_EQ(FileExists(set.joinInfoPath), !setGone);
            EXPECT_EQ(FileExists(dir / "in/movie.sha256"), !setGone);
        }
    }
}

TEST(JoinManifest, AManifestThatCannotBeReadStopsTheJoinBeforeAnythingIsWritten)
{
    TempFolder dir;
    const TestSet set = MakeSet(dir / "in/", "movie.", "movie.avi", kSizes);
    ASSERT_TRUE(CreateFolder(dir / "in/movie.sha256").ok());
    JoinRun run;
    run.window.afterDelete = true;
    run.Run(set.joinInfoPath, dir / "out/");
    EXPECT_EQ(run.ui.Texts(), (std::vector<std::string>{kAskJoin, FailureText(kNotRegularFile)}));
    EXPECT_FALSE(FileExists(dir / "out/movie.avi"));
    EXPECT_TRUE(FileExists(set.piecePaths[0]));
}

TEST(JoinManifest, AResumedJoinChecksThePartItKeeps)
{
    for (const bool damageKeptPart : {false, true}) {
        SCOPED_TRACE(damageKeptPart ? "kept part damaged" : "kept part sound");
        TempFolder dir;
        const TestSet set = MakeSet(dir / "in/", "movie.", "movie.avi", kSizes);
        WriteSetManifest(set, {1, 2, 3, 4}, true);
        {
            JoinRun first;
            first.window.afterDelete = true;
            first.ui.onYield = [&] {
                if (first.window.statusText.find("(3/4)") != std::string::npos) modMender::CancelRequested = true;
            };
            first.Run(set.joinInfoPath, dir / "out/");
        }
        ASSERT_FALSE(FileExists(set.piecePaths[1])) << "pieces 1 and 2 joined and deleted";
        if (damageKeptPart) {
            std::string bytes = ReadBytes(dir / "out/movie.avi");
            bytes[6000] ^= 1;  // inside piece 2
            WriteBytes(dir / "out/movie.avi", bytes);
        }
        JoinRun again;
        again.window.afterDelete = true;
        again.Run(set.joinInfoPath, dir / "out/");
        const std::vector<std::string> texts = again.QuestionsAfterFirst();
        ASSERT_FALSE(texts.empty());
        if (damageKeptPart) {
            EXPECT_EQ(texts.back(), FailureText(modMender::DamagedPiece("movie.avi")));
            EXPECT_TRUE(FileExists(set.piecePaths[2])) << "nothing more is deleted";
            EXPECT_TRUE(FileExists(dir / "in/movie.sha256"));
        } else {
            EXPECT_EQ(texts.size(), 1u) << "the resume question only";
            EXPECT_EQ(ReadBytes(dir / "out/movie.avi"), set.Joined());
            EXPECT_FALSE(FileExists(dir / "in/movie.sha256"));
        }
    }
}
