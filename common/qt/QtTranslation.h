#pragma once
// The windows' side of the translation: texts as QStrings, and Qt's own texts
// (the file dialog's buttons and the like) in the language the programs show.
#include <QString>

#include "Translation.h"

// Tr for a window's text.
inline QString TrQ(const char* id) { return QString::fromUtf8(Tr(id)); }

// StartTranslation, then Qt's catalog of the language shown (Japanese in a
// C/POSIX locale too), from Qt's translations folder. After QApplication.
void StartQtTranslation();
