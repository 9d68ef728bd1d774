#pragma once
// The on-disk form of a split set: the names of its files and the two-line
// join-info file. The splitter writes it; the joiner reads it.
#include <cstdint>
#include <optional>
#include <string>

#include "Files.h"

// Piece number k as its name ends: at least three digits with leading zeros
// (001 ... 999), the full number from 1000 on.
std::string PieceNumberText(int32_t k);

// The piece number a name's tail stands for ("001" gives 1, "1000" gives
// 1000), or nothing when the tail is not a piece number as the set writes it.
std::optional<int32_t> PieceNumberOf(const std::string& tail);

// Line 1 of the join-info file: the count as three digits with leading zeros
// ("005"); counts above 999 are written in full ("1234").
std::string PieceCountLine(int32_t count);

// The count the reader takes from line 1: the numeric value of its last three
// characters (characters before them are ignored), or the whole line when it
// is made of more than three digits (a set of more than 999 pieces).
int32_t PieceCountFromLine(const std::string& line1);

// The count of a line 1 that can describe a set: digits only once the spaces
// around them are trimmed, and at least 1. Nothing for anything else ("abc",
// "3abc", "-1", "0", an empty line, more digits than any count has).
std::optional<int32_t> ValidPieceCount(const std::string& line1);

// Every name of one split set, derived from the source name and the folder
// that holds (or will hold) the set. The folder ends with a separator.
struct SplitSetNames {
    std::string folder;      // with its trailing separator
    std::string sourceName;  // movie.avi
    std::string baseName;    // movie
    // The number the first piece carries: 1, or 0 in a set of numbered pieces
    // that starts at NAME.000 (split -d); piece k (from 1) carries k - 1 then.
    int32_t firstNumber = 1;
    std::string JoinInfoPath() const;                  // folder + movie.000
    std::string PiecePath(int32_t k) const;            // folder + movie.001
    std::string BatchPath() const;                     // folder + movie.bat
    std::string ManifestPath() const;                  // folder + movie.sha256
    std::string PieceFileName(int32_t k) const;        // movie.001, no folder
    // Whether a file name is one the files of a set of `count` pieces take in
    // its folder: the join-info, batch or manifest file, or a piece.
    bool IsOwnFileName(const std::string& name, int64_t count) const;
};

// Names of the set that a split of sourcePath writes into folder.
SplitSetNames SplitSetNamesFor(const std::string& sourcePath, const std::string& folder);

// The two lines of a join-info file.
struct JoinInfo {
    int32_t count = 0;
    std::string countLine;   // line 1, verbatim
    std::string sourceName;  // line 2, verbatim
};

// Writes the join-info file (created, or emptied when it exists): line 1 the
// count, line 2 the source name, each ended by CR LF, in CP932 (a name CP932
// cannot hold is written in UTF-8 behind the UTF-8 mark). Every write and the
// close are checked: a set whose description is short must not look complete.
IoStatus WriteJoinInfo(const std::string& path, int32_t count, const std::string& sourceName);

// Reads line 1 and line 2 of a join-info file. Fails when the file cannot be
// opened (the system's reason) or has fewer than two lines (a reason of our own).
IoStatus ReadJoinInfo(const std::string& path, JoinInfo& info);
