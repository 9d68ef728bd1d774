#include "JoinBatch.h"

#include "BatchText.h"
#include "FileTimeCopy.h"
#include "SplitSet.h"

namespace modCarver {

IoStatus WriteJoinBatch(SplitterWindow& window, const std::string& destinationFolder,
                        const std::string& sourcePath, int32_t pieceCount)
{
    const SplitSetNames names = SplitSetNamesFor(sourcePath, destinationFolder);
    JoinBatchText text;
    if (IoStatus s = ComposeJoinBatch(names.sourceName, pieceCount, text); !s) return s;

    const std::string path = names.BatchPath();
    if (FileExists(path)) IgnoreResult(DeleteFile(path));
    TextFileWriter file(text.utf8 ? TextEncoding::Utf8 : TextEncoding::Cp932);
    if (IoStatus s = file.Create(path); !s) return s;
    for (const std::string& line : text.lines) IgnoreResult(file.WriteLine(line));
    IgnoreResult(file.Close());

    if (window.SetDateChecked()) ApplyFileTimes(path);
    return IoStatus::Success();
}

}  // namespace modCarver
