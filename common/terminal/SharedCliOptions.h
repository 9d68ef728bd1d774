#pragma once
// What the command lines of carver-cli and mender-cli have in common: parsing
// with getopt_long (bundled short options, "-s10MB", "--size=…", unambiguous
// abbreviations, "--"), the options -y, --force, -q, --removable/--fixed,
// --help and --version, the operands, --help and --version themselves, the
// exit statuses and the usage error.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "Translation.h"

class TerminalUi;

// "{1} and {2} cannot be combined", for two options that exclude each other.
inline constexpr const char* kOptionsExclusive = N_("{1} と {2} は同時に指定できません");

struct SharedCliOptions {
    bool yes = false;
    bool force = false;
    bool quiet = false;
    bool help = false;
    bool version = false;
    std::optional<bool> removable;  // --removable / --fixed; nothing: as the system says
    std::vector<std::string> operands;
};

// One of a program's own options. id is its short letter, or a number from
// kFirstLongOnlyId up for an option that has only a long name.
struct CliOption {
    const char* name;
    int id;
    bool takesArgument;
};
inline constexpr int kFirstLongOnlyId = 512;

// Takes one of the program's own options, with its argument (nullptr when it
// takes none); false with a one-line reason in error when the argument is wrong.
using OwnOptionHandler = std::function<bool(int id, const char* argument, std::string& error)>;

// Scans the arguments (without the program name). False with a one-line
// reason in error on a usage error. With --help or --version the operands are
// not checked; otherwise there must be exactly operandNames.size() of them,
// none of them empty or blank.
bool ScanCommandLine(const std::vector<std::string>& args, const std::vector<CliOption>& own,
                     const OwnOptionHandler& take, const std::vector<std::string>& operandNames,
                     SharedCliOptions& shared, std::string& error);

// A program's help, in untranslated texts marked with N_: its usage line
// first (a usage error shows it too), then its description and options.
using CliHelp = std::vector<const char*>;

// Prints the help (the program's own, then what both programs share) or the
// version and the licence on standard output, in the user's language; true
// when either was asked for.
bool AnswerHelpOrVersion(const SharedCliOptions& shared, const char* program, const CliHelp& help);

// 0 completed; 1 declined, cancelled or given up at a question; 2 failed;
// 130 stopped by Ctrl-C.
int ExitStatusOf(const TerminalUi& ui, bool engineFailed = false);

// Prints "program: reason" (reason already translated), the usage line and
// where to find the help to standard error; returns 64.
int UsageError(const char* program, const std::string& reason, const CliHelp& help);
