// LandXML 1.2 alignments, the exchange format of road-design programs, read into the
// intersection-point form of "线路数据": Line, Curve and clothoid Spiral elements of CoordGeom
// become the start point, intersection points with their radii and transition lengths and the
// end point; Profile/ProfAlign (PVI, ParaCurve) the grade points; StaEquation the station
// equations.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "alignment/alignment_input.hpp"

namespace vardex {

/// The names of the file's alignments in file order (an alignment without a name as "").
/// Throws AlignmentError as ReadLandXml for a file that cannot be read or is not LandXML.
std::vector<std::string> LandXmlAlignmentNames(const std::filesystem::path& file);

/// Reads the alignment named `name` of a LandXML file, or the first when `name` is empty.
/// Geometry comes from the elements' coordinates (Start, End, PI, Center, "northing easting"):
/// each run of elements between straights, an optional clothoid from a straight, a circular
/// curve and an optional clothoid back to a straight, becomes one intersection point where the
/// run's outer tangents meet. `dir` attributes, where present, are azimuths clockwise from
/// north in the file's angular unit; they stand in for a missing PI. The start point gets the
/// alignment's staStart. Grade point stations are read as the file gives them, along the
/// centre line from its start without the station equations, and turned into stations.
///
/// Throws AlignmentError naming the file and the element with its line for a file that cannot
/// be read or is not XML or not LandXML, no such alignment, units other than metres, elements
/// other than Line, Curve and clothoid Spiral (a spiral between two circles, a spiral of another
/// type, a curve turning by 180° or more, a circular vertical curve), missing values, elements
/// that do not join, and a run whose elements do not match the intersection-point curve through
/// them within 1 cm.
AlignmentInput ReadLandXml(const std::filesystem::path& file, std::string_view name = {});

/// As ReadLandXml, from the file's bytes; `file_name` names the file in messages.
AlignmentInput ParseLandXml(std::string_view bytes, std::string_view file_name,
                            std::string_view name = {});
std::vector<std::string> ParseLandXmlAlignmentNames(std::string_view bytes,
                                                    std::string_view file_name);

}  // namespace vardex
