#include "Files.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

#include "CodePage.h"

namespace {

constexpr size_t kFileBufferSize = 128 * 1024;
// A read or write at least this long goes straight between the caller's bytes
// and the file when the buffer holds nothing: a copy in runs then copies no
// byte in the program, and runs that end inside the buffer's length (a
// piece's last run) do not leave every later run out of step with it.
constexpr size_t kDirectBytes = 32 * 1024;

bool StatPath(const std::string& path, struct stat& st) { return ::stat(path.c_str(), &st) == 0; }

IoStatus WriteAll(int fd, const char* data, size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0) {
            if (errno == EINTR) continue;
            return IoStatus::FromErrno(errno);
        }
        data += n;
        size -= static_cast<size_t>(n);
    }
    return IoStatus::Success();
}

// Opens without ever blocking (a FIFO without a writer, a device), then keeps
// the descriptor only when it is a regular file; later reads and writes block
// as usual.
IoStatus OpenRegular(const std::string& path, int flags, mode_t mode, int& fd)
{
    fd = ::open(path.c_str(), flags | O_NONBLOCK | O_CLOEXEC, mode);
    if (fd < 0) {
        // A FIFO without a reader refuses a non-blocking open for writing.
        if (errno == ENXIO || errno == ELOOP) return IoStatus::Failure(kNotRegularFile);
        return IoStatus::FromErrno(errno);
    }
    struct stat st;
    const bool statted = ::fstat(fd, &st) == 0;
    if (!statted || !S_ISREG(st.st_mode)) {
        const bool folder = statted && S_ISDIR(st.st_mode);
        ::close(fd);
        fd = -1;
        return folder ? IoStatus::FromErrno(EISDIR) : IoStatus::Failure(kNotRegularFile);
    }
    (void)::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return IoStatus::Success();
}

// Cuts an open file to `length` bytes, leaving one that is not longer
// untouched: ext4 flushes a file truncated to nothing when it is closed (its
// rule for files rewritten after a truncate), so a new, empty output that is
// "emptied" anyway would wait for the device at every close.
IoStatus CutIfLonger(int fd, int64_t length)
{
    struct stat st;
    if (::fstat(fd, &st) != 0) return IoStatus::FromErrno(errno);
    if (st.st_size <= length) return IoStatus::Success();
    if (::ftruncate(fd, length) != 0) return IoStatus::FromErrno(errno);
    return IoStatus::Success();
}

IoStatus LockDescriptor(int fd)
{
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EINTR) continue;
        return errno == EWOULDBLOCK ? IoStatus::Failure(kFileInUse) : IoStatus::FromErrno(errno);
    }
    return IoStatus::Success();
}

}  // namespace

IoStatus IoStatus::FromErrno(int error)
{
    IoStatus s;
    s.ok_ = false;
    s.description_ = std::strerror(error);
    return s;
}

IoStatus IoStatus::Failure(std::string description)
{
    IoStatus s;
    s.ok_ = false;
    s.description_ = std::move(description);
    return s;
}

bool IsReadOnly(const std::string& path)
{
    struct stat st;
    return StatPath(path, st) && (st.st_mode & S_IWUSR) == 0;
}

bool FileExists(const std::string& path)
{
    struct stat st;
    return !path.empty() && StatPath(path, st) && S_ISREG(st.st_mode);
}

bool IsNonRegularEntry(const std::string& path)
{
    struct stat st;
    if (path.empty()) return false;
    if (StatPath(path, st)) return !S_ISREG(st.st_mode);
    return ::lstat(path.c_str(), &st) == 0;  // a symlink that leads nowhere
}

bool FolderExists(const std::string& path)
{
    struct stat st;
    return !path.empty() && StatPath(path, st) && S_ISDIR(st.st_mode);
}

std::string StoredNameOf(const std::string& path)
{
    struct stat st;
    if (path.empty() || ::lstat(path.c_str(), &st) != 0) return {};
    std::string p = path;
    while (p.size() > 1 && p.back() == '/') p.pop_back();
    const size_t slash = p.rfind('/');
    return slash == std::string::npos ? p : p.substr(slash + 1);
}

IoStatus DeleteFile(const std::string& path)
{
    if (IsReadOnly(path)) return IoStatus::FromErrno(EACCES).About(path);
    if (::unlink(path.c_str()) != 0) return IoStatus::FromErrno(errno).About(path);
    return IoStatus::Success();
}

IoStatus CreateFolder(const std::string& path)
{
    std::string p = path;
    while (p.size() > 1 && p.back() == '/') p.pop_back();
    if (::mkdir(p.c_str(), 0777) != 0) return IoStatus::FromErrno(errno).About(p);
    return IoStatus::Success();
}

