#pragma once
// What the command lines of carver-cli and mender-cli have in common: -y,
// --removable/--fixed, --help, --version, "--" and the operands; the exit
// statuses; the usage error.
#include <functional>
#include <optional>
#include <string>
#include <vector>

class TerminalUi;

struct SharedCliOptions {
    bool yes = false;
    bool help = false;
    bool version = false;
    std::optional<bool> removable;  // --removable / --fixed; nothing: as the system says
    std::vector<std::string> operands;
};

enum class OptionScan { Taken, NotMine, Failed };

// Offered every option that is not a shared one; may take the argument after
// it (advancing i). On Failed it sets error.
using OwnOptionScanner = std::function<OptionScan(const std::vector<std::string>& args, size_t& i, std::string& error)>;

// Scans the arguments (without the program name). False with a one-line
// reason in error on a usage error. With --help or --version the operands are
// not checked; otherwise there must be exactly operandNames.size() of them.
bool ScanCommandLine(const std::vector<std::string>& args, const OwnOptionScanner& own,
                     const std::vector<std::string>& operandNames, SharedCliOptions& shared, std::string& error);

// 0 completed; 1 declined, cancelled or given up at a question; 2 failed.
int ExitStatusOf(const TerminalUi& ui, bool engineFailed = false);

// Prints "program: reason" and the usage to standard error; returns 64.
int UsageError(const char* program, const std::string& reason, const char* usage);
