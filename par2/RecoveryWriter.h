#pragma once
// Writing the PAR2 recovery data of a set of input files: first their
// description (hashes of the files and of every slice), then the index file
// and the recovery volumes, streamed within a fixed memory budget.
#include <cstdint>
#include <memory>
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

// The hashes of one input file and of its slices.
struct Described {
    FileDescription file;
    std::vector<SliceChecksum> slices;
};

// The same hashes for input files of one slice each, taken as their bytes
// pass by elsewhere (a copy that writes them), so that they need not be read
// again: each file's bytes in order, on any thread, one thread per file at a
// time. Describe is called once every file has been fed; a file that was not
// fed whole is read for its hashes then.
class StreamedDescriptions {
public:
    StreamedDescriptions(size_t files, uint64_t sliceSize);
    ~StreamedDescriptions();
    void Feed(size_t file, const void* data, size_t size, bool ends);
    IoStatus Describe(const std::vector<InputFile>& inputs, RecoveryDescription& out);
    uint64_t SliceSize() const { return sliceSize_; }

private:
    struct Open;
    const uint64_t sliceSize_;
    std::vector<std::unique_ptr<Open>> open_;  // the files being fed
    std::vector<Described> described_;
    std::vector<uint8_t> ended_;  // not vector<bool>: files end on different threads
};

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
