// The program's icon, drawn in code at 16, 32 and 48 pixels: two overlapping
// sheets of paper under a magnifying glass. The same pictures are shipped as
// PNG files for the desktop entry.
#pragma once

#include <QIcon>
#include <QImage>

namespace vrx {

QImage DrawProgramIcon(int size);
QIcon ProgramIcon();

}  // namespace vrx
