// DXF drawings and LandXML point lists of stake-out points. Internal to src/fielddata.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "fielddata/field_file.hpp"
#include "numeric/field_records.hpp"

namespace vardex::detail {

bool LooksLikeDxf(std::string_view first_line) noexcept;
bool LooksLikeXml(std::string_view first_line) noexcept;

std::vector<SurveyedPoint> ReadDxfPoints(const FieldFile& file,
                                         const std::vector<FieldLine>& lines);
std::string WriteDxfPoints(const std::vector<SurveyedPoint>& points);

std::vector<SurveyedPoint> ReadLandXmlPoints(const FieldFile& file);
std::string WriteLandXmlPoints(const std::vector<SurveyedPoint>& points, std::string_view stamp);

}  // namespace vardex::detail
