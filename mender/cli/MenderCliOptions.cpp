#include "MenderCliOptions.h"

const char* const kMenderCliUsage =
    "usage: mender-cli [OPTIONS] JOIN_INFO FOLDER\n"
    "Joins the split set that JOIN_INFO (NAME.000) describes into a file in FOLDER,\n"
    "or writes the file to standard output when FOLDER is - (not to a terminal,\n"
    "not with -d; a folder named - is ./-).\n"
    "  -d, --delete       delete the split set as it goes\n"
    "      --removable    treat JOIN_INFO's drive as removable (disk by disk)\n"
    "      --fixed        treat it as fixed\n"
    "  -y, --yes          answer OK to the confirmation and to every \"set the disk\"\n"
    "                     question, and Yes to finishing an interrupted join,\n"
    "                     without asking\n"
    "      --force        answer Yes to replacing an existing file in FOLDER and to\n"
    "                     joining a piece whose size differs from the others'\n";

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
        error = "-d cannot be used with - (standard output)";
        return std::nullopt;
    }
    return o;
}
