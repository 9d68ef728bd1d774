#pragma once
// The joiner's module: the join engine and its two helpers.
#include <string>

#include "Drives.h"
#include "JoinerWindow.h"
#include "UiServices.h"

namespace modMender {

// Set by the window's Cancel button while a join runs; cleared by JoinFiles at
// its start and tested after each written block.
extern bool CancelRequested;

// Rebuilds the file described by the join-info file into destinationFolder,
// with every question, the progress display and the failure message. Hands
// back nothing: the window looks the same after it whatever happened.
void JoinFiles(JoinerWindow& window, UiServices& ui, const std::string& joinInfoPath,
               const std::string& destinationFolder, Drives& drives = SystemDrives());

// As JoinFiles, with the rebuilt file written to the descriptor `output`
// (standard output) instead of into a folder: no file there to ask about,
// resume or sync. The caller keeps deletion off.
void JoinToOutput(JoinerWindow& window, UiServices& ui, const std::string& joinInfoPath, int output,
                  Drives& drives = SystemDrives());

// The folder part of a path, without a trailing separator; the current
// directory when the path holds no separator.
std::string FolderOf(const std::string& path);

// Shows line 2 of the chosen join-info file (the rebuilt file's name) in
// txtAfterFileName; empties it when the file cannot be read. For a first
// piece "NAME.001" it shows NAME, the file such a numbered set rebuilds.
void LoadAfterFileName(JoinerWindow& window);

// The name of the file the join of this join-info file (or first piece)
// writes, found as the join finds it; empty when it names none.
std::string RebuiltFileNameOf(const std::string& path);

}  // namespace modMender
