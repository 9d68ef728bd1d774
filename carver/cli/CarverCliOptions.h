#pragma once
// The command line of carver-cli.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "RecoveryData.h"
#include "SharedCliOptions.h"

struct CarverCliOptions {
    SharedCliOptions common;  // -y, --force, -q, --removable/--fixed, --help, --version
    std::string source;
    std::string folder;
    double splitSize = 1421000;  // the window's 1.44MB
    int64_t pieces = 0;          // -n: this many pieces instead of a size; 0 when not given
    bool batch = false;
    bool setDate = false;
    bool writeManifest = true;  // --no-checksum: false
    std::optional<modCarver::RecoveryRequest> recovery;  // -r N, -r P%
};

// The split size a size word stands for: a preset caption of the window (the
// size its OK passes on), "fat32" (the largest whole-block file FAT32 holds),
// or a whole number of bytes with GNU split's multiplier suffixes (K, KiB,
// KB ...) as the largest a piece may be, rounded down to whole 4096-byte
// blocks but never below one block; nothing for 0, a negative number, an
// unknown word or a size too large to count.
std::optional<double> SplitSizeFromWord(const std::string& word);

// The split size that cuts sourceLength bytes into `pieces` pieces of equal
// whole blocks, the last one shorter: the smallest such size that needs no
// more pieces. Where the blocks do not share out (9 blocks into 4 pieces), that
// makes fewer pieces. One block when the length is not known (0).
double SplitSizeForPieces(int64_t sourceLength, int64_t pieces);

// Parses the arguments (without the program name). On a usage error returns
// nothing and sets error to a one-line reason.
std::optional<CarverCliOptions> ParseCarverCli(const std::vector<std::string>& args, std::string& error);

extern const CliHelp kCarverCliHelp;
