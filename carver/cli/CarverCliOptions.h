#pragma once
// The command line of carver-cli.
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
    bool batch = false;
    bool setDate = false;
    bool writeManifest = true;  // --no-checksum: false
    std::optional<modCarver::RecoveryRequest> recovery;  // -r N, -r P%
};

// The split size a size word stands for: a preset caption of the window (the
// size its OK passes on), or a whole number of bytes with GNU split's
// multiplier suffixes (K, KiB, KB ...); nothing for 0, a negative number, an
// unknown word or a size too large to count.
std::optional<double> SplitSizeFromWord(const std::string& word);

// Parses the arguments (without the program name). On a usage error returns
// nothing and sets error to a one-line reason.
std::optional<CarverCliOptions> ParseCarverCli(const std::vector<std::string>& args, std::string& error);

extern const char* const kCarverCliUsage;
