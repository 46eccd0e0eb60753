// The curve table's texts.
#include "alignment/curve_table.hpp"

#include "alignment/alignment_texts.hpp"

namespace vardex {

CurveTable MakeCurveTable(const RoadAlignment& road) {
  namespace t = alignment_text;
  CurveTable table;
  for (const std::string_view heading : t::kCurveTableHeadings)
    table.Headings.emplace_back(heading);
  const Chainage& stations = road.Stations();
  auto station = [&](double distance) { return StationText(stations.StationAt(distance), 3); };
  for (const CurveElements& c : road.Horizontal().Curves()) {
    const std::string none(t::kNone);
    table.Rows.push_back(
        {c.Name, station(c.AtIntersection),
         std::string(c.Deflection > 0 ? t::kRight : t::kLeft) + " " + t::Angle(c.Deflection),
         FixedText(c.Radius, 3), FixedText(c.SpiralIn, 3), FixedText(c.SpiralOut, 3),
         FixedText(c.TangentIn, 3), FixedText(c.TangentOut, 3), FixedText(c.Length, 3),
         FixedText(c.External, 3), FixedText(c.Correction, 3), station(c.AtZH),
         c.SpiralIn > 0 ? station(c.AtHY) : none, station(c.AtQZ),
         c.SpiralOut > 0 ? station(c.AtYH) : none, station(c.AtHZ)});
  }
  return table;
}

}  // namespace vardex
