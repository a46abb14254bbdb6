// The program's icon, the same drawing the desktop menu shows (desktop/icons/).
#pragma once

#include <QIcon>

namespace pel {

// Built from the PNG sizes compiled into the program, so it needs no icon theme.
QIcon programIcon();

}  // namespace pel
