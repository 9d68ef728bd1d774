#pragma once
// Texts both programs show. The questions whose answers a terminal may give
// by itself (-y, --force) are shared by the engines that ask them and the
// terminal that recognises them in the user's language. Placeholders as
// Translation.h fills them.
#include "Translation.h"

// Carver: the piece count before a split; {1} the range of piece names.
inline constexpr const char* kPieceCountQuestion = N_("分割数は {1} の {2:wide} です");
// The disk questions of both programs; the first disk of a split is written
// without the space.
inline constexpr const char* kFirstDiskQuestion = N_("１枚目のﾃﾞｨｽｸをｾｯﾄして下さい");
inline constexpr const char* kDiskQuestion = N_("{1:wide} 枚目のﾃﾞｨｽｸをｾｯﾄして下さい");
// Mender: the confirmation before a join, and finishing an interrupted one.
inline constexpr const char* kJoinQuestion = N_("ﾌｧｲﾙの連結を行います");
inline constexpr const char* kResumeQuestion = N_("「{1}」は {2:wide} 番まで連結済みです　続きを連結しますか");
// What only --force agrees to: replacing a file, joining a piece of another size.
inline constexpr const char* kSplitOverwriteQuestion = N_("分割先に「{1}」があります　上書きしますか");
inline constexpr const char* kJoinOverwriteQuestion = N_("「{1}」は既に存在します　上書きしますか");
inline constexpr const char* kPieceSizeQuestion = N_("「{1}」の大きさが他の分割ﾌｧｲﾙと違います　連結を続けますか");

// The status text while a piece is copied: the bytes left of it.
inline constexpr const char* kBytesLeft = N_("残り {1}");
