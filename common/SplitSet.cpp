#include "SplitSet.h"

#include <algorithm>

#include "BoxText.h"
#include "CodePage.h"
#include "NumberFormat.h"
#include "Paths.h"

std::string PieceNumberText(int32_t k) { return FormatNumber(k, "000"); }

std::optional<int32_t> PieceNumberOf(const std::string& tail)
{
    if (tail.empty() || tail.size() > 9 || tail.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    const auto k = static_cast<int32_t>(TextToNumber(tail));
    if (k < 1 || PieceNumberText(k) != tail) return std::nullopt;
    return k;
}

std::string PieceCountLine(int32_t count)
{
    const std::string text = "000" + std::to_string(count);
    // Up to 999 only the last three characters are written, as the format has
    // always had it; a larger count keeps all its digits.
    return count > 999 ? std::to_string(count) : text.substr(text.size() - 3);
}

int32_t PieceCountFromLine(const std::string& line1)
{
    const bool allDigits = !line1.empty() && std::all_of(line1.begin(), line1.end(),
                                                         [](char c) { return c >= '0' && c <= '9'; });
    if (allDigits && line1.size() > 3) {
        const double whole = TextToNumber(line1);
        return whole > 2147483647.0 ? 2147483647 : static_cast<int32_t>(whole);
    }
    return static_cast<int32_t>(TextToNumber(LastCharacters(line1, 3)));
}

std::string SplitSetNames::PieceFileName(int32_t k) const
{
    return baseName + "." + PieceNumberText(k - 1 + firstNumber);
}
std::string SplitSetNames::JoinInfoPath() const { return folder + baseName + ".000"; }
std::string SplitSetNames::PiecePath(int32_t k) const { return folder + PieceFileName(k); }
std::string SplitSetNames::BatchPath() const { return folder + baseName + ".bat"; }
std::string SplitSetNames::ManifestPath() const { return folder + baseName + ".sha256"; }

bool SplitSetNames::IsOwnFileName(const std::string& name, int64_t count) const
{
    const std::string stem = baseName + ".";
    if (name.size() <= stem.size() || name.compare(0, stem.size(), stem) != 0) return false;
    std::string extension = name.substr(stem.size());
    // The letters in any case: the removable disks are mostly FAT, where
    // movie.BAT and movie.bat are one file.
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    if (extension == "000" || extension == "bat" || extension == "sha256") return true;
    const bool digits = extension.size() <= 10 && std::all_of(extension.begin(), extension.end(),
                                                               [](char c) { return c >= '0' && c <= '9'; });
    if (!digits) return false;
    const int64_t k = std::stoll(extension);
    return k >= 1 && k <= count && k <= INT32_MAX && PieceNumberText(static_cast<int32_t>(k)) == extension;
}

SplitSetNames SplitSetNamesFor(const std::string& sourcePath, const std::string& folder)
{
    SplitSetNames names;
    names.folder = folder;
    names.sourceName = FileNameOf(sourcePath);
    names.baseName = BaseNameOf(names.sourceName);
    return names;
}

IoStatus WriteJoinInfo(const std::string& path, int32_t count, const std::string& sourceName)
{
    TextFileWriter file;
    if (IoStatus s = file.Create(path); !s) return s;
    if (IoStatus s = file.WriteLine(PieceCountLine(count)); !s) return s;
    if (IoStatus s = file.WriteLine(sourceName); !s) return s;
    return file.Close();
}

IoStatus ReadJoinInfo(const std::string& path, JoinInfo& info)
{
    TextFileReader file;
    if (IoStatus s = file.Open(path); !s) return s;
    std::string line1, line2;
    // The file is open, so a line can fail only by not being there.
    if (!file.ReadLine(line1) || !file.ReadLine(line2))
        return IoStatus::Failure(N_("連結情報ﾌｧｲﾙの行が足りません")).About(path);
    info.count = PieceCountFromLine(line1);
    info.countLine = line1;
    info.sourceName = line2;
    return IoStatus::Success();
}

std::optional<int32_t> ValidPieceCount(const std::string& line1)
{
    const std::string digits = TrimSpaces(line1);
    // Nine digits at most: a count a set can have, and no overflow.
    if (digits.empty() || digits.size() > 9 || digits.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    const int32_t count = PieceCountFromLine(digits);
    if (count < 1) return std::nullopt;
    return count;
}
