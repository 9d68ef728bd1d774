#pragma once
// The magnifying glass of the two browse buttons: the desktop theme's search
// icon, or one drawn here when the theme has none.
#include <QIcon>

QIcon BrowseIcon();
