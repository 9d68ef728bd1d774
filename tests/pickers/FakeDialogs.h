#pragma once
// Fakes of the file dialog, the folder browser and a writable text box. Each
// records what it was shown with and acts as the user is scripted to.
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "FileDialog.h"
#include "FolderBrowser.h"
#include "Paths.h"

class FakeFileDialog : public FileDialog {
public:
    // The user chooses this path (with this title) or, when none is set, the
    // dialog returns false with errorCode (0: Cancel).
    std::optional<std::string> chosenFile;
    std::string chosenTitle;
    uint32_t errorCode = 0;

    std::vector<FileDialogRecord> opened, saved;  // records as they were handed over

    bool GetOpenFileName(FileDialogRecord& record) override
    {
        opened.push_back(record);
        return Answer(record);
    }
    bool GetSaveFileName(FileDialogRecord& record) override
    {
        saved.push_back(record);
        return Answer(record);
    }
    uint32_t CommDlgExtendedError() override { return lastError_; }

private:
    bool Answer(FileDialogRecord& record)
    {
        if (!chosenFile) {
            lastError_ = errorCode;
            return false;
        }
        record.file = *chosenFile;
        record.fileTitle = chosenTitle;
        return true;
    }
    uint32_t lastError_ = 0xFFFF;
};

class FakeFolderBrowser : public FolderBrowser, private BrowserWindow {
public:
    // Folders the browser can select; anything else keeps its default selection.
    std::set<std::string> folders;
    static constexpr const char* kDefaultSelection = "(desktop)";

    // What the user confirms: a folder, an item without a path, or nothing (Cancel).
    enum class Outcome { Cancel, Folder, ItemWithoutPath } outcome = Outcome::Cancel;
    std::string chosenFolder;

    // Seen while the browser was open.
    int shows = 0;
    std::string title;
    uint32_t flags = 0xFFFFFFFF;
    std::string data;                      // the callback data as text
    std::vector<std::string> selectionRequests;
    std::vector<int32_t> callbackResults;
    std::string openedAt;                  // the selection once initialised

    std::optional<BrowsedItem> Browse(const BrowseInfo& info) override
    {
        ++shows;
        title = info.title;
        flags = info.flags;
        data = info.data == nullptr ? "(none)" : info.data;
        selection_ = kDefaultSelection;
        if (info.callback != nullptr) {
            callbackResults.push_back(info.callback(*this, BFFM_INITIALIZED, 0, info.data));
            openedAt = selection_;
            // The user moving around in the browser must not move it back.
            callbackResults.push_back(info.callback(*this, BFFM_SELCHANGED, 0, info.data));
        }
        switch (outcome) {
        case Outcome::Cancel: return std::nullopt;
        case Outcome::Folder: return BrowsedItem{chosenFolder};
        case Outcome::ItemWithoutPath: return BrowsedItem{std::nullopt};
        }
        return std::nullopt;
    }

private:
    void SetSelection(const std::string& path) override
    {
        selectionRequests.push_back(path);
        if (folders.count(path) != 0) selection_ = path;
    }
    std::string selection_;
};

class FakeTextBox : public WritableTextBox {
public:
    explicit FakeTextBox(std::string text) : text_(std::move(text)) {}
    std::string Text() const override { return text_; }
    void SetSelection(int, int) override {}
    void SetText(const std::string& text) override
    {
        text_ = text;
        ++writes;
    }
    int writes = 0;

private:
    std::string text_;
};
