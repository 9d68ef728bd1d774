#include "CarverCliOptions.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstring>

const char* const kCarverCliUsage =
    "usage: carver-cli [OPTIONS] SOURCE FOLDER\n"
    "Splits SOURCE into a split set in FOLDER: NAME.000 describes the set, the\n"
    "pieces are NAME.001, NAME.002 ...\n"
    "  -s, --size=SIZE    piece size, 1.44MB when not given. SIZE is a preset of\n"
    "                     the window (640KB, 720KB, 1.25MB, 1.44MB, 100MB, 128MB,\n"
    "                     230MB, 640MB), standing for the size the window splits\n"
    "                     at (1.44MB is 1421000 bytes, 640MB 628000000); fat32,\n"
    "                     the largest file a FAT32 disk holds (4294963200 bytes);\n"
    "                     or a whole number of bytes, which may be followed by K,\n"
    "                     M, G (1024, 1024^2, 1024^3; also KiB, MiB, GiB, k, m) or\n"
    "                     KB, MB, GB (1000, 1000^2, 1000^3; also kB). Such a size\n"
    "                     is the largest a piece may be: pieces are whole 4096-byte\n"
    "                     blocks, so it is rounded down to whole blocks, and a size\n"
    "                     below one block is one block.\n"
    "  -n, --number=N     N pieces of equal size in whole blocks, the last one\n"
    "                     shorter (fewer when the blocks do not share out); not\n"
    "                     with -s\n"
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

constexpr uint64_t kBlock = 4096;
// The largest whole-block file FAT32 holds (its sizes are 32-bit).
constexpr uint64_t kFat32Size = (uint64_t(1) << 32) - kBlock;

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
    if (word == "fat32") return static_cast<double>(kFat32Size);

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
        return static_cast<double>(std::max(bytes / kBlock * kBlock, kBlock));
    }
    return std::nullopt;
}

double SplitSizeForPieces(int64_t sourceLength, int64_t pieces)
{
    const uint64_t length = static_cast<uint64_t>(std::max<int64_t>(sourceLength, 0));
    const uint64_t blocks = (length + kBlock - 1) / kBlock;
    const uint64_t perPiece = (blocks + static_cast<uint64_t>(pieces) - 1) / static_cast<uint64_t>(pieces);
    return static_cast<double>(std::max<uint64_t>(perPiece, 1) * kBlock);
}

std::optional<CarverCliOptions> ParseCarverCli(const std::vector<std::string>& args, std::string& error)
{
    CarverCliOptions o;
    const std::vector<CliOption> own = {
        {"size", 's', true},   {"number", 'n', true},         {"batch", 'b', false},
        {"set-date", 'm', false}, {"no-checksum", kNoChecksum, false}, {"recovery", 'r', true}};
    bool sizeGiven = false;
    auto take = [&](int id, const char* argument, std::string& err) {
        switch (id) {
        case 's':
            if (const auto size = SplitSizeFromWord(argument)) {
                o.splitSize = *size;
                sizeGiven = true;
                return true;
            }
            err = std::string("not a valid size: '") + argument + "'";
            return false;
        case 'r':
            if ((o.recovery = modCarver::RecoveryRequestFromWord(argument))) return true;
            err = std::string("not a valid recovery amount: '") + argument + "'";
            return false;
        case 'n': {
            const char* end = argument + std::strlen(argument);
            int64_t n = 0;
            const auto [at, ec] = std::from_chars(argument, end, n);
            if (ec == std::errc() && at == end && n > 0) {
                o.pieces = n;
                return true;
            }
            err = std::string("not a valid number of pieces: '") + argument + "'";
            return false;
        }
        case 'b': o.batch = true; break;
        case 'm': o.setDate = true; break;
        case kNoChecksum: o.writeManifest = false; break;
        }
        return true;
    };
    if (!ScanCommandLine(args, own, take, {"SOURCE", "FOLDER"}, o.common, error)) return std::nullopt;
    if (sizeGiven && o.pieces > 0) {
        error = "-s and -n cannot be combined";
        return std::nullopt;
    }
    if (o.common.operands.size() == 2) {
        o.source = o.common.operands[0];
        o.folder = o.common.operands[1];
    }
    return o;
}
