#include "Paths.h"

#include "CodePage.h"
#include "Shell.h"

std::string WithBackslash(const std::string& path)
{
    if (!path.empty() && path.back() == kPathSeparator) return path;
    return path + kPathSeparator;
}

std::string FileNameOf(const std::string& path)
{
    // Byte search is safe: in UTF-8 the separator never occurs inside a character.
    const size_t last = path.rfind(kPathSeparator);
    return last == std::string::npos ? path : path.substr(last + 1);
}

std::string BaseNameOf(const std::string& name)
{
    const std::string file = FileNameOf(name);
    return file.substr(0, file.find('.'));
}

void SelectAllText(TextBox& box)
{
    box.SetSelection(0, static_cast<int>(CharacterCount(box.Text())));
}

void OpenFolderWindow(const std::string& folder, Shell& shell) { shell.OpenFolder(folder); }

void OpenFolderWindow(const std::string& folder) { OpenFolderWindow(folder, SystemShell()); }
