#include "MenderCliOptions.h"

const char* const kMenderCliUsage =
    "usage: mender-cli [OPTIONS] JOIN_INFO FOLDER\n"
    "  -d, --delete       delete the split set as it goes\n"
    "      --removable    treat JOIN_INFO's drive as removable\n"
    "      --fixed        treat it as fixed\n"
    "  -y, --yes          answer OK to the confirmation and to every \"set the disk\"\n"
    "                     question without asking\n"
    "  -h, --help         usage; --version: version\n";

std::optional<MenderCliOptions> ParseMenderCli(const std::vector<std::string>& args, std::string& error)
{
    MenderCliOptions o;
    auto own = [&](const std::vector<std::string>& all, size_t& i, std::string&) {
        if (all[i] != "-d" && all[i] != "--delete") return OptionScan::NotMine;
        o.deleteAsItGoes = true;
        return OptionScan::Taken;
    };
    if (!ScanCommandLine(args, own, {"JOIN_INFO", "FOLDER"}, o.common, error)) return std::nullopt;
    if (o.common.operands.size() == 2) {
        o.joinInfo = o.common.operands[0];
        o.folder = o.common.operands[1];
    }
    return o;
}
