#pragma once
// The text of a join batch file. A source name goes into a command-shell
// script, so whatever the shell would act on is escaped: "^", "&", "|", "<"
// and ">" get a caret in the echo line, names that hold a separator or an
// operator are quoted in the copy line, and "%" is doubled everywhere. A name
// without such characters is written exactly as it is.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "Files.h"

namespace modCarver {

struct JoinBatchText {
    std::vector<std::string> lines;  // UTF-8 texts, without line ends
    bool utf8 = false;               // written in UTF-8 (a name CP932 cannot hold)
};

// The lines of the batch file that joins pieceCount pieces of sourceName.
// A copy line that would pass the shell's 8,191 characters is cut into a
// first line with as many pieces as fit and lines that append the next pieces
// to the rebuilt file, each followed by "if errorlevel 1 exit /b 1".
// Fails for a name that no line of a script can carry safely: a control
// character (a line break in it would start a command of its own) or a
// double quote (it would end the quotes around the name early). No Windows
// file has either.
IoStatus ComposeJoinBatch(const std::string& sourceName, int32_t pieceCount, JoinBatchText& text);

// A name as echo prints it.
std::string EchoEscaped(std::string_view name);
// A name as one argument of copy.
std::string CopyArgument(std::string_view name);
// Whether the name holds a character no line of a batch file can carry safely.
bool BatchCannotCarry(std::string_view name);

}  // namespace modCarver
