#pragma once
// What the start-up asks of the file system about names: the short form of a
// path and the stored name of an entry.
#include <optional>
#include <string>

class Names {
public:
    virtual ~Names() = default;

    // The separator of the paths this layer answers for.
    virtual char Separator() const = 0;

    // The short form of an existing path (every component in its short form;
    // a component without one keeps its name); nothing when the path names
    // nothing that exists.
    virtual std::optional<std::string> ShortPathName(const std::string& path) = 0;

    // Directory search over normal, read-only, hidden and system files and
    // folders: the name, as stored, of the entry the path's last component
    // names. The empty text when the folder exists but holds no such entry;
    // nothing when the search cannot be made (the folder or the drive does not
    // exist or cannot be read).
    virtual std::optional<std::string> StoredEntryName(const std::string& path) = 0;
};

Names& SystemNames();
