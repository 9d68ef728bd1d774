#include "CarverCliOptions.h"

#include <algorithm>

const char* const kCarverCliUsage =
    "usage: carver-cli [OPTIONS] SOURCE FOLDER\n"
    "  -s, --size SIZE    piece size: a preset caption of the window (640KB, 720KB,\n"
    "                     1.25MB, 1.44MB, 100MB, 128MB, 230MB, 640MB: the split size\n"
    "                     the window's OK passes for it), or a whole number followed\n"
    "                     by KB (thousands of bytes, as the window's custom size), or\n"
    "                     a whole number of bytes. Default: 1.44MB.\n"
    "  -b, --batch        also write the join batch file\n"
    "  -m, --set-date     give the written files the source's dates\n"
    "      --no-checksum  write no NAME.sha256 (the SHA-256 of the pieces and the\n"
    "                     whole file, for sha256sum -c) beside the pieces\n"
    "      --removable    treat FOLDER's drive as removable (disk by disk)\n"
    "      --fixed        treat FOLDER's drive as fixed\n"
    "  -y, --yes          answer OK to the confirmation and to every \"set the disk\"\n"
    "                     question without asking\n"
    "  -h, --help         usage; --version: version\n";

namespace {

bool AllDigits(const std::string& s)
{
    return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// A whole number of at most 15 digits (exact in a double), above 0.
std::optional<double> PositiveWhole(const std::string& digits)
{
    if (!AllDigits(digits) || digits.size() > 15) return std::nullopt;
    const double v = std::stod(digits);
    if (v <= 0) return std::nullopt;
    return v;
}

}  // namespace

std::optional<double> SplitSizeFromWord(const std::string& word)
{
    static const std::pair<const char*, double> presets[] = {
        {"640KB", 634000},      {"720KB", 713000},       {"1.25MB", 1220000},     {"1.44MB", 1421000},
        {"100MB", 95000000},    {"128MB", 100000000},    {"230MB", 227000000},    {"640MB", 628000000},
    };
    for (const auto& [caption, size] : presets)
        if (word == caption) return size;
    if (word.size() > 2 && word.compare(word.size() - 2, 2, "KB") == 0) {
        const auto kb = PositiveWhole(word.substr(0, word.size() - 2));
        if (!kb) return std::nullopt;
        return *kb * 1000;
    }
    return PositiveWhole(word);
}

std::optional<CarverCliOptions> ParseCarverCli(const std::vector<std::string>& args, std::string& error)
{
    CarverCliOptions o;
    auto own = [&](const std::vector<std::string>& all, size_t& i, std::string& err) {
        const std::string& a = all[i];
        if (a == "-b" || a == "--batch") {
            o.batch = true;
        } else if (a == "-m" || a == "--set-date") {
            o.setDate = true;
        } else if (a == "--no-checksum") {
            o.writeManifest = false;
        } else if (a == "-s" || a == "--size" || a.rfind("--size=", 0) == 0) {
            std::string word;
            if (a.rfind("--size=", 0) == 0) {
                word = a.substr(7);
            } else if (i + 1 < all.size()) {
                word = all[++i];
            } else {
                err = a + " needs a size";
                return OptionScan::Failed;
            }
            const auto size = SplitSizeFromWord(word);
            if (!size) {
                err = "not a valid size: '" + word + "'";
                return OptionScan::Failed;
            }
            o.splitSize = *size;
        } else {
            return OptionScan::NotMine;
        }
        return OptionScan::Taken;
    };
    if (!ScanCommandLine(args, own, {"SOURCE", "FOLDER"}, o.common, error)) return std::nullopt;
    if (o.common.operands.size() == 2) {
        o.source = o.common.operands[0];
        o.folder = o.common.operands[1];
    }
    return o;
}
