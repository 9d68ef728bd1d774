#pragma once
// The command line of mender-cli.
#include <optional>
#include <string>
#include <vector>

#include "SharedCliOptions.h"

struct MenderCliOptions {
    SharedCliOptions common;  // -y, --force, -q, --removable/--fixed, --help, --version
    std::string joinInfo;
    std::string folder;
    bool deleteAsItGoes = false;
    // FOLDER "-": the rebuilt file goes to standard output.
    bool ToOutput() const { return folder == "-"; }
};

// Parses the arguments (without the program name). On a usage error returns
// nothing and sets error to a one-line reason.
std::optional<MenderCliOptions> ParseMenderCli(const std::vector<std::string>& args, std::string& error);

extern const CliHelp kMenderCliHelp;
