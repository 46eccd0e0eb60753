// The sheet "线路数据" of a project: the alignment typed as the design tables give it, read into
// an AlignmentInput with the cell of every value, and written back when an alignment is
// imported from LandXML.
#pragma once

#include "alignment/alignment_input.hpp"
#include "host/workbook.hpp"

namespace vardex {

/// Reads "线路数据": the horizontal alignment in A to G (name, X, Y, station, R, Ls1, Ls2) from
/// row 5 down to the first empty name, the grade points in I to K (station, elevation,
/// vertical curve radius), the cross slopes in M to O (station, left and right in percent) and
/// the station equations in Q and R (back, ahead), each down to its first empty station.
/// Stations are texts like "K1+240.000" or numbers of metres. Throws AlignmentError when the
/// sheet is missing (a project made before the sheet existed) or a cell holds something that is
/// not a number (or not a station) where one belongs, naming the file, sheet and cell. Nothing
/// is checked beyond the cells' contents: RoadAlignment::Build does that.
AlignmentInput ReadAlignmentSheet(const host::Workbook& book);

/// Puts `input` into "线路数据": its points, grade points and station equations replace those
/// tables; the cross slopes stay as they are, since LandXML brings none. Names and stations are
/// written as texts, the rest as numbers. Throws AlignmentError when the sheet is missing,
/// before anything is written.
void WriteAlignmentSheet(host::Workbook& book, const AlignmentInput& input);

}  // namespace vardex
