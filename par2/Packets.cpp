#include "Packets.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <openssl/evp.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <zlib.h>

namespace par2 {

Md5::Md5() : context_(EVP_MD_CTX_new())
{
    if (context_ == nullptr || EVP_DigestInit_ex(context_, EVP_md5(), nullptr) != 1) std::abort();
}
Md5::~Md5() { EVP_MD_CTX_free(context_); }
Md5::Md5(const Md5& other) : context_(EVP_MD_CTX_new())
{
    if (context_ == nullptr || EVP_MD_CTX_copy_ex(context_, other.context_) != 1) std::abort();
}
Md5& Md5::operator=(const Md5& other)
{
    if (this != &other && EVP_MD_CTX_copy_ex(context_, other.context_) != 1) std::abort();
    return *this;
}
void Md5::Update(const void* data, size_t size)
{
    if (size > 0 && EVP_DigestUpdate(context_, data, size) != 1) std::abort();
}
Md5Digest Md5::Finish()
{
    Md5Digest d{};
    unsigned int n = 0;
    if (EVP_DigestFinal_ex(context_, d.data(), &n) != 1 || n != d.size()) std::abort();
    return d;
}

Md5Digest Md5Of(std::string_view bytes)
{
    Md5 h;
    h.Update(bytes.data(), bytes.size());
    return h.Finish();
}

uint32_t Crc32Of(uint32_t crc, const void* data, size_t size)
{
    const auto* p = static_cast<const Bytef*>(data);
    while (size > 0) {  // zlib takes at most a uInt at a time
        const uInt n = static_cast<uInt>(std::min<size_t>(size, 1u << 30));
        crc = static_cast<uint32_t>(crc32(crc, p, n));
        p += n;
        size -= n;
    }
    return crc;
}

namespace {

constexpr std::string_view kMagic{"PAR2\0PKT", 8};

void PutLe(std::string& out, uint64_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>(value >> (8 * i)));
}

uint64_t GetLe(const char* p, int bytes)
{
    uint64_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | static_cast<uint8_t>(p[i]);
    return v;
}

void PutDigest(std::string& out, const Md5Digest& d) { out.append(reinterpret_cast<const char*>(d.data()), d.size()); }

Md5Digest GetDigest(const char* p)
{
    Md5Digest d;
    std::memcpy(d.data(), p, d.size());
    return d;
}

}  // namespace

Md5Digest FileIdOf(const Md5Digest& hash16k, uint64_t length, const std::string& name)
{
    std::string bytes;
    PutDigest(bytes, hash16k);
    PutLe(bytes, length, 8);
    bytes += name;
    return Md5Of(bytes);
}

std::string MakePacket(const Md5Digest& setId, std::string_view type, std::string_view body)
{
    std::string hashed;
    PutDigest(hashed, setId);
    hashed += type;
    hashed += body;
    std::string packet(kMagic);
    PutLe(packet, kHeaderSize + body.size(), 8);
    PutDigest(packet, Md5Of(hashed));
    return packet + hashed;
}

std::string MainBody(uint64_t sliceSize, std::vector<Md5Digest> fileIds)
{
    std::sort(fileIds.begin(), fileIds.end());  // byte order of the digest is the order of 16-byte numbers
    std::string body;
    PutLe(body, sliceSize, 8);
    PutLe(body, fileIds.size(), 4);
    for (const Md5Digest& id : fileIds) PutDigest(body, id);
    return body;
}

std::string FileDescBody(const FileDescription& file)
{
    std::string body;
    PutDigest(body, file.fileId);
    PutDigest(body, file.hash);
    PutDigest(body, file.hash16k);
    PutLe(body, file.length, 8);
    body += file.name;
    body.resize((body.size() + 3) / 4 * 4, '\0');
    return body;
}

std::string IfscBody(const Md5Digest& fileId, const std::vector<SliceChecksum>& slices)
{
    std::string body;
    PutDigest(body, fileId);
    for (const SliceChecksum& s : slices) {
        PutDigest(body, s.md5);
        PutLe(body, s.crc, 4);
    }
    return body;
}

std::string CreatorBody(std::string_view creator)
{
    std::string body(creator);
    body.resize((body.size() + 3) / 4 * 4, '\0');
    return body;
}

