#include "SharedCliOptions.h"

#include <cstdio>
#include <getopt.h>
#include <string_view>

#include "TerminalUi.h"

namespace {

enum SharedLongOnlyId { kForce = 256, kRemovable, kFixed, kVersion };

const CliOption kSharedOptions[] = {
    {"yes", 'y', false},         {"force", kForce, false}, {"quiet", 'q', false}, {"removable", kRemovable, false},
    {"fixed", kFixed, false},    {"help", 'h', false},     {"version", kVersion, false},
};

const char* const kSharedHelp =
    "  -q, --quiet        no progress line and no echo of the questions -y or\n"
    "                     --force answered (other questions are still asked,\n"
    "                     failures still printed)\n"
    "  -h, --help         this help\n"
    "      --version      the version and the licence\n"
    "\n"
    "Questions go to standard error with their choices ([OK/Cancel], [Yes/No] ...)\n"
    "and are answered by a line on standard input; the end of input answers\n"
    "Cancel or No. A failure is printed as \"PROGRAM: FILE: message: reason\".\n"
    "Ctrl-C stops the run after the block in progress, as Cancel does.\n"
    "Exit status: 0 completed, 1 declined or cancelled, 2 failed, 64 wrong\n"
    "usage, 130 stopped by Ctrl-C (SIGINT).\n";

// Every option of the command line: the shared ones, then the program's own.
std::vector<CliOption> AllOptions(const std::vector<CliOption>& own)
{
    std::vector<CliOption> all(std::begin(kSharedOptions), std::end(kSharedOptions));
    all.insert(all.end(), own.begin(), own.end());
    return all;
}

std::string LongName(const std::vector<CliOption>& all, int id)
{
    for (const CliOption& o : all)
        if (o.id == id) return std::string("--") + o.name;
    return {};
}

// The reason getopt_long turned a word down ('?'), for the usage error.
std::string Refusal(const std::vector<CliOption>& all, const char* word, int optopt)
{
    if (optopt != 0) {
        const std::string name = LongName(all, optopt);
        if (!name.empty()) return "option " + name + " takes no argument";
        return std::string("unknown option: -") + static_cast<char>(optopt);
    }
    // A long option that none or several long names begin with.
    std::string typed = std::string(word).substr(2);
    typed = typed.substr(0, typed.find('='));
    std::vector<std::string> candidates;
    for (const CliOption& o : all)
        if (std::string(o.name).rfind(typed, 0) == 0) candidates.push_back(std::string("--") + o.name);
    if (candidates.size() < 2) return std::string("unknown option: ") + word;
    std::string list = candidates[0];
    for (size_t k = 1; k < candidates.size(); ++k) list += ", " + candidates[k];
    return std::string("ambiguous option: ") + word + " (" + list + ")";
}

}  // namespace

bool ScanCommandLine(const std::vector<std::string>& args, const std::vector<CliOption>& own,
                     const OwnOptionHandler& take, const std::vector<std::string>& operandNames,
                     SharedCliOptions& shared, std::string& error)
{
    const std::vector<CliOption> all = AllOptions(own);
    // ':' first: a missing argument is told apart from an unknown option.
    std::string shortOptions = ":";
    std::vector<option> longOptions;
    for (const CliOption& o : all) {
        longOptions.push_back({o.name, o.takesArgument ? required_argument : no_argument, nullptr, o.id});
        if (o.id < 256) shortOptions += std::string(1, static_cast<char>(o.id)) + (o.takesArgument ? ":" : "");
    }
    longOptions.push_back({nullptr, 0, nullptr, 0});

    // getopt_long reorders argv; it gets copies.
    std::vector<std::string> words = args;
    std::vector<char*> argv{const_cast<char*>("")};
    for (std::string& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    const int argc = static_cast<int>(argv.size()) - 1;

    opterr = 0;  // the reasons are ours, on one line
    optind = 0;  // 0 makes glibc start afresh: a process may parse several command lines
    for (int id; (id = getopt_long(argc, argv.data(), shortOptions.c_str(), longOptions.data(), nullptr)) != -1;) {
        switch (id) {
        case 'y': shared.yes = true; break;
        case kForce: shared.force = true; break;
        case 'q': shared.quiet = true; break;
        case 'h': shared.help = true; break;
        case kVersion: shared.version = true; break;
        case kRemovable:
        case kFixed:
            if (shared.removable && *shared.removable != (id == kRemovable)) {
                error = "--removable and --fixed exclude each other";
                return false;
            }
            shared.removable = id == kRemovable;
            break;
        case ':': error = "option " + LongName(all, optopt) + " needs an argument"; return false;
        case '?': error = Refusal(all, argv[optind - 1], optopt); return false;
        default:
            if (!take(id, optarg, error)) return false;
        }
    }
    shared.operands.assign(argv.begin() + optind, argv.begin() + argc);
    // An empty operand (an unset variable in a script) would mean the current
    // or the root folder.
    for (size_t k = 0; k < shared.operands.size() && k < operandNames.size(); ++k)
        if (shared.operands[k].find_first_not_of(" \t\r\n") == std::string::npos && !shared.help && !shared.version) {
            error = operandNames[k] + " is empty";
            return false;
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

bool AnswerHelpOrVersion(const SharedCliOptions& shared, const char* program, const char* usage)
{
    if (shared.help) {
        std::fputs(usage, stdout);
        std::fputs(kSharedHelp, stdout);
        return true;
    }
    if (shared.version) {
        std::printf("%s %s\nLicense: MIT\n", program, CARVER_VERSION);
        return true;
    }
    return false;
}

int ExitStatusOf(const TerminalUi& ui, bool engineFailed)
{
    if (engineFailed || ui.Failed()) return 2;
    // As a shell reports a command that SIGINT ended: 128 + 2.
    if (ui.Interrupted()) return 130;
    if (ui.GaveUp()) return 1;
    return 0;
}

int UsageError(const char* program, const std::string& reason, const char* usage)
{
    const std::string_view text(usage);
    const std::string_view firstLine = text.substr(0, text.find('\n'));
    std::fprintf(stderr, "%s: %s\n%.*s\nTry '%s --help' for more information.\n", program, reason.c_str(),
                 static_cast<int>(firstLine.size()), firstLine.data(), program);
    return 64;
}
