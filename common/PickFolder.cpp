#include "PickFolder.h"

#include "GetBrowse.h"
#include "Paths.h"
#include "Translation.h"

void PickFolder(FolderBrowser& owner, WritableTextBox& box)
{
    const std::string chosen = modGetBrowse::BrowseForFolder(box.Text(), owner, Tr("ﾌｫﾙﾀﾞを選択して下さい"));
    if (chosen.empty()) return;
    box.SetText(WithBackslash(chosen));
}
