#include "RecoveryData.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <dirent.h>

#include "Gf16.h"
#include "RecoveryWriter.h"

namespace modCarver {

std::optional<RecoveryRequest> RecoveryRequestFromWord(const std::string& word)
{
    const bool percent = !word.empty() && word.back() == '%';
    const std::string digits = percent ? word.substr(0, word.size() - 1) : word;
    int64_t number = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), number);
    if (digits.empty() || ec != std::errc() || end != digits.data() + digits.size() || number <= 0) return std::nullopt;
    if (percent) return number <= 100 ? std::optional(RecoveryRequest{0, static_cast<double>(number)}) : std::nullopt;
    return number <= par2::kMaxInputSlices ? std::optional(RecoveryRequest{number, 0}) : std::nullopt;
}

uint32_t RecoverySlicesFor(const RecoveryRequest& request, int64_t pieceCount)
{
    const int64_t wanted = request.slices > 0
                               ? request.slices
                               : static_cast<int64_t>(std::ceil(request.percent * static_cast<double>(pieceCount) / 100));
    return static_cast<uint32_t>(std::clamp<int64_t>(wanted, 1, par2::kMaxInputSlices));
}

std::vector<std::string> ExistingRecoveryFiles(const SplitSetNames& names)
{
    std::vector<std::string> found;
    DIR* dir = ::opendir(names.folder.c_str());
    if (dir == nullptr) return found;
    while (const dirent* e = ::readdir(dir))
        if (par2::IsRecoveryFileName(e->d_name, names.baseName)) found.push_back(names.folder + e->d_name);
    ::closedir(dir);
    std::sort(found.begin(), found.end());
    return found;
}

IoStatus PieceInputs(const SplitSetNames& names, int64_t pieceCount, std::vector<par2::InputFile>& inputs,
                     uint64_t& sliceSize)
{
    inputs.clear();
    sliceSize = 4;
    for (int32_t k = 1; k <= pieceCount; ++k) {
        const std::string path = names.PiecePath(k);
        const int64_t length = FileLength(path);
        if (length < 0) return IoStatus::FromErrno(ENOENT).About(path);
        inputs.push_back({names.PieceFileName(k), {path, 0, static_cast<uint64_t>(length)}});
        sliceSize = std::max<uint64_t>(sliceSize, (static_cast<uint64_t>(length) + 3) / 4 * 4);
    }
    return IoStatus::Success();
}

IoStatus WriteDescribedRecoveryData(const SplitSetNames& names, const par2::RecoveryDescription& description,
                                    uint32_t slices, const std::function<bool(double)>& progress)
{
    const std::vector<par2::Volume> volumes = par2::ExponentialVolumes(slices);
    std::vector<std::string> paths;
    for (const std::string& name : par2::VolumeFileNames(names.baseName, volumes)) paths.push_back(names.folder + name);
    const par2::CombineProgress told = [&progress](uint64_t done, uint64_t total) {
        return !progress || progress(static_cast<double>(done) / static_cast<double>(std::max<uint64_t>(total, 1)));
    };
    if (IoStatus s = par2::WriteVolumes(description, volumes, paths, {}, told); !s) return s;
    // The index last: a run stopped before leaves no index that promises volumes.
    return par2::WriteIndexFile(description, names.folder + par2::IndexFileName(names.baseName));
}

IoStatus WriteRecoveryData(const SplitSetNames& names, int64_t pieceCount, uint32_t slices,
                           const std::function<bool(double)>& progress)
{
    std::vector<par2::InputFile> inputs;
    uint64_t sliceSize = 0;
    if (IoStatus s = PieceInputs(names, pieceCount, inputs, sliceSize); !s) return s;
    // Hashing is one read of the pieces, the volumes another: a share each.
    auto half = [&progress](double from) {
        return [&progress, from](double share) { return !progress || progress(from + 0.5 * share); };
    };
    par2::RecoveryDescription description;
    const std::function<bool(double)> first = half(0);
    if (IoStatus s = par2::DescribeInputs(inputs, sliceSize, description, 2, [&first](uint64_t done, uint64_t total) {
            return first(static_cast<double>(done) / static_cast<double>(std::max<uint64_t>(total, 1)));
        });
        !s)
        return s;
    return WriteDescribedRecoveryData(names, description, slices, half(0.5));
}

}  // namespace modCarver
