#include "SharedCliOptions.h"

#include <cstdio>

#include "TerminalUi.h"

bool ScanCommandLine(const std::vector<std::string>& args, const OwnOptionScanner& own,
                     const std::vector<std::string>& operandNames, SharedCliOptions& shared, std::string& error)
{
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--") {
            shared.operands.insert(shared.operands.end(), args.begin() + static_cast<long>(i) + 1, args.end());
            break;
        }
        if (a == "-y" || a == "--yes") {
            shared.yes = true;
        } else if (a == "--removable" || a == "--fixed") {
            const bool removable = a == "--removable";
            if (shared.removable && *shared.removable != removable) {
                error = "--removable and --fixed exclude each other";
                return false;
            }
            shared.removable = removable;
        } else if (a == "-h" || a == "--help") {
            shared.help = true;
        } else if (a == "--version") {
            shared.version = true;
        } else if (a.size() > 1 && a[0] == '-') {
            switch (own(args, i, error)) {
            case OptionScan::Taken: break;
            case OptionScan::Failed: return false;
            case OptionScan::NotMine: error = "unknown option: " + a; return false;
            }
        } else {
            shared.operands.push_back(a);
        }
    }
    if (shared.help || shared.version || shared.operands.size() == operandNames.size()) return true;
    if (shared.operands.size() > operandNames.size()) {
        error = "too many arguments";
    } else {
        error = operandNames[0];
        for (size_t k = 1; k < operandNames.size(); ++k) error += (k + 1 == operandNames.size() ? " and " : ", ") + operandNames[k];
        error += " are needed";
    }
    return false;
}

int ExitStatusOf(const TerminalUi& ui, bool engineFailed)
{
    if (engineFailed || ui.Failed()) return 2;
    if (ui.GaveUp() || ui.Interrupted()) return 1;
    return 0;
}

int UsageError(const char* program, const std::string& reason, const char* usage)
{
    std::fprintf(stderr, "%s: %s\n%s", program, reason.c_str(), usage);
    return 64;
}
