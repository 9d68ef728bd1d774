#pragma once
// The platform's open and save dialogs as the file dialog wrapper drives them.
// One object belongs to one owner window: the dialogs it shows are modal over
// that window. The wrapper fills a record, the dialog fills in the chosen file.
#include <cstdint>
#include <string>

// The record handed to the open and save dialogs.
struct FileDialogRecord {
    // Description and pattern texts, each ended by a NUL ("Text\0*.txt\0");
    // the list ends where an empty text would start.
    std::string filter;
    int16_t filterIndex = 0;  // 1-based number of the pair selected at opening
    // In: the proposed file name. Out: the chosen path (a multiple selection
    // would hold the folder and the names separated by NULs).
    std::string file;
    // Characters the file buffer holds, its terminating NUL included: a chosen
    // path must be shorter than this.
    int32_t fileBufferSize = 0;
    // Out: the chosen file's name without its folder, at most
    // fileTitleBufferSize - 1 characters.
    std::string fileTitle;
    int32_t fileTitleBufferSize = 0;
    std::string initialDir;
    std::string title;
    uint32_t flags = 0;
    std::string defaultExt;  // added to a name typed without an extension
};

// Flags of the record.
inline constexpr uint32_t OFN_OVERWRITEPROMPT = 0x2;
inline constexpr uint32_t OFN_HIDEREADONLY = 0x4;
inline constexpr uint32_t OFN_PATHMUSTEXIST = 0x800;
inline constexpr uint32_t OFN_FILEMUSTEXIST = 0x1000;
inline constexpr uint32_t OFN_LONGNAMES = 0x200000;

// Extended error codes a dialog reports after returning false.
inline constexpr uint32_t DialogClosedWithoutChoice = 0;  // Cancel or the window's close box
inline constexpr uint32_t DialogCannotInitialize = 0x2;
inline constexpr uint32_t DialogFileNameBufferTooSmall = 0x3003;

class FileDialog {
public:
    virtual ~FileDialog() = default;
    // Show the dialog modally; true when the user chose a file, which the
    // record then holds.
    virtual bool GetOpenFileName(FileDialogRecord& record) = 0;
    virtual bool GetSaveFileName(FileDialogRecord& record) = 0;
    // Why the last call returned false.
    virtual uint32_t CommDlgExtendedError() = 0;
};