Md5 RecoveryPacketHash(const Md5Digest& setId, uint32_t exponent)
{
    std::string start;
    PutDigest(start, setId);
    start += PacketType::kRecvSlic;
    PutLe(start, exponent, 4);
    Md5 h;
    h.Update(start.data(), start.size());
    return h;
}

std::string RecoveryPacketHeader(const Md5Digest& setId, uint32_t exponent, uint64_t sliceSize,
                                 const Md5Digest& packetHash)
{
    std::string header(kMagic);
    PutLe(header, kRecoveryHeaderSize + sliceSize, 8);
    PutDigest(header, packetHash);
    PutDigest(header, setId);
    header += PacketType::kRecvSlic;
    PutLe(header, exponent, 4);
    return header;
}

bool RecoverySet::Complete() const
{
    if (!hasMain) return false;
    for (const Md5Digest& id : fileIds)
        if (!files.contains(id) || !checksums.contains(id)) return false;
    return true;
}

namespace {

// One file's packets as found; the bodies of the small ones, the place of
// the recovery data.
struct FoundPacket {
    Md5Digest setId;
    std::string type;
    std::string body;       // all but recovery slices
    uint64_t dataOffset = 0;  // recovery slices: where the data starts
    uint32_t exponent = 0;
    uint64_t dataLength = 0;
};

constexpr uint64_t kMaxSmallBody = 64ull << 20;  // far above any description of 32768 slices

class PacketScanner {
public:
    explicit PacketScanner(int fd) : fd_(fd) { length_ = ::lseek(fd, 0, SEEK_END); }

    std::vector<FoundPacket> Scan()
    {
        std::vector<FoundPacket> found;
        uint64_t pos = 0;
        while (pos + kHeaderSize <= length_) {
            uint64_t next = 0;
            if (ReadPacketAt(pos, found, next)) {
                pos = next;
                continue;
            }
            pos = FindMagic(pos + 1);
        }
        return found;
    }

private:
    bool ReadAt(uint64_t pos, char* buffer, size_t size)
    {
        while (size > 0) {
            const ssize_t n = ::pread(fd_, buffer, size, static_cast<off_t>(pos));
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return false;
            buffer += n;
            pos += static_cast<uint64_t>(n);
            size -= static_cast<size_t>(n);
        }
        return true;
    }

    bool ReadPacketAt(uint64_t pos, std::vector<FoundPacket>& found, uint64_t& next)
    {
        char header[kHeaderSize];
        if (!ReadAt(pos, header, sizeof header) || std::string_view(header, 8) != kMagic) return false;
        const uint64_t length = GetLe(header + 8, 8);
        if (length < kHeaderSize || length % 4 != 0 || length > length_ - pos) return false;
        FoundPacket p;
        p.setId = GetDigest(header + 32);
        p.type.assign(header + 48, 16);
        const uint64_t bodyLength = length - kHeaderSize;
        Md5 hash;
        hash.Update(header + 32, 32);
        if (p.type == PacketType::kRecvSlic) {
            if (bodyLength < 4) return false;
            if (chunk_.empty()) chunk_.resize(1 << 20);  // once per file, not per slice
            for (uint64_t done = 0; done < bodyLength;) {
                const size_t n = static_cast<size_t>(std::min<uint64_t>(chunk_.size(), bodyLength - done));
                if (!ReadAt(pos + kHeaderSize + done, chunk_.data(), n)) return false;
                if (done == 0) p.exponent = static_cast<uint32_t>(GetLe(chunk_.data(), 4));
                hash.Update(chunk_.data(), n);
                done += n;
            }
            p.dataOffset = pos + kRecoveryHeaderSize;
            p.dataLength = bodyLength - 4;
        } else {
            if (bodyLength > kMaxSmallBody) return false;
            p.body.resize(bodyLength);
            if (!ReadAt(pos + kHeaderSize, p.body.data(), p.body.size())) return false;
            hash.Update(p.body.data(), p.body.size());
        }
        if (hash.Finish() != GetDigest(header + 16)) return false;
        found.push_back(std::move(p));
        next = pos + length;
        return true;
    }

