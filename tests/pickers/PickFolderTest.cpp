// The folder picker over a fake browser: the start folder it opens with and
// what each way of leaving the browser does to the box.
#include <gtest/gtest.h>

#include "FakeDialogs.h"
#include "GetBrowse.h"
#include "PickFolder.h"

namespace {

TEST(PickFolder, OpensAtTheBoxsFolderAndWritesTheChoiceBack)
{
    FakeFolderBrowser browser;
    browser.folders = {"/data", "/data/sub"};
    browser.outcome = FakeFolderBrowser::Outcome::Folder;
    browser.chosenFolder = "/data/sub";
    FakeTextBox box("/data/");
    PickFolder(browser, box);

    EXPECT_EQ(browser.shows, 1);
    EXPECT_EQ(browser.title, "ﾌｫﾙﾀﾞを選択して下さい");
    EXPECT_EQ(browser.flags, 0u);
    EXPECT_EQ(browser.data, "/data");
    EXPECT_EQ(browser.openedAt, "/data");
    EXPECT_EQ(browser.selectionRequests, std::vector<std::string>{"/data"}) << "only once initialised";
    EXPECT_EQ(browser.callbackResults, (std::vector<int32_t>{0, 0}));
    EXPECT_EQ(box.Text(), "/data/sub/");
}

TEST(PickFolder, StartFolders)
{
    struct Case {
        const char* box;
        const char* openedAt;
    };
    const Case cases[] = {
        {"", FakeFolderBrowser::kDefaultSelection},
        {"/missing/", FakeFolderBrowser::kDefaultSelection},
        {"/data", "/data"},
        {"/data//", FakeFolderBrowser::kDefaultSelection},  // only one separator is dropped
        {"/", "/"},                                          // the root keeps its separator
        {"/データ/動画ﾌｧｲﾙ/", "/データ/動画ﾌｧｲﾙ"},           // selected whole
    };
    for (const Case& c : cases) {
        FakeFolderBrowser browser;
        browser.folders = {"/", "/data", "/データ/動画ﾌｧｲﾙ"};
        FakeTextBox box(c.box);
        PickFolder(browser, box);
        EXPECT_EQ(browser.openedAt, c.openedAt) << "box: " << c.box;
    }
}

TEST(PickFolder, ResultCases)
{
    struct Case {
        FakeFolderBrowser::Outcome outcome;
        const char* chosen;
        const char* before;
        const char* after;
    };
    using O = FakeFolderBrowser::Outcome;
    const Case cases[] = {
        {O::Folder, "/", "/data/", "/"},                    // no second separator
        {O::Folder, "/media/usb", "", "/media/usb/"},
        {O::Folder, "/media/usb", "/missing", "/media/usb/"},
        {O::Cancel, "", "  /data/  ", "  /data/  "},      // untouched, untrimmed
        {O::ItemWithoutPath, "", "/data/", "/data/"},
        {O::Folder, "", "/data/", "/data/"},               // an empty path counts as none
    };
    for (const Case& c : cases) {
        FakeFolderBrowser browser;
        browser.outcome = c.outcome;
        browser.chosenFolder = c.chosen;
        FakeTextBox box(c.before);
        PickFolder(browser, box);
        EXPECT_EQ(box.Text(), c.after) << "chosen: " << c.chosen;
        if (std::string(c.before) == c.after) {
            EXPECT_EQ(box.writes, 0);
        }
    }
}

TEST(GetBrowse, BrowseForFolderResults)
{
    FakeFolderBrowser browser;
    browser.outcome = FakeFolderBrowser::Outcome::Folder;
    browser.chosenFolder = "/home/user";
    EXPECT_EQ(modGetBrowse::BrowseForFolder("/data/", browser, "title"), "/home/user");
    EXPECT_EQ(browser.title, "title");
    browser.outcome = FakeFolderBrowser::Outcome::ItemWithoutPath;
    EXPECT_EQ(modGetBrowse::BrowseForFolder("/data/", browser, "title"), "");
    browser.outcome = FakeFolderBrowser::Outcome::Cancel;
    EXPECT_EQ(modGetBrowse::BrowseForFolder("/data/", browser, "title"), "");
}

class RecordingWindow : public BrowserWindow {
public:
    void SetSelection(const std::string& path) override { selections.push_back(path); }
    std::vector<std::string> selections;
};

TEST(GetBrowse, TheCallbackSelectsOnlyOnInitialisation)
{
    RecordingWindow window;
    const char* start = "/データ";
    EXPECT_EQ(modGetBrowse::BrowseCallback(window, BFFM_SELCHANGED, 0, start), 0);
    EXPECT_EQ(modGetBrowse::BrowseCallback(window, 99, 0, start), 0);
    EXPECT_TRUE(window.selections.empty());
    EXPECT_EQ(modGetBrowse::BrowseCallback(window, BFFM_INITIALIZED, 0, start), 0);
    EXPECT_EQ(window.selections, std::vector<std::string>{"/データ"});
    EXPECT_EQ(modGetBrowse::BrowseCallback(window, BFFM_INITIALIZED, 0, nullptr), 0);
    EXPECT_EQ(window.selections.back(), "");

    EXPECT_EQ(modGetBrowse::StringFromAnsiPointer(nullptr), "");
    EXPECT_EQ(modGetBrowse::StringFromAnsiPointer("動画ﾌｧｲﾙ"), "動画ﾌｧｲﾙ");
}

}  // namespace