void RemoveFolderIfEmpty(const std::string& path)
{
    // rmdir refuses a folder that holds anything, whoever put it there.
    ::rmdir(path.c_str());
}

std::string CurrentDirectory()
{
    std::vector<char> buf(4096);
    while (::getcwd(buf.data(), buf.size()) == nullptr) {
        if (errno != ERANGE) return {};
        buf.resize(buf.size() * 2);
    }
    return buf.data();
}

IoStatus SyncPath(const std::string& path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
    if (fd < 0) return IoStatus::FromErrno(errno);
    const IoStatus synced = ::fsync(fd) == 0 ? IoStatus::Success() : IoStatus::FromErrno(errno);
    ::close(fd);
    return synced;
}

int64_t FileLength(const std::string& path)
{
    struct stat st;
    if (!StatPath(path, st) || S_ISDIR(st.st_mode)) return -1;
    return static_cast<int64_t>(st.st_size);
}

// ---- BinaryReader ----

BinaryReader::~BinaryReader() { Close(); }

IoStatus BinaryReader::Open(const std::string& path)
{
    path_ = path;
    return DoOpen(path).About(path);
}

IoStatus BinaryReader::Read(std::span<char> block) { return DoRead(block).About(path_); }

IoStatus BinaryReader::DoOpen(const std::string& path)
{
    Close();
    int fd = -1;
    if (IoStatus s = OpenRegular(path, O_RDONLY, 0, fd); !s) return s;
    (void)::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);  // a hint only
    fd_ = fd;
    position_ = 0;
    // Left uninitialised: a reader is opened for every piece, and every byte
    // of the buffer is read into before it is used.
    if (!buffer_) buffer_ = std::make_unique_for_overwrite<char[]>(kFileBufferSize);
    bufferPos_ = bufferEnd_ = 0;
    return IoStatus::Success();
}

IoStatus BinaryReader::DoRead(std::span<char> block)
{
    if (fd_ < 0) return IoStatus::FromErrno(EBADF);
    size_t done = 0;
    while (done < block.size()) {
        if (bufferPos_ == bufferEnd_) {
            const size_t wanted = block.size() - done;
            if (wanted >= kDirectBytes) {
                // A large read goes straight into the caller's block.
                const ssize_t n = ::read(fd_, block.data() + done, wanted);
                if (n < 0) {
                    if (errno == EINTR) continue;
                    return IoStatus::FromErrno(errno);
                }
                if (n == 0) return IoStatus::Failure(N_("ﾌｧｲﾙが途中で終わっています"));
                done += static_cast<size_t>(n);
                position_ += n;
                continue;
            }
            const ssize_t n = ::read(fd_, buffer_.get(), kFileBufferSize);
            if (n < 0) {
                if (errno == EINTR) continue;
                return IoStatus::FromErrno(errno);
            }
            if (n == 0) return IoStatus::Failure(N_("ﾌｧｲﾙが途中で終わっています"));
            bufferPos_ = 0;
            bufferEnd_ = static_cast<size_t>(n);
        }
        const size_t take = std::min(block.size() - done, bufferEnd_ - bufferPos_);
        std::memcpy(block.data() + done, buffer_.get() + bufferPos_, take);
        bufferPos_ += take;
        done += take;
        position_ += static_cast<int64_t>(take);
    }
    return IoStatus::Success();
}

int64_t BinaryReader::Length() const
{
    struct stat st;
    if (fd_ < 0 || ::fstat(fd_, &st) != 0) return -1;
    return static_cast<int64_t>(st.st_size);
}

void BinaryReader::Close()
{
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    bufferPos_ = bufferEnd_ = 0;
}

// ---- BinaryWriter ----

BinaryWriter::~BinaryWriter() { IgnoreResult(Close()); }

IoStatus BinaryWriter::Create(const std::string& path)
{
    path_ = path;
    return DoCreate(path).About(path);
}

IoStatus BinaryWriter::Write(std::span<const char> block) { return DoWrite(block).About(path_); }

IoStatus BinaryWriter::Sync() { return DoSync().About(path_); }

IoStatus BinaryWriter::Close() { return DoClose().About(path_); }

IoStatus BinaryWriter::DoCreate(const std::string& path)
{
    IgnoreResult(Close());
    if (IsReadOnly(path)) return IoStatus::FromErrno(EACCES);
    int fd = -1;
    if (IoStatus s = OpenRegular(path, O_WRONLY | O_CREAT | O_NOFOLLOW, 0666, fd); !s) return s;
    if (IoStatus s = CutIfLonger(fd, 0); !s) {
        ::close(fd);
        return s;
    }
    Attach(fd, 0);
    return IoStatus::Success();
}

IoStatus BinaryWriter::OpenLocked(const std::string& path, bool existing)
{
    IgnoreResult(Close());
    path_ = path;
    return DoOpenLocked(path, existing).About(path);
}

