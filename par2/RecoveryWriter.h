#pragma once
// Writing the PAR2 recovery data of a set of input files: first their
// description (hashes of the files and of every slice), then the index file
// and the recovery volumes, streamed within a fixed memory budget.
#include <cstdint>
#include <string>
#include <vector>

#include "Packets.h"
#include "SliceCombiner.h"
#include "VolumeNames.h"

namespace par2 {

// An input file: its name in the recovery set and where its bytes are read
// from (the file itself, or its part of a larger file); `length` is its size.
struct InputFile {
    std::string name;
    SliceSource bytes;
};

struct RecoveryDescription {
    uint64_t sliceSize = 0;
    Md5Digest setId{};
    std::vector<FileDescription> files;               // in the Main packet's order
    std::vector<std::vector<SliceChecksum>> slices;   // per file, same order
    std::vector<SliceSource> sliceSources;            // every input slice, in the order of their constants
    std::string criticalPackets;                      // Main, descriptions, checksums, creator
};

// Reads every input once (on up to `threads` threads) for its hashes.
// sliceSize: a multiple of 4; every file needs at most 32768 slices in all.
IoStatus DescribeInputs(const std::vector<InputFile>& inputs, uint64_t sliceSize, RecoveryDescription& out,
                        unsigned threads = 2, const CombineProgress& progress = {});

// The index file: the critical packets alone. Created, or emptied when it exists.
IoStatus WriteIndexFile(const RecoveryDescription& description, const std::string& path);

// Writes volumes (the recovery slices of their exponents, then the critical
// packets) at the paths given, one path per volume; each file is created or
// emptied. The progress counts bytes of input read. When the writing fails
// or is cancelled, every volume it started is removed again: none is left
// cut short.
IoStatus WriteVolumes(const RecoveryDescription& description, const std::vector<Volume>& volumes,
                      const std::vector<std::string>& paths, const CombineLimits& limits = {},
                      const CombineProgress& progress = {});

// The size of a volume's file, for free-space checks.
uint64_t VolumeFileSize(const RecoveryDescription& description, const Volume& volume);
// The size of the index of files of these names with one slice each, known
// before they are described.
uint64_t IndexFileSizeFor(const std::vector<std::string>& fileNames);

}  // namespace par2
