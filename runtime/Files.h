#pragma once
// File operations of the engines. Every operation that can fail returns an
// IoStatus carrying the system's description of the error (strerror text in
// the user's locale), which the engines show in their failure messages, and
// the path of the file it is about, which a terminal names in its failure line.
// Steps that the engines deliberately ignore say so at the call:
//     IgnoreResult(DeleteFile(path));
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <utility>

#include "Translation.h"

class [[nodiscard]] IoStatus {
public:
    static IoStatus Success() { return IoStatus(); }
    static IoStatus FromErrno(int error);
    static IoStatus Failure(std::string description);

    bool ok() const { return ok_; }
    explicit operator bool() const { return ok_; }
    const std::string& Description() const { return description_; }
    // The file the failure is about; empty when it names none.
    const std::string& Subject() const { return subject_; }

    // The same status, naming path as its subject when it is a failure that
    // names no file yet (the innermost operation knows the file best).
    IoStatus About(const std::string& path) &&
    {
        if (!ok_ && subject_.empty()) subject_ = path;
        return std::move(*this);
    }

private:
    bool ok_ = true;
    std::string description_;
    std::string subject_;
};

// Marks a result that is ignored on purpose.
inline void IgnoreResult(const IoStatus&) {}

// Descriptions of the refusals the file layer makes itself.
inline constexpr const char* kNotRegularFile = N_("通常のﾌｧｲﾙではありません");
inline constexpr const char* kFileInUse = N_("他のﾌﾟﾛｸﾞﾗﾑが使用中です");

// Linux has no read-only attribute of the Windows kind: a file whose owner-write
// bit is clear counts as read-only. Such a file is never deleted by DeleteFile
// and never opened for writing, even by root.
bool IsReadOnly(const std::string& path);

// True only for an existing ordinary file (a regular file); folders do not count.
bool FileExists(const std::string& path);
// Something other than a regular file is at the path (a folder, a FIFO, a
// device, a socket, a dangling or looping symlink): nothing the programs may
// read or write as a file.
bool IsNonRegularEntry(const std::string& path);
bool FolderExists(const std::string& path);

// The name under which an existing entry is stored (the last component of the
// path as found in its folder), or the empty text when there is none.
std::string StoredNameOf(const std::string& path);

IoStatus DeleteFile(const std::string& path);
// Creates the last level of a folder path only.
IoStatus CreateFolder(const std::string& path);
// Removes a folder when nothing is in it; one that holds anything stays.
void RemoveFolderIfEmpty(const std::string& path);
// The process's current directory, without a trailing separator (except "/").
std::string CurrentDirectory();

// Waits until the file or folder at the path is on stable storage (a symlink
// there is not followed).
IoStatus SyncPath(const std::string& path);

// Length of a file by path; -1 when it cannot be taken.
int64_t FileLength(const std::string& path);

// Sequential binary reading through a buffer of its own. Only a regular file
// opens; the open never blocks (a FIFO is refused, not waited on).
class BinaryReader {
public:
    BinaryReader() = default;
    ~BinaryReader();
    BinaryReader(const BinaryReader&) = delete;
    BinaryReader& operator=(const BinaryReader&) = delete;

    IoStatus Open(const std::string& path);
    bool IsOpen() const { return fd_ >= 0; }
    // Fills the whole block; reading past the end of the file is a failure.
    IoStatus Read(std::span<char> block);
    int64_t Length() const;       // length of the open file
    int64_t Position() const { return position_; }
    int Descriptor() const { return fd_; }  // for comparing file identities
    void Close();

private:
    friend class BinaryWriter;  // its WriteFrom takes over the reading
    // The work of Open and Read; the public ones name the file in a failure.
    IoStatus DoOpen(const std::string& path);
    IoStatus DoRead(std::span<char> block);
    std::string path_;
    int fd_ = -1;
    int64_t position_ = 0;
    std::unique_ptr<char[]> buffer_;
    size_t bufferPos_ = 0, bufferEnd_ = 0;
};

// Sequential binary writing through a buffer of its own. Only a regular file is
// written, and no open blocks. A block written reaches the file at the latest
// at Close; a failure found then is a write failure like any other.
class BinaryWriter {
public:
    BinaryWriter() = default;
    ~BinaryWriter();
    BinaryWriter(const BinaryWriter&) = delete;
    BinaryWriter& operator=(const BinaryWriter&) = delete;