IoStatus BinaryWriter::DoOpenLocked(const std::string& path, bool existing)
{
    if (existing && IsReadOnly(path)) return IoStatus::FromErrno(EACCES);
    int fd = -1;
    const int flags = existing ? O_WRONLY : O_WRONLY | O_CREAT | O_EXCL;
    if (IoStatus s = OpenRegular(path, flags, 0666, fd); !s) {
        // Another run made the file between the look and the open.
        return !existing && errno == EEXIST ? IoStatus::Failure(kFileInUse) : s;
    }
    if (IoStatus s = LockDescriptor(fd); !s) {
        ::close(fd);
        return s;
    }
    Attach(fd, 0);
    return IoStatus::Success();
}

IoStatus BinaryWriter::OpenDescriptor(int fd, const std::string& name)
{
    IgnoreResult(Close());
    path_ = name;
    const int own = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    if (own < 0) return IoStatus::FromErrno(errno).About(name);
    Attach(own, 0);
    return IoStatus::Success();
}

IoStatus BinaryWriter::TruncateTo(int64_t length)
{
    if (fd_ < 0) return IoStatus::FromErrno(EBADF).About(path_);
    if (IoStatus s = FlushBuffer(); !s) return std::move(s).About(path_);
    if (IoStatus s = CutIfLonger(fd_, length); !s) return std::move(s).About(path_);
    if (::lseek(fd_, length, SEEK_SET) < 0) return IoStatus::FromErrno(errno).About(path_);
    length_ = length;
    return IoStatus::Success();
}

void BinaryWriter::Attach(int fd, int64_t length)
{
    fd_ = fd;
    length_ = length;
    used_ = 0;
    failure_ = IoStatus::Success();
    if (!buffer_) buffer_ = std::make_unique_for_overwrite<char[]>(kFileBufferSize);
}

IoStatus BinaryWriter::FlushBuffer()
{
    if (!failure_ || used_ == 0) return failure_;
    failure_ = WriteAll(fd_, buffer_.get(), used_);
    used_ = 0;
    return failure_;
}

IoStatus BinaryWriter::DoWrite(std::span<const char> block)
{
    if (fd_ < 0) return IoStatus::FromErrno(EBADF);
    if (!failure_) return failure_;
    if (used_ + block.size() > kFileBufferSize || (used_ == 0 && block.size() >= kDirectBytes)) {
        if (IoStatus s = FlushBuffer(); !s) return s;
        if (block.size() >= kDirectBytes) {
            failure_ = WriteAll(fd_, block.data(), block.size());
            if (!failure_) return failure_;
            length_ += static_cast<int64_t>(block.size());
            return IoStatus::Success();
        }
    }
    std::memcpy(buffer_.get() + used_, block.data(), block.size());
    used_ += block.size();
    length_ += static_cast<int64_t>(block.size());
    return IoStatus::Success();
}

IoStatus BinaryWriter::WriteFrom(BinaryReader& source, int64_t length)
{
    if (fd_ < 0 || source.fd_ < 0) return IoStatus::FromErrno(EBADF).About(path_);
    if (!failure_) return IoStatus(failure_).About(path_);
    // The bytes the reader holds already come first, then the writer's own.
    const size_t held = std::min(static_cast<size_t>(length), source.bufferEnd_ - source.bufferPos_);
    if (held > 0) {
        if (IoStatus s = Write({source.buffer_.get() + source.bufferPos_, held}); !s) return s;
        source.bufferPos_ += held;
        source.position_ += static_cast<int64_t>(held);
        length -= static_cast<int64_t>(held);
    }
    if (length > 0) {
        if (IoStatus s = FlushBuffer(); !s) return std::move(s).About(path_);
        // Both descriptors' positions move on; the reader's buffer is empty.
        while (length > 0) {
            const ssize_t n = ::copy_file_range(source.fd_, nullptr, fd_, nullptr, static_cast<size_t>(length), 0);
            if (n < 0 && errno == EINTR) continue;
            // Another file system, a pipe, a failure or a source that ended
            // early: the buffered copy does the rest, and a failure there
            // names the side it is on.
            if (n <= 0) break;
            source.position_ += n;
            length_ += n;
            length -= n;
        }
    }
    while (length > 0) {
        if (used_ == kFileBufferSize) {
            if (IoStatus s = FlushBuffer(); !s) return std::move(s).About(path_);
        }
        const size_t take = std::min(static_cast<size_t>(length), kFileBufferSize - used_);
        if (IoStatus s = source.Read({buffer_.get() + used_, take}); !s) return s;
        used_ += take;
        length_ += static_cast<int64_t>(take);
        length -= static_cast<int64_t>(take);
    }
    return IoStatus::Success();
}

