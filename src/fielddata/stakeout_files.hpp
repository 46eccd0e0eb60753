// Files of stake-out points: the measured coordinates a total station recorded, and the design
// points sent to the instrument or to CAD. Five formats:
//   csv      name,X,Y[,H]            X north, Y east, metres
//   dat      name,code,Y,X,H         the survey office's convention: east (Y) BEFORE north (X)
//   gsi16    Leica GSI-16 blocks     word 11 name, 81 easting, 82 northing, 83 elevation
//   dxf      AutoCAD R12 drawing     a POINT on layer STAKE_POINT and its name as TEXT on
//                                    STAKE_NAME; drawing x is east, y north, z the elevation
//   landxml  LandXML 1.2 CgPoints    "northing easting [elevation]"
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fielddata/field_file.hpp"
#include "numeric/field_records.hpp"

namespace vardex {

enum class StakeoutFormat { Csv, Dat, Gsi16, Dxf, LandXml };
enum class FileEncoding { Utf8, Gbk };

/// "csv", "dat", "gsi16", "dxf", "landxml": the names the command line takes.
std::string_view StakeoutFormatName(StakeoutFormat format);
std::optional<StakeoutFormat> ParseStakeoutFormat(std::string_view name);
/// The usual file extension: ".csv", ".dat", ".gsi", ".dxf", ".xml".
std::string_view StakeoutFileExtension(StakeoutFormat format);

/// The format of a coordinate file: GSI, DXF and LandXML by their content, CSV and DAT (which
/// look alike) by the extension ".dat", else CSV. Throws FieldDataError for a file that is none.
StakeoutFormat DetectStakeoutFormat(const FieldFile& file);

/// The points of a coordinate file in file order, each with its line. Text encodings as
/// FieldTextLines reads them. A heading line of a CSV or DAT file is passed over, as are GSI blocks
/// without coordinates and DXF entities other than points and texts. Throws FieldDataError naming
/// the file and line for a line that cannot be read, and for a file without any point.
std::vector<SurveyedPoint> ReadSurveyedPoints(const FieldFile& file);

/// The points written in `format`. Text formats end lines with CR LF and are written in
/// `encoding` (DXF and GSI are ASCII whatever is asked: DXF spells other characters as \U+XXXX,
/// GSI cannot hold them). `stamp` is the date and time "YYYY-MM-DDThh:mm:ss" that LandXML
/// records. Throws FieldDataError naming `target` (the file to be written) for a name the format
/// cannot hold.
std::string WriteStakeoutFile(const std::vector<SurveyedPoint>& points, StakeoutFormat format,
                              FileEncoding encoding, std::string_view target,
                              std::string_view stamp);

}  // namespace vardex
