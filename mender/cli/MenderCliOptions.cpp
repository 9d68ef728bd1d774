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
    std::vector<std::string> operands;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--") {
            operands.insert(operands.end(), args.begin() + static_cast<long>(i) + 1, args.end());
            break;
        }
        if (a == "-d" || a == "--delete") {
            o.deleteAsItGoes = true;
        } else if (a == "-y" || a == "--yes") {
            o.yes = true;
        } else if (a == "--removable" || a == "--fixed") {
            const JoinDriveChoice choice = a == "--removable" ? JoinDriveChoice::Removable : JoinDriveChoice::Fixed;
            if (o.drive != JoinDriveChoice::AsDetected && o.drive != choice) {
                error = "--removable and --fixed exclude each other";
                return std::nullopt;
            }
            o.drive = choice;
        } else if (a == "-h" || a == "--help") {
            o.help = true;
        } else if (a == "--version") {
            o.version = true;
        } else if (a.size() > 1 && a[0] == '-') {
            error = "unknown option: " + a;
            return std::nullopt;
        } else {
            operands.push_back(a);
        }
    }
    if (o.help || o.version) return o;
    if (operands.size() != 2) {
        error = operands.size() < 2 ? "JOIN_INFO and FOLDER are needed" : "too many arguments";
        return std::nullopt;
    }
    o.joinInfo = operands[0];
    o.folder = operands[1];
    return o;
}
