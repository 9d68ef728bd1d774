#pragma once
// The checksum file of a split set, NAME.sha256 (NAME the stem of the set, as
// for NAME.000), in the form `sha256sum -c` reads: one line per file, 64
// lowercase hexadecimal digits, two spaces, the file name as it is on disk,
// LF line ends. A name holding a backslash, a line feed or a carriage return
// is written in the escaped form: the line starts with "\" and the name has
// "\\", "\n" and "\r" for those characters.
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "Files.h"

struct ManifestEntry {
    std::string name;  // a file name without folder
    std::string hash;  // 64 lowercase hexadecimal digits
    bool operator==(const ManifestEntry&) const = default;
};

// One line of a manifest without its line end.
std::string ManifestLine(const ManifestEntry& entry);

// The entry of one line (its line end removed), as `sha256sum -c` reads it:
// spaces or tabs before the digits, upper- or lowercase digits, "  name" or
// "*name" (the binary marker) after them, the escaped form, and a CR at the
// end (a manifest with CR LF line ends). Nothing for anything else.
std::optional<ManifestEntry> ParseManifestLine(std::string_view line);

// Writes the entries in order: the file is created (or emptied), written and
// closed, each step checked; a file whose write fails is removed again. Like the pieces, it is not synced here: an
// fsync would wait for every piece still in the page cache (ext4 writes the
// data of a transaction before its commit); a removable disk is synced as a
// whole before it may go.
IoStatus WriteManifest(const std::string& path, const std::vector<ManifestEntry>& entries);

// A manifest as read back.
//
// A line that is not a manifest line is skipped and counted, and the other
// lines keep their use: one damaged line then costs the check of one file,
// not of the whole set. Blank lines and lines starting with "#" are not
// counted. A name listed more than once counts with its first line; later
// lines for it are skipped and counted.
class Manifest {
public:
    // Fails only when the file cannot be opened or read.
    static IoStatus Read(const std::string& path, Manifest& manifest);

    // The hash listed for a file name; nothing when the name is not listed.
    std::optional<std::string> HashOf(std::string_view name) const;
    const std::vector<ManifestEntry>& Entries() const { return entries_; }
    int SkippedLines() const { return skipped_; }

    void AddLine(std::string_view line);

private:
    std::vector<ManifestEntry> entries_;
    std::unordered_map<std::string, size_t> byName_;
    int skipped_ = 0;
};

// The manifest that goes with a join-info file: the same folder, the
// join-info file's name without its last extension, then ".sha256"
// ("/media/usb/movie.000" gives "/media/usb/movie.sha256").
std::string ManifestPathFor(const std::string& joinInfoPath);
