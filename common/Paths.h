#pragma once
// Path and shell helpers shared by both programs. The path routines are pure
// text operations that know one separator only.
#include <string>

class Shell;

// The one path separator of this platform.
inline constexpr char kPathSeparator = '/';

// The path with one separator at its end; unchanged when it already ends with one.
std::string WithBackslash(const std::string& path);
// The last component of a path: the text after its last separator, the whole
// text when it holds none.
std::string FileNameOf(const std::string& path);
// A file name up to, not including, its first dot ("archive.tar.gz" gives
// "archive", ".profile" gives the empty text).
std::string BaseNameOf(const std::string& name);

// The few things SelectAllText needs of a text box.
class TextBox {
public:
    virtual ~TextBox() = default;
    virtual std::string Text() const = 0;
    // Start and length count characters of the text.
    virtual void SetSelection(int start, int length) = 0;
};

// A text box whose text can also be set (the folder picker fills its box).
class WritableTextBox : public TextBox {
public:
    virtual void SetText(const std::string& text) = 0;
};

// Selects the box's whole text, so that typing replaces it.
void SelectAllText(TextBox& box);

// Opens the folder in the desktop's file manager; never reports a failure.
void OpenFolderWindow(const std::string& folder);
void OpenFolderWindow(const std::string& folder, Shell& shell);
