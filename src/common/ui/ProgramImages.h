#pragma once

#include <QIcon>

namespace rinoza {

// The program's nine small images, by their index: 0..3 the tab icons (search, rename, date and
// time, attributes), 4 delete, 5 recycle bin, 6 open folder, 7 up arrow, 8 down arrow.
// The images are compiled into the executable; where they are absent (widget tests) the icon is null.
enum ProgramImage { ImgTabFind, ImgTabRename, ImgTabTime, ImgTabAttr, ImgDelete, ImgRecycleBin, ImgOpenFolder,
                    ImgArrowUp, ImgArrowDown, ProgramImageCount };

QIcon programImage(ProgramImage which);

} // namespace rinoza
