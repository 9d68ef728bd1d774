#include "CarverCliOptions.h"

#include <charconv>
#include <cstdint>

const char* const kCarverCliUsage =
    "usage: carver-cli [OPTIONS] SOURCE FOLDER\n"
    "Splits SOURCE into a split set in FOLDER: NAME.000 describes the set, the\n"
    "pieces are NAME.001, NAME.002 ...\n"
    "  -s, --size=SIZE    piece size, 1.44MB when not given. SIZE is a preset of\n"
    "                     the window (640KB, 720KB, 1.25MB, 1.44MB, 100MB, 128MB,\n"
    "                     230MB, 640MB), standing for the size the window splits\n"
    "                     at (1.44MB is 1421000 bytes, 640MB 628000000); or a whole\n"
    "                     number of bytes, which may be followed by K, M, G (1024,\n"
    "                     1024^2, 1024^3; also KiB, MiB, GiB, k, m) or KB, MB, GB\n"
    "                     (1000, 1000^2, 1000^3; also kB). Pieces are whole\n"
    "                     4096-byte blocks, so the size is rounded up to the next\n"
    "                     block; the first piece is rounded down instead, and the\n"
    "                     last one takes what is left.\n"
    "  -b, --batch        also write the join batch file NAME.bat\n"
    "  -m, --set-date     give the written files the source's dates\n"
    "      --no-checksum  write no NAME.sha256 (the SHA-256 of the pieces and the\n"
    "                     whole file, for sha256sum -c) beside the pieces\n"
    "  -r, --recovery=N   also write PAR2 recovery data beside the pieces (fixed\n"
    "                     drives): NAME.par2 and the volumes NAME.volA+B.par2 with\n"
    "                     N recovery slices in all (N%: that share of the piece\n"
    "                     count, rounded up). Up to N lost or damaged pieces can\n"
    "                     then be rebuilt, by mender-cli or by par2 repair.\n"
    "      --removable    treat FOLDER's drive as removable (disk by disk)\n"
    "      --fixed        treat FOLDER's drive as fixed\n"
    "  -y, --yes          answer OK to the confirmation and to every \"set the disk\"\n"
    "                     question without asking\n"
    "      --force        answer Yes when files of the set would replace existing\n"
    "                     files in FOLDER\n";

namespace {

enum : int { kNoChecksum = kFirstLongOnlyId };

// Far beyond any piece, and still exact as a double.
constexpr uint64_t kLargestSize = uint64_t(1) << 53;

struct Multiplier {
    const char* suffix;
    uint64_t factor;
};

// The suffixes GNU split takes: K, M, G and their iB forms count in 1024s,
// their B forms in 1000s; k and m are lower-case spellings of K and M.
constexpr uint64_t kKi = 1024, kMi = kKi * 1024, kGi = kMi * 1024;
constexpr Multiplier kMultipliers[] = {
    {"", 1},
    {"K", kKi}, {"k", kKi}, {"KiB", kKi}, {"kiB", kKi}, {"KB", 1000}, {"kB", 1000},
    {"M", kMi}, {"m", kMi}, {"MiB", kMi}, {"miB", kMi}, {"MB", 1000000}, {"mB", 1000000},
    {"G", kGi}, {"GiB", kGi}, {"GB", 1000000000},
};

}  // namespace

std::optional<double> SplitSizeFromWord(const std::string& word)
{
    // The window's captions first: "640MB" is the window's 628000000 bytes.
    static const std::pair<const char*, double> presets[] = {
        {"640KB", 634000},      {"720KB", 713000},       {"1.25MB", 1220000},     {"1.44MB", 1421000},
        {"100MB", 95000000},    {"128MB", 100000000},    {"230MB", 227000000},    {"640MB", 628000000},
    };
    for (const auto& [caption, size] : presets)
        if (word == caption) return size;

    const size_t digitsEnd = std::min(word.find_first_not_of("0123456789"), word.size());
    if (digitsEnd == 0) return std::nullopt;
    uint64_t number = 0;
    if (std::from_chars(word.data(), word.data() + digitsEnd, number).ec != std::errc()) return std::nullopt;
    const std::string suffix = word.substr(digitsEnd);
    for (const Multiplier& m : kMultipliers) {
        if (suffix != m.suffix) continue;
        uint64_t bytes = 0;
        if (number == 0 || __builtin_mul_overflow(number, m.factor, &bytes) || bytes > kLargestSize)
            return std::nullopt;
        return static_cast<double>(bytes);
    }
    return std::nullopt;
}

std::optional<CarverCliOptions> ParseCarverCli(const std::vector<std::string>& args, std::string& error)
{
    CarverCliOptions o;
    const std::vector<CliOption> own = {
        {"size", 's', true}, {"batch", 'b', false}, {"set-date", 'm', false}, {"no-checksum", kNoChecksum, false},
        {"recovery", 'r', true}};
    auto take = [&](int id, const char* argument, std::string& err) {
        switch (id) {
        case 's':
            if (const auto size = SplitSizeFromWord(argument)) {
                o.splitSize = *size;
                return true;
            }
            err = std::string("not a valid size: '") + argument + "'";
            return false;
        case 'r':
            if ((o.recovery = modCarver::RecoveryRequestFromWord(argument))) return true;
            err = std::string("not a valid recovery amount: '") + argument + "'";
            return false;
        case 'b': o.batch = true; break;
        case 'm': o.setDate = true; break;
        case kNoChecksum: o.writeManifest = false; break;
        }
        return true;
    };
    if (!ScanCommandLine(args, own, take, {"SOURCE", "FOLDER"}, o.common, error)) return std::nullopt;
    if (o.common.operands.size() == 2) {
        o.source = o.common.operands[0];
        o.folder = o.common.operands[1];
    }
    return o;
}