    // Creates the file, or empties the one there, so no tail of an older,
    // longer file survives. A symlink at the path is not followed.
    IoStatus Create(const std::string& path);
    // Opens the file for a run that must be the only one writing it: an
    // existing regular file (symlinks followed) when `existing`, otherwise a
    // new one (failing when one appears meanwhile). Either way it is locked
    // for this run (kFileInUse when another run holds it) and left unchanged:
    // nothing is written before TruncateTo.
    IoStatus OpenLocked(const std::string& path, bool existing);
    // Writes to a descriptor the program was given (standard output), under
    // `name` in failures; Close leaves the descriptor itself open.
    IoStatus OpenDescriptor(int fd, const std::string& name);
    // Cuts the file to `length` bytes and goes on writing from there.
    IoStatus TruncateTo(int64_t length);
    bool IsOpen() const { return fd_ >= 0; }
    IoStatus Write(std::span<const char> block);
    // Writes the next `length` bytes of the reader: copied by the kernel where
    // both files allow it (nothing passes through this process, as with cat),
    // otherwise through the buffers. A failure names the file it is about.
    IoStatus WriteFrom(BinaryReader& source, int64_t length);
    int64_t Length() const { return length_; }  // bytes written so far
    int Descriptor() const { return fd_; }       // for comparing file identities
    // Writes out the buffer and waits until the file's data is on stable storage.
    IoStatus Sync();
    // Sync, also after a failed write: `length` receives how much of what was
    // given is on stable storage (all of it, unless a write failed, when it is
    // what reached the file). Fails only when the sync itself fails.
    IoStatus SyncWritten(int64_t& length);
    // Writes out the buffer and starts the file's writeback without waiting
    // for it, so that a later Sync has less left to wait for.
    IoStatus StartWriteback();
    // The first write that failed; success while none has.
    const IoStatus& WriteFailure() const { return failure_; }
    IoStatus Close();

private:
    // The work of the public operations, which name the file in a failure.
    IoStatus DoCreate(const std::string& path);
    IoStatus DoOpenLocked(const std::string& path, bool existing);
    IoStatus DoWrite(std::span<const char> block);
    IoStatus DoSync();
    IoStatus DoClose();
    IoStatus FlushBuffer();
    void Attach(int fd, int64_t length);
    std::string path_;
    int fd_ = -1;
    int64_t length_ = 0;
    std::unique_ptr<char[]> buffer_;
    size_t used_ = 0;
    // The first write that failed: the file no longer holds what was given,
    // so every later write, sync and close fails with it.
    IoStatus failure_ = IoStatus::Success();
};

// An advisory lock (flock) that the programs take on the files of a run, so
// that a second run of either program on the same set or output stops before
// it changes anything. Released when the object goes or at Release.
class FileLock {
public:
    FileLock() = default;
    ~FileLock() { Release(); }
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;

    // Locks the existing regular file at path; kFileInUse when another run
    // holds it, kNotRegularFile for anything else at the path.
    IoStatus Lock(const std::string& path);
    // Creates the file (it must not exist) and locks it.
    IoStatus LockNew(const std::string& path);
    bool Held() const { return fd_ >= 0; }
    void Release();

private:
    int fd_ = -1;
};

enum class TextEncoding {
    Cp932,  // CP932; a line CP932 cannot hold is written in UTF-8 behind the UTF-8 mark
    Utf8,   // plain UTF-8, no mark
};

// A text file for writing: created, or emptied when it exists; every line
// written is the text followed by CR LF.
class TextFileWriter {
public:
    explicit TextFileWriter(TextEncoding encoding = TextEncoding::Cp932) : encoding_(encoding) {}
    IoStatus Create(const std::string& path);
    IoStatus WriteLine(const std::string& utf8);
    IoStatus Close();

private:
    TextEncoding encoding_;
    BinaryWriter file_;
};

// A text file for reading: each line runs up to its CR, and an LF after it is
// skipped; a line ended by an LF alone (a file written by a script) ends
// there. Lines are decoded from CP932, or from UTF-8 behind the UTF-8 mark.
class TextFileReader {
public:
    IoStatus Open(const std::string& path);
    // Fails at the end of the file.
    IoStatus ReadLine(std::string& utf8);
    void Close();

private:
    IoStatus DoReadLine(std::string& utf8);
    std::string path_;
    std::string content_;
    size_t pos_ = 0;
    bool open_ = false;
};
