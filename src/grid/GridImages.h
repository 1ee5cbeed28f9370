#pragma once

#include <QPixmap>

// One of the grid's images by its resource name: "UP", "DOWN" (8 x 7),
// "CHECKED", "UNCHECKED", "COMBOBOX", "ELLIPSIS" (16 x 16).
QPixmap gridImage(const char *name);
