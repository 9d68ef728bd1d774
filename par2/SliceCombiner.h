#pragma once
// Linear combinations of slices over GF(2^16), streamed: every output slice is
// the sum of the source slices, each multiplied by its factor. Both the
// recovery encoder (sources: the input slices) and the repair (sources: the
// slices still there and recovery slices) are one such combination. Memory
// stays within a budget whatever the slice size and counts: the outputs are
// made a chunk of their bytes at a time, reading the sources once per chunk.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "Files.h"

namespace par2 {

// The bytes of one slice: `length` bytes of a file from `offset`; the rest of
// the slice reads as zeros.
struct SliceSource {
    std::string path;
    uint64_t offset = 0;
    uint64_t length = 0;
};

struct Combination {
    uint64_t sliceSize = 0;  // a multiple of 4
    std::vector<SliceSource> sources;
    std::vector<std::vector<uint16_t>> factors;  // [output][source]
};

struct CombineLimits {
    size_t memoryBytes = 32u << 20;  // for the chunk buffers
    unsigned threads = 2;
};

// Receives every output chunk by chunk, in order of offset for each output
// (plain little-endian words); a failure ends the combination. Called from
// the combining threads: each output always from the same one, and calls for
// different outputs may run at the same time.
using CombineSink = std::function<IoStatus(size_t output, uint64_t offset, const uint8_t* data, size_t size)>;
// Told the bytes of source read so far and their total (all chunks); false
// cancels, and Combine then returns a failure with an empty description.
using CombineProgress = std::function<bool(uint64_t done, uint64_t total)>;

IoStatus Combine(const Combination& combination, const CombineSink& sink, const CombineLimits& limits = {},
                 const CombineProgress& progress = {});

}  // namespace par2