IoStatus BinaryWriter::DoSync()
{
    if (fd_ < 0) return IoStatus::FromErrno(EBADF);
    if (IoStatus s = FlushBuffer(); !s) return s;
    if (::fsync(fd_) != 0) return IoStatus::FromErrno(errno);
    return IoStatus::Success();
}

IoStatus BinaryWriter::StartWriteback()
{
    if (fd_ < 0) return IoStatus::FromErrno(EBADF).About(path_);
    if (IoStatus s = FlushBuffer(); !s) return std::move(s).About(path_);
    // Only a hint: where it does nothing, the later sync does all the work.
    static_cast<void>(::sync_file_range(fd_, 0, 0, SYNC_FILE_RANGE_WRITE));
    return IoStatus::Success();
}

IoStatus BinaryWriter::SyncWritten(int64_t& length)
{
    length = 0;
    if (fd_ < 0) return IoStatus::FromErrno(EBADF).About(path_);
    const bool whole = FlushBuffer().ok();
    if (::fsync(fd_) != 0) return IoStatus::FromErrno(errno).About(path_);
    // Written in order from the start: what reached the file is a prefix.
    struct stat st {};
    if (whole) length = length_;
    else if (::fstat(fd_, &st) == 0) length = std::min<int64_t>(st.st_size, length_);
    return IoStatus::Success();
}

IoStatus BinaryWriter::DoClose()
{
    if (fd_ < 0) return IoStatus::Success();
    IoStatus s = FlushBuffer();
    if (::close(fd_) != 0 && s) s = IoStatus::FromErrno(errno);
    fd_ = -1;
    return s;
}

// ---- text files ----

IoStatus TextFileWriter::Create(const std::string& path) { return file_.Create(path); }

IoStatus TextFileWriter::WriteLine(const std::string& utf8)
{
    std::string bytes = encoding_ == TextEncoding::Cp932 ? EncodeTextLine(utf8) : utf8;
    bytes += "\r\n";
    return file_.Write(bytes);
}

IoStatus TextFileWriter::Close() { return file_.Close(); }

IoStatus TextFileReader::Open(const std::string& path)
{
    open_ = false;
    content_.clear();
    pos_ = 0;
    path_ = path;
    BinaryReader reader;
    if (IoStatus s = reader.Open(path); !s) return s;
    // The engines read only the first lines of small text files; a cap keeps a
    // huge file chosen by mistake from being read whole.
    constexpr int64_t kMaxTextFile = 1 << 20;
    const int64_t length = std::min<int64_t>(reader.Length(), kMaxTextFile);
    content_.resize(static_cast<size_t>(std::max<int64_t>(length, 0)));
    if (IoStatus s = reader.Read(content_); !s) return s;
    open_ = true;
    return IoStatus::Success();
}

IoStatus TextFileReader::ReadLine(std::string& utf8) { return DoReadLine(utf8).About(path_); }

IoStatus TextFileReader::DoReadLine(std::string& utf8)
{
    if (!open_) return IoStatus::FromErrno(EBADF);
    if (pos_ >= content_.size()) return IoStatus::Failure(N_("ﾌｧｲﾙの終わりより先は読めません"));
    const size_t lineEnd = content_.find_first_of("\r\n", pos_);
    const size_t end = lineEnd == std::string::npos ? content_.size() : lineEnd;
    utf8 = DecodeTextLine(std::string_view(content_).substr(pos_, end - pos_));
    pos_ = end;
    if (pos_ < content_.size() && content_[pos_] == '\r') ++pos_;     // the CR
    if (pos_ < content_.size() && content_[pos_] == '\n') ++pos_;     // the LF (after it, or alone)
    return IoStatus::Success();
}

void TextFileReader::Close()
{
    open_ = false;
    content_.clear();
}

// ---- FileLock ----

IoStatus FileLock::Lock(const std::string& path)
{
    Release();
    int fd = -1;
    if (IoStatus s = OpenRegular(path, O_RDONLY, 0, fd); !s) return std::move(s).About(path);
    if (IoStatus s = LockDescriptor(fd); !s) {
        ::close(fd);
        return std::move(s).About(path);
    }
    fd_ = fd;
    return IoStatus::Success();
}

IoStatus FileLock::LockNew(const std::string& path)
{
    Release();
    int fd = -1;
    if (IoStatus s = OpenRegular(path, O_WRONLY | O_CREAT | O_EXCL, 0666, fd); !s)
        return (errno == EEXIST ? IoStatus::Failure(kFileInUse) : s).About(path);
    if (IoStatus s = LockDescriptor(fd); !s) {
        ::close(fd);
        return std::move(s).About(path);
    }
    fd_ = fd;
    return IoStatus::Success();
}

void FileLock::Release()
{
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
}
