// The tool bar's pictures: white glyphs on a light-blue disc, drawn at any size.
#pragma once

#include <QPixmap>

namespace vardex {

enum class ToolPicture {
  NewProject,    ///< a sheet of paper with a plus sign
  Calculate,     ///< a triangle pointing right, as on a play key
  Save,          ///< a floppy disk
  ProjectFiles,  ///< a sheet with text lines
  Settings,      ///< a gear wheel
};

/// `picture` drawn `size` by `size` pixels, transparent outside the disc.
QPixmap toolPicture(ToolPicture picture, int size);

}  // namespace vardex