    // The next place at or after pos where the magic stands, or the end.
    uint64_t FindMagic(uint64_t pos)
    {
        std::vector<char> window(1 << 16);
        while (pos + kMagic.size() <= length_) {
            const size_t n = static_cast<size_t>(std::min<uint64_t>(window.size(), length_ - pos));
            if (!ReadAt(pos, window.data(), n)) return length_;
            const std::string_view text(window.data(), n);
            const size_t at = text.find(kMagic);
            if (at != std::string_view::npos) return pos + at;
            if (n < window.size()) break;
            pos += n - (kMagic.size() - 1);
        }
        return length_;
    }

    int fd_;
    uint64_t length_ = 0;
    std::vector<char> chunk_;
};

void AddPacket(RecoverySet& set, const FoundPacket& p, const std::string& path)
{
    const std::string& b = p.body;
    if (p.type == PacketType::kMain) {
        if (set.hasMain || b.size() < 12) return;
        const uint64_t count = GetLe(b.data() + 8, 4);
        if (b.size() < 12 + 16 * count) return;
        set.sliceSize = GetLe(b.data(), 8);
        for (uint64_t i = 0; i < count; ++i) set.fileIds.push_back(GetDigest(b.data() + 12 + 16 * i));
        set.hasMain = set.sliceSize > 0 && set.sliceSize % 4 == 0;
        if (!set.hasMain) set.fileIds.clear();
    } else if (p.type == PacketType::kFileDesc) {
        if (b.size() < 56) return;
        FileDescription f;
        f.fileId = GetDigest(b.data());
        f.hash = GetDigest(b.data() + 16);
        f.hash16k = GetDigest(b.data() + 32);
        f.length = GetLe(b.data() + 48, 8);
        f.name = b.substr(56);
        f.name.erase(f.name.find_last_not_of('\0') + 1);
        set.files.emplace(f.fileId, std::move(f));
    } else if (p.type == PacketType::kIfsc) {
        if (b.size() < 16 || (b.size() - 16) % 20 != 0) return;
        std::vector<SliceChecksum> slices((b.size() - 16) / 20);
        for (size_t i = 0; i < slices.size(); ++i) {
            slices[i].md5 = GetDigest(b.data() + 16 + 20 * i);
            slices[i].crc = static_cast<uint32_t>(GetLe(b.data() + 32 + 20 * i, 4));
        }
        set.checksums.emplace(GetDigest(b.data()), std::move(slices));
    } else if (p.type == PacketType::kRecvSlic && p.dataLength == set.sliceSize) {
        set.recovery.emplace(p.exponent, RecoverySliceRef{p.exponent, path, p.dataOffset});
    }
}

}  // namespace

RecoverySet ReadRecoveryFiles(const std::vector<std::string>& paths)
{
    RecoverySet set;
    std::vector<std::vector<FoundPacket>> perFile(paths.size());
    // Two threads take the files in turn: a volume's check is an MD5 of all its bytes.
    std::atomic<size_t> next{0};
    const auto scan = [&] {
        for (size_t i; (i = next++) < paths.size();) {
            const int fd = ::open(paths[i].c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOFOLLOW);
            if (fd < 0) continue;
            struct stat st;
            if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) perFile[i] = PacketScanner(fd).Scan();
            ::close(fd);
        }
    };
    {
        std::jthread helper;
        if (paths.size() > 1) helper = std::jthread(scan);
        scan();
    }
    bool fixed = false;
    for (size_t i = 0; i < paths.size() && !fixed; ++i)
        for (const FoundPacket& p : perFile[i])
            if (!fixed && p.type == PacketType::kMain && Md5Of(p.body) == p.setId) {
                set.setId = p.setId;
                fixed = true;
            }
    if (!fixed) return set;
    // The Main packet first: the recovery slices are checked against its slice size.
    for (const bool main : {true, false})
        for (size_t i = 0; i < paths.size(); ++i)
            for (const FoundPacket& p : perFile[i])
                if (p.setId == set.setId && (p.type == PacketType::kMain) == main) AddPacket(set, p, paths[i]);
    // The Main packet names the set: without it nothing else can be placed.
    if (!set.hasMain) set = RecoverySet{};
    return set;
}

}  // namespace par2
