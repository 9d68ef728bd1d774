#include "MenderCliOptions.h"

const CliHelp kMenderCliHelp = {
    N_("使い方: mender-cli [OPTION]... JOIN_INFO FOLDER\n"),
    N_("JOIN_INFO (NAME.000) が表す分割ファイルを連結し、FOLDER にファイルを\n"
       "作ります。FOLDER が - なら標準出力に書きます (端末へは書かず、-d とは\n"
       "併用できません。- という名前のフォルダーは ./- と書きます)。\n"),
    N_("  -d, --delete       連結しながら分割ファイルを削除する\n"),
    N_("      --removable    JOIN_INFO のドライブをリムーバブルとして扱う (ディスク\n"
       "                     1 枚ずつ)\n"),
    N_("      --fixed        JOIN_INFO のドライブを固定ドライブとして扱う\n"),
    N_("  -y, --yes          連結の確認とディスクを求める確認に OK で、中断した\n"
       "                     連結を続ける確認に「はい」で答える\n"),
    N_("      --force        すでにあるファイルを上書きする確認と、大きさの違う\n"
       "                     分割ファイルを連結する確認に「はい」で答える\n"),
};

std::optional<MenderCliOptions> ParseMenderCli(const std::vector<std::string>& args, std::string& error)
{
    MenderCliOptions o;
    // -d is the only option of its own.
    auto take = [&](int, const char*, std::string&) {
        o.deleteAsItGoes = true;
        return true;
    };
    if (!ScanCommandLine(args, {{"delete", 'd', false}}, take, {"JOIN_INFO", "FOLDER"}, o.common, error))
        return std::nullopt;
    if (o.common.operands.size() == 2) {
        o.joinInfo = o.common.operands[0];
        o.folder = o.common.operands[1];
    }
    if (o.ToOutput() && o.deleteAsItGoes) {
        error = Tr(N_("-d は - (標準出力) と同時に指定できません"));
        return std::nullopt;
    }
    return o;
}
