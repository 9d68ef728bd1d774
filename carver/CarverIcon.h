#pragma once
// The program's icon: a sheet cut into numbered pieces, the knife on the last
// cut. The pictures are the PNGs installed for the desktop, built into the
// program so the window shows the same icon wherever it runs from.
#include <QIcon>

QIcon CarverIcon();
