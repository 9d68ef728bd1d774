#pragma once
// The packets of a PAR2 2.0 file: each starts with the magic "PAR2\0PKT", its
// length, the MD5 of everything from the recovery set ID to its end, the set
// ID (the MD5 of the Main packet's body) and its type; all numbers are
// little-endian and every packet is a whole number of 4-byte words.
#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

struct evp_md_ctx_st;

namespace par2 {

using Md5Digest = std::array<uint8_t, 16>;

// MD5 over libcrypto, fed piece by piece; copyable, so that a hash of a
// prefix can go on two ways (a file's hash, and its slice's hash with padding).
class Md5 {
public:
    Md5();
    ~Md5();
    Md5(const Md5& other);
    Md5& operator=(const Md5& other);
    void Update(const void* data, size_t size);
    Md5Digest Finish();  // the digest; the object is spent afterwards

private:
    evp_md_ctx_st* context_ = nullptr;
};
Md5Digest Md5Of(std::string_view bytes);
uint32_t Crc32Of(uint32_t crc, const void* data, size_t size);  // zlib's CRC-32, crc 0 to start

inline constexpr size_t kHeaderSize = 64;
inline constexpr size_t kFirst16k = 16384;

struct PacketType {
    static constexpr std::string_view kMain{"PAR 2.0\0Main\0\0\0\0", 16};
    static constexpr std::string_view kFileDesc{"PAR 2.0\0FileDesc", 16};
    static constexpr std::string_view kIfsc{"PAR 2.0\0IFSC\0\0\0\0", 16};
    static constexpr std::string_view kRecvSlic{"PAR 2.0\0RecvSlic", 16};
    static constexpr std::string_view kCreator{"PAR 2.0\0Creator\0", 16};
};

struct FileDescription {
    Md5Digest fileId{};
    Md5Digest hash{};       // of the whole file
    Md5Digest hash16k{};    // of its first 16 KiB
    uint64_t length = 0;
    std::string name;
};
// MD5(hash of the first 16 KiB, length, name): a file's ID.
Md5Digest FileIdOf(const Md5Digest& hash16k, uint64_t length, const std::string& name);

struct SliceChecksum {
    Md5Digest md5{};  // of the slice padded with zeros to the slice size
    uint32_t crc = 0;
};

// A whole packet around a body (a multiple of 4 bytes long).
std::string MakePacket(const Md5Digest& setId, std::string_view type, std::string_view body);
// The Main body: the slice size and the recovery set's file IDs in ascending order.
std::string MainBody(uint64_t sliceSize, std::vector<Md5Digest> fileIds);
std::string FileDescBody(const FileDescription& file);
std::string IfscBody(const Md5Digest& fileId, const std::vector<SliceChecksum>& slices);
std::string CreatorBody(std::string_view creator);

// A recovery slice packet is written around data computed later: its MD5 is
// the hash started here, fed with the data, and the header then made of it.
Md5 RecoveryPacketHash(const Md5Digest& setId, uint32_t exponent);
std::string RecoveryPacketHeader(const Md5Digest& setId, uint32_t exponent, uint64_t sliceSize,
                                 const Md5Digest& packetHash);  // header and exponent, 68 bytes
inline constexpr size_t kRecoveryHeaderSize = kHeaderSize + 4;

// Where a recovery slice's data lies.
struct RecoverySliceRef {
    uint32_t exponent = 0;
    std::string path;
    uint64_t offset = 0;
};

// What the PAR2 files of one recovery set say, gathered from any number of
// files; damaged packets, packets of other sets and duplicates are left out.
struct RecoverySet {
    Md5Digest setId{};
    bool hasMain = false;
    uint64_t sliceSize = 0;
    std::vector<Md5Digest> fileIds;  // in the Main packet's order, which orders the slices
    std::map<Md5Digest, FileDescription> files;
    std::map<Md5Digest, std::vector<SliceChecksum>> checksums;
    std::map<uint32_t, RecoverySliceRef> recovery;  // by exponent
    bool Complete() const;  // Main, and every file's description and checksums
};

// Reads the packets of the PAR2 files given. The first file (in the order
// given) that holds a Main packet fixes the set; packets of other sets are
// left out. A damaged or cut-off packet is skipped (the reader looks for the
// next magic), and a file that cannot be read counts as absent: recovery
// data that is lacking is only fewer recovery slices.
RecoverySet ReadRecoveryFiles(const std::vector<std::string>& paths);

}  // namespace par2
