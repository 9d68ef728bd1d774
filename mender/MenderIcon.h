#pragma once
// The program's icon, drawn here rather than loaded: a sheet whose two halves
// are stitched together along a seam.
#include <QIcon>

QIcon MenderIcon();
