#pragma once
// A names layer with Windows paths and short 8.3 names: drives and shares are
// roots, every entry has a long name and may have a short one, and names match
// without regard to letter case.
#include <string>
#include <vector>

#include "Names.h"

class FakeShortNames : public Names {
public:
    // A drive ("C:") or a network share ("\\\\server\\share").
    void AddRoot(const std::string& root) { roots_.push_back(root); }
    // An entry by its full long path, and its short name when it has one.
    void AddEntry(const std::string& longPath, const std::string& shortName = {});

    char Separator() const override { return '\\'; }
    std::optional<std::string> ShortPathName(const std::string& path) override;
    std::optional<std::string> StoredEntryName(const std::string& path) override;

    std::vector<std::string> searches;  // paths given to StoredEntryName

private:
    struct Entry {
        std::string folder;  // long path of the folder that holds it
        std::string longName, shortName;
    };
    struct Resolved {
        std::string root;                    // as given
        std::vector<const Entry*> entries;   // one per component, in order
    };
    // The entries the path's components name; nothing when its root or any
    // component does not exist.
    std::optional<Resolved> Resolve(const std::string& path) const;
    const Entry* Find(const std::string& folder, const std::string& name) const;

    std::vector<std::string> roots_;
    std::vector<Entry> entries_;
};
