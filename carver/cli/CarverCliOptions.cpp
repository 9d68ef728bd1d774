#include "CarverCliOptions.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstring>

const CliHelp kCarverCliHelp = {
    N_("使い方: carver-cli [OPTION]... SOURCE FOLDER\n"),
    N_("SOURCE を分割して FOLDER に書きます。NAME.000 が分割ファイルを表す\n"
       "連結情報ファイル、分割ファイルは NAME.001、NAME.002、... です。\n"),
    N_("  -s, --size=SIZE    分割ファイル 1 つの大きさ (既定は 1.44MB)。SIZE は\n"
       "                     ウィンドウの既定の大きさ (640KB、720KB、1.25MB、\n"
       "                     1.44MB、100MB、128MB、230MB、640MB) で、ウィンドウ\n"
       "                     が分割する大きさ (1.44MB は 1421000 バイト、640MB\n"
       "                     は 628000000 バイト)、fat32 (FAT32 のディスクに\n"
       "                     置ける最大のファイル、4294963200 バイト)、または\n"
       "                     バイト数。バイト数には K、M、G (1024 のべき。KiB、\n"
       "                     MiB、GiB、k、m も) か KB、MB、GB (1000 のべき。kB\n"
       "                     も) を付けられます。バイト数は分割ファイルの最大の\n"
       "                     大きさです。分割ファイルは 4096 バイトのブロック\n"
       "                     単位なので、ブロック単位に切り捨て、1 ブロック\n"
       "                     未満は 1 ブロックにします。\n"),
    N_("  -n, --number=N     ブロック単位の同じ大きさの N 個に分割する (最後だけ\n"
       "                     短い。ブロックを N 個に分けられなければ個数は減る)。\n"
       "                     -s とは併用できない\n"),
    N_("  -b, --batch        連結用バッチファイル NAME.bat も書く\n"),
    N_("  -m, --set-date     書いたファイルに元のファイルの日時を付ける\n"),
    N_("      --no-checksum  分割ファイルの SHA-256 を書いた NAME.sha256\n"
       "                     (sha256sum -c で照合できる) を書かない\n"),
    N_("  -r, --recovery=N   PAR2 の修復用データも書く: NAME.par2 と、合わせて N\n"
       "                     個の修復用スライスを持つボリューム NAME.volA+B.par2\n"
       "                     (N%: 分割数のその割合、切り上げ)。固定ドライブでは\n"
       "                     分割ファイルの横に書く。リムーバブルドライブでは\n"
       "                     NAME.par2 を分割ファイルのある各ディスクに書き、\n"
       "                     ボリュームは 1 スライスずつ、最後の分割ファイルの\n"
       "                     後にディスクを続けて書く。なくなったか壊れた分割\n"
       "                     ファイルを N 個まで、mender-cli か par2 repair で\n"
       "                     作り直せる\n"),
    N_("      --removable    FOLDER のドライブをリムーバブルとして扱う (ディスク\n"
       "                     1 枚ずつ)\n"),
    N_("      --fixed        FOLDER のドライブを固定ドライブとして扱う\n"),
    N_("  -y, --yes          分割数の確認とディスクを求める確認に OK で答える\n"),
    N_("      --force        すでにあるファイルを上書きする確認に「はい」で答える\n"),
};

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
            err = TrFormat(N_("大きさが正しくありません: '{1}'"), {argument});
            return false;
        case 'r':
            if ((o.recovery = modCarver::RecoveryRequestFromWord(argument))) return true;
            err = TrFormat(N_("修復用ﾃﾞｰﾀの量が正しくありません: '{1}'"), {argument});
            return false;
        case 'n': {
            const char* end = argument + std::strlen(argument);
            int64_t n = 0;
            const auto [at, ec] = std::from_chars(argument, end, n);
            if (ec == std::errc() && at == end && n > 0) {
                o.pieces = n;
                return true;
            }
            err = TrFormat(N_("分割数が正しくありません: '{1}'"), {argument});
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
        error = TrFormat(kOptionsExclusive, {"-s", "-n"});
        return std::nullopt;
    }
    if (o.common.operands.size() == 2) {
        o.source = o.common.operands[0];
        o.folder = o.common.operands[1];
    }
    return o;
}
