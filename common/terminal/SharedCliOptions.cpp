#include "SharedCliOptions.h"

#include <cstdio>
#include <getopt.h>

#include "TerminalUi.h"
#include "Translation.h"

namespace {

enum SharedLongOnlyId { kForce = 256, kRemovable, kFixed, kVersion };

const CliOption kSharedOptions[] = {
    {"yes", 'y', false},         {"force", kForce, false}, {"quiet", 'q', false}, {"removable", kRemovable, false},
    {"fixed", kFixed, false},    {"help", 'h', false},     {"version", kVersion, false},
};

// The help's last part, the same for both programs.
const CliHelp kSharedHelp = {
    N_("  -q, --quiet        進行状況の行も、-y や --force が答えた確認も表示しない\n"
       "                     (ほかの確認と失敗は表示する)\n"),
    N_("  -h, --help         このヘルプを表示する\n"),
    N_("      --version      バージョンとライセンスを表示する\n"),
    N_("\n"
       "確認は選択肢 ([OK/キャンセル]、[はい/いいえ] など) とともに標準エラー出力に\n"
       "表示し、標準入力の 1 行で答えます (英語の ok、yes、no、cancel も使えます)。\n"
       "入力の終わりは「キャンセル」か「いいえ」の答えです。失敗は\n"
       "「PROGRAM: FILE: メッセージ: 原因」の 1 行で表示します。\n"
       "Ctrl-C は「キャンセル」と同じく、処理中のブロックの後で止めます。\n"
       "終了ステータス: 0 完了、1 断った・キャンセルした、2 失敗、64 使い方の誤り、\n"
       "130 Ctrl-C (SIGINT) で中断した。\n"),
};

void PrintHelp(const CliHelp& help)
{
    for (const char* text : help) std::fputs(Tr(text), stdout);
}

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
        if (!name.empty()) return TrFormat(N_("オプション {1} は値をとりません"), {name});
        return TrFormat(N_("不明なオプションです: {1}"), {std::string("-") + static_cast<char>(optopt)});
    }
    // A long option that none or several long names begin with.
    std::string typed = std::string(word).substr(2);
    typed = typed.substr(0, typed.find('='));
    std::vector<std::string> candidates;
    for (const CliOption& o : all)
        if (std::string(o.name).rfind(typed, 0) == 0) candidates.push_back(std::string("--") + o.name);
    if (candidates.size() < 2) return TrFormat(N_("不明なオプションです: {1}"), {word});
    std::string list = candidates[0];
    for (size_t k = 1; k < candidates.size(); ++k) list += ", " + candidates[k];
    return TrFormat(N_("あいまいなオプションです: {1} ({2})"), {word, list});
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
                error = TrFormat(kOptionsExclusive, {"--removable", "--fixed"});
                return false;
            }
            shared.removable = id == kRemovable;
            break;
        case ':': error = TrFormat(N_("オプション {1} には値が必要です"), {LongName(all, optopt)}); return false;
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
            error = TrFormat(N_("{1} が空です"), {operandNames[k]});
            return false;
        }

    if (shared.help || shared.version || shared.operands.size() == operandNames.size()) return true;
    if (shared.operands.size() > operandNames.size()) {
        error = Tr(N_("引数が多すぎます"));
    } else {
        // Both programs take two operands: the first ones, then the last.
        std::string first = operandNames[0];
        for (size_t k = 1; k + 1 < operandNames.size(); ++k) first += ", " + operandNames[k];
        error = TrFormat(N_("{1} と {2} が必要です"), {first, operandNames.back()});
    }
    return false;
}

bool AnswerHelpOrVersion(const SharedCliOptions& shared, const char* program, const CliHelp& help)
{
    if (shared.help) {
        PrintHelp(help);
        PrintHelp(kSharedHelp);
        return true;
    }
    if (shared.version) {
        std::printf("%s %s\n%s\n", program, CARVER_VERSION, Tr(N_("ライセンス: MIT")));
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

int UsageError(const char* program, const std::string& reason, const CliHelp& help)
{
    std::fprintf(stderr, "%s: %s\n%s%s\n", program, reason.c_str(), Tr(help.front()),
                 TrFormat(N_("詳しくは '{1} --help' を見てください。"), {program}).c_str());
    return 64;
}
