// Reading LandXML alignments into the intersection-point form.
#include "alignment/landxml.hpp"

#include <pugixml.hpp>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <fstream>
#include <numbers>
#include <optional>
#include <system_error>

#include "alignment/alignment_error.hpp"
#include "alignment/alignment_texts.hpp"
#include "alignment/horizontal.hpp"
#include "host/path_text.hpp"
#include "host/xml_util.hpp"
#include "numeric/portable_math.hpp"

namespace vardex {
namespace {

namespace t = alignment_text;
using host::detail::Attr;
using host::detail::Child;
using host::detail::LocalName;

constexpr double kPi = std::numbers::pi;
// Elements must join, and agree with the curve laid out through their intersection point,
// within this much, metres: exporters round coordinates, some to the millimetre.
constexpr double kJoin = 0.01;
// A LandXML file larger than this is not an alignment, bytes.
constexpr std::uintmax_t kLargestFile = std::uintmax_t{512} << 20;

struct Vec {
  double x = 0, y = 0;  // north, east
};
Vec operator-(Vec a, Vec b) { return {a.x - b.x, a.y - b.y}; }
double Cross(Vec a, Vec b) { return a.x * b.y - a.y * b.x; }
double Length(Vec v) { return Hypot(v.x, v.y); }
Vec Along(double azimuth) { return {Cos(azimuth), Sin(azimuth)}; }
double AzimuthOf(Vec from, Vec to) { return Atan2(to.y - from.y, to.x - from.x); }

std::optional<double> Number(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) {
    text.remove_prefix(1);
  }
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) {
    text.remove_suffix(1);
  }
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  double value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() ||
      !std::isfinite(value)) {
    return std::nullopt;
  }
  return value;
}

// Up to `count` numbers separated by blanks, as in "<Start>3412586.432 512907.815 0</Start>".
std::vector<double> Numbers(std::string_view text, std::size_t count, bool* ok) {
  std::vector<double> values;
  *ok = true;
  std::size_t at = 0;
  while (values.size() < count) {
    at = text.find_first_not_of(" \t\r\n", at);
    if (at == std::string_view::npos) break;
    const std::size_t end = std::min(text.find_first_of(" \t\r\n", at), text.size());
    const auto value = Number(text.substr(at, end - at));
    if (!value) {
      *ok = false;
      break;
    }
    values.push_back(*value);
    at = end;
  }
  return values;
}

enum class AngleUnit { Radians, Degrees, Grads, DegreesMinutesSeconds };

double ToRadians(double value, AngleUnit unit) {
  switch (unit) {
    case AngleUnit::Radians:
      return value;
    case AngleUnit::Degrees:
      return value * kPi / 180;
    case AngleUnit::Grads:
      return value * kPi / 200;
    case AngleUnit::DegreesMinutesSeconds: {
      // 45.3025 is 45°30′25″.
      const double degrees = std::trunc(value);
      const double rest = (value - degrees) * 100;
      const double minutes = std::trunc(rest + 1e-9);
      const double seconds = (rest - minutes) * 100;
      return (degrees + minutes / 60 + seconds / 3600) * kPi / 180;
    }
  }
  return value;
}

std::string ReadFileBytes(const std::filesystem::path& path, const std::string& name) {
  std::error_code error;
  if (std::filesystem::is_directory(path, error)) {
    throw AlignmentError(t::CannotRead(name, t::kIsFolder));
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    throw AlignmentError(t::CannotRead(
        name, std::filesystem::exists(path, error) ? t::kNotReadable : t::kNoSuchFile));
  }
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  if (!error && size > kLargestFile) throw AlignmentError(t::CannotRead(name, t::kTooLarge));
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) throw AlignmentError(t::CannotRead(name, t::kNotReadable));
  return bytes;
}

std::string FileName(const std::filesystem::path& path) { return host::PathText(path.filename()); }

// The parsed file with what its messages need: its name and where its lines start.
class Document {
 public:
  Document(std::string_view bytes, std::string_view file) : file_(file) {
    line_starts_.push_back(0);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
      if (bytes[i] == '\n') line_starts_.push_back(i + 1);
    }
    const pugi::xml_parse_result parsed = doc_.load_buffer(bytes.data(), bytes.size());
    if (!parsed) {
      throw AlignmentError(t::NotXml(
          file_, Line(static_cast<std::size_t>(std::max<std::ptrdiff_t>(parsed.offset, 0))),
          parsed.description()));
    }
    root_ = doc_.document_element();
    if (LocalName(root_.name()) != "LandXML") {
      throw AlignmentError(t::NotLandXml(file_, root_.name()));
    }
  }

  pugi::xml_node Root() const { return root_; }
  const std::string& File() const { return file_; }

  std::string Place(pugi::xml_node node) const {
    return t::ElementPlace(file_, Line(static_cast<std::size_t>(node.offset_debug())),
                           LocalName(node.name()));
  }
  [[noreturn]] void Fail(pugi::xml_node node, std::string_view what) const {
    throw AlignmentError(t::At(Place(node), what));
  }

  // An attribute's number, or empty when it is absent.
  std::optional<double> OptionalNumber(pugi::xml_node node, std::string_view name) const {
    const pugi::xml_attribute attribute = Attr(node, name);
    if (!attribute) return std::nullopt;
    if (const auto value = Number(attribute.value())) return value;
    Fail(node, t::NotANumber(std::string(name) + " 属性", attribute.value()));
  }
  double RequiredNumber(pugi::xml_node node, std::string_view name) const {
    if (const auto value = OptionalNumber(node, name)) return *value;
    Fail(node, t::Missing(std::string(name) + " 属性"));
  }
  // A child point "northing easting [elevation]".
  std::optional<Vec> OptionalPoint(pugi::xml_node node, std::string_view child) const {
    const pugi::xml_node point = Child(node, child);
    if (!point) return std::nullopt;
    if (Attr(point, "pntRef")) Fail(point, t::kPointReference);
    bool ok = false;
    const std::vector<double> values = Numbers(point.child_value(), 2, &ok);
    if (!ok || values.size() < 2) {
      Fail(point, t::NotANumber("<" + std::string(child) + ">", point.child_value()));
    }
    return Vec{values[0], values[1]};
  }
  Vec RequiredPoint(pugi::xml_node node, std::string_view child) const {
    if (const auto point = OptionalPoint(node, child)) return *point;
    Fail(node, t::Missing("<" + std::string(child) + ">"));
  }

 private:
  std::size_t Line(std::size_t offset) const {
    return static_cast<std::size_t>(
        std::upper_bound(line_starts_.begin(), line_starts_.end(), offset) - line_starts_.begin());
  }

  pugi::xml_document doc_;
  pugi::xml_node root_;
  std::string file_;
  std::vector<std::size_t> line_starts_;
};

struct Element {
  enum class Kind { Line, Curve, Spiral } kind = Kind::Line;
  pugi::xml_node node;
  Vec start, end;
  std::optional<Vec> pi, centre;
  double length = 0;
  double radius = 0;                         // the circle's, or a spiral's finite end's
  bool from_straight = false;                // spiral: infinite radius at its start
  int rotation = 0;                          // +1 clockwise, -1 counter-clockwise, 0 not given
  std::optional<double> dir_start, dir_end;  // azimuths, radians
};

bool Infinite(std::string_view text, const std::optional<double>& value) {
  std::string lower(text);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  // Some programs write 0 for the straight end of a spiral.
  return lower == "inf" || lower == "infinity" || (value && *value <= 0);
}

AngleUnit AngleUnitOf(const Document& doc) {
  const pugi::xml_node units = Child(doc.Root(), "Units");
  if (!units) return AngleUnit::Radians;
  if (const pugi::xml_node imperial = Child(units, "Imperial")) {
    doc.Fail(imperial, t::UnsupportedUnits(Attr(imperial, "linearUnit").value()));
  }
  const pugi::xml_node metric = Child(units, "Metric");
  if (!metric) return AngleUnit::Radians;
  const std::string_view linear = Attr(metric, "linearUnit").value();
  if (!linear.empty() && linear != "meter") doc.Fail(metric, t::UnsupportedUnits(linear));
  const std::string_view angular = Attr(metric, "angularUnit").value();
  if (angular.empty() || angular == "radians") return AngleUnit::Radians;
  if (angular == "decimal degrees") return AngleUnit::Degrees;
  if (angular == "grads") return AngleUnit::Grads;
  if (angular == "decimal dd.mm.ss") return AngleUnit::DegreesMinutesSeconds;
  doc.Fail(metric, t::UnsupportedAngles(angular));
}

Element ReadElement(const Document& doc, pugi::xml_node node, AngleUnit unit) {
  Element e;
  e.node = node;
  const std::string_view name = LocalName(node.name());
  auto direction = [&](std::string_view attribute) -> std::optional<double> {
    if (const auto value = doc.OptionalNumber(node, attribute)) return ToRadians(*value, unit);
    return std::nullopt;
  };
  const std::string_view rot = Attr(node, "rot").value();
  e.rotation = rot == "cw" ? 1 : rot == "ccw" ? -1 : 0;
  e.start = doc.RequiredPoint(node, "Start");
  e.end = doc.RequiredPoint(node, "End");
  e.pi = doc.OptionalPoint(node, "PI");
  if (name == "Line") {
    e.kind = Element::Kind::Line;
    e.dir_start = e.dir_end = direction("dir");
  } else if (name == "Curve") {
    e.kind = Element::Kind::Curve;
    e.centre = doc.RequiredPoint(node, "Center");
    e.radius = doc.OptionalNumber(node, "radius").value_or(Length(e.start - *e.centre));
    if (e.rotation == 0) {
      if (!e.pi) doc.Fail(node, t::Missing("rot 属性"));
      e.rotation = Cross(*e.pi - e.start, e.end - *e.pi) > 0 ? 1 : -1;
    }
    e.dir_start = direction("dirStart");
    e.dir_end = direction("dirEnd");
  } else if (name == "Spiral") {
    e.kind = Element::Kind::Spiral;
    const std::string_view type = Attr(node, "spiType").value();
    if (!type.empty() && type != "clothoid") doc.Fail(node, t::UnsupportedSpiral(type));
    e.length = doc.RequiredNumber(node, "length");
    const std::string_view start_text = Attr(node, "radiusStart").value();
    const std::string_view end_text = Attr(node, "radiusEnd").value();
    if (start_text.empty()) doc.Fail(node, t::Missing("radiusStart 属性"));
    if (end_text.empty()) doc.Fail(node, t::Missing("radiusEnd 属性"));
    const auto start_radius = Number(start_text);
    const auto end_radius = Number(end_text);
    const bool start_infinite = Infinite(start_text, start_radius);
    const bool end_infinite = Infinite(end_text, end_radius);
    if (!start_infinite && !start_radius)
      doc.Fail(node, t::NotANumber("radiusStart 属性", start_text));
    if (!end_infinite && !end_radius) doc.Fail(node, t::NotANumber("radiusEnd 属性", end_text));
    if (start_infinite == end_infinite) doc.Fail(node, t::kSpiralBetweenCurves);
    e.from_straight = start_infinite;
    e.radius = start_infinite ? *end_radius : *start_radius;
    e.dir_start = direction("dirStart");
    e.dir_end = direction("dirEnd");
  } else {
    doc.Fail(node, t::UnsupportedElement(name));
  }
  return e;
}

// The tangent's azimuth where a run of curve elements leaves the straight before it...
double StartAzimuth(const Document& doc, const Element& e, const Element* before) {
  if (e.kind == Element::Kind::Curve) {
    const Vec v = *e.centre - e.start;
    return e.rotation > 0 ? Atan2(-v.x, v.y) : Atan2(v.x, -v.y);
  }
  if (e.pi) return AzimuthOf(e.start, *e.pi);
  if (e.dir_start) return *e.dir_start;
  if (before != nullptr && before->kind == Element::Kind::Line) {
    return AzimuthOf(before->start, before->end);
  }
  doc.Fail(e.node, t::Missing("<PI>"));
}

// ... and where it joins the straight after it.
double EndAzimuth(const Document& doc, const Element& e, const Element* after) {
  if (e.kind == Element::Kind::Curve) {
    const Vec v = *e.centre - e.end;
    return e.rotation > 0 ? Atan2(-v.x, v.y) : Atan2(v.x, -v.y);
  }
  if (e.pi) return AzimuthOf(*e.pi, e.end);
  if (e.dir_end) return *e.dir_end;
  if (after != nullptr && after->kind == Element::Kind::Line) {
    return AzimuthOf(after->start, after->end);
  }
  doc.Fail(e.node, t::Missing("<PI>"));
}

// One intersection point: the run of elements [first, last] and the point laid out from it.
struct Run {
  std::size_t first = 0, last = 0;
  bool spiral_in = false, spiral_out = false;
};

pugi::xml_node ChooseAlignment(const Document& doc, std::string_view name) {
  for (pugi::xml_node list : doc.Root().children()) {
    if (LocalName(list.name()) != "Alignments") continue;
    for (pugi::xml_node alignment : list.children()) {
      if (LocalName(alignment.name()) != "Alignment") continue;
      if (name.empty() || name == Attr(alignment, "name").value()) return alignment;
    }
  }
  throw AlignmentError(name.empty() ? t::NoAlignment(doc.File())
                                    : t::NoSuchAlignment(doc.File(), name));
}

std::vector<Element> ReadCoordGeom(const Document& doc, pugi::xml_node alignment, AngleUnit unit) {
  const pugi::xml_node geometry = Child(alignment, "CoordGeom");
  if (!geometry) doc.Fail(alignment, t::Missing("<CoordGeom>"));
  std::vector<Element> elements;
  for (pugi::xml_node node : geometry.children()) {
    if (node.type() != pugi::node_element) continue;
    if (LocalName(node.name()) == "Feature") continue;  // program-specific extras
    elements.push_back(ReadElement(doc, node, unit));
    if (elements.size() > 1) {
      const double gap = Length(elements.back().start - elements[elements.size() - 2].end);
      if (gap > kJoin) doc.Fail(node, t::NotJoined(gap));
    }
  }
  if (elements.empty()) doc.Fail(geometry, t::Missing("Line、Curve 或 Spiral 元素"));
  return elements;
}

void ReadHorizontal(const Document& doc, const std::vector<Element>& elements,
                    AlignmentInput& input, std::vector<Run>& runs) {
  AlignmentPoint start;
  start.Name = std::string(t::kStartName);
  start.X = elements.front().start.x;
  start.Y = elements.front().start.y;
  const std::string first_place = doc.Place(elements.front().node);
  start.Where = {first_place, first_place, first_place, input.Place,
                 first_place, first_place, first_place};
  input.Points.push_back(start);

  for (std::size_t i = 0; i < elements.size();) {
    if (elements[i].kind == Element::Kind::Line) {
      ++i;
      continue;
    }
    Run run;
    run.first = i;
    std::size_t j = i;
    if (elements[j].kind == Element::Kind::Spiral) {
      if (!elements[j].from_straight) doc.Fail(elements[j].node, t::kSpiralWithoutCurve);
      run.spiral_in = true;
      ++j;
    }
    if (j >= elements.size() || elements[j].kind != Element::Kind::Curve) {
      doc.Fail(elements[std::min(j, elements.size() - 1)].node, t::kSpiralWithoutCurve);
    }
    const Element& curve = elements[j];
    ++j;
    if (j < elements.size() && elements[j].kind == Element::Kind::Spiral) {
      if (elements[j].from_straight) doc.Fail(elements[j].node, t::kSpiralWithoutCurve);
      run.spiral_out = true;
      ++j;
    }
    run.last = j - 1;
    const Element& first = elements[run.first];
    const Element& last = elements[run.last];
    for (const Element* spiral :
         {run.spiral_in ? &first : nullptr, run.spiral_out ? &last : nullptr}) {
      if (spiral != nullptr && std::fabs(spiral->radius - curve.radius) > 1e-3 * curve.radius) {
        doc.Fail(spiral->node, t::RadiusMismatch(spiral->radius, curve.radius));
      }
    }

    const Vec in =
        Along(StartAzimuth(doc, first, run.first > 0 ? &elements[run.first - 1] : nullptr));
    const Vec out = Along(EndAzimuth(doc, last, j < elements.size() ? &elements[j] : nullptr));
    const double turn = Cross(in, out);
    if (std::fabs(turn) < 1e-9) doc.Fail(curve.node, t::kParallelTangents);
    const Vec chord = last.end - first.start;
    const double tangent_in = Cross(chord, out) / turn;
    const double tangent_out = Cross(in, chord) / turn;
    if (tangent_in <= 0 || tangent_out <= 0) doc.Fail(curve.node, t::kTurnTooLarge);
    if ((turn > 0 ? 1 : -1) != curve.rotation) doc.Fail(curve.node, t::kRotationMismatch);

    AlignmentPoint point;
    point.Name = std::string(t::kIntersectionPrefix) + std::to_string(runs.size() + 1);
    point.X = first.start.x + tangent_in * in.x;
    point.Y = first.start.y + tangent_in * in.y;
    point.Radius = curve.radius;
    point.SpiralIn = run.spiral_in ? first.length : 0.0;
    point.SpiralOut = run.spiral_out ? last.length : 0.0;
    const std::string place = doc.Place(curve.node);
    point.Where = {place, place, place, place, place, doc.Place(first.node), doc.Place(last.node)};
    input.Points.push_back(point);
    runs.push_back(run);
    i = j;
  }

  AlignmentPoint end;
  end.Name = std::string(t::kEndName);
  end.X = elements.back().end.x;
  end.Y = elements.back().end.y;
  const std::string last_place = doc.Place(elements.back().node);
  end.Where = {last_place, last_place, last_place, last_place, last_place, last_place, last_place};
  input.Points.push_back(end);
}

// Every run must be the curve that the intersection-point form lays out through its point.
void CheckRuns(const Document& doc, const std::vector<Element>& elements,
               const std::vector<Run>& runs, const HorizontalAlignment& layout) {
  for (std::size_t k = 0; k < runs.size(); ++k) {
    const Run& run = runs[k];
    const CurveElements& curve = layout.Curves()[k];
    auto check = [&](const Element& element, std::string_view label, double distance, Vec at) {
      const CentrePoint laid_out = layout.At(distance);
      const double gap = Hypot(laid_out.X - at.x, laid_out.Y - at.y);
      if (gap > kJoin) doc.Fail(element.node, t::ShapeMismatch(label, gap));
    };
    const Element& first = elements[run.first];
    const Element& last = elements[run.last];
    check(first, run.spiral_in ? "ZH" : "ZY", curve.AtZH, first.start);
    if (run.spiral_in) check(first, "HY", curve.AtHY, first.end);
    if (run.spiral_out) check(last, "YH", curve.AtYH, last.start);
    check(last, run.spiral_out ? "HZ" : "YZ", curve.AtHZ, last.end);
  }
  // Straights carry no intersection point: two of them meeting at an angle are not part of the
  // alignment laid out.
  for (const Element& element : elements) {
    if (element.kind != Element::Kind::Line) continue;
    for (const Vec end : {element.start, element.end}) {
      const std::optional<CentreFoot> foot = layout.Foot(end.x, end.y);
      if (!foot || std::fabs(foot->Offset) > kJoin) doc.Fail(element.node, t::kOffTheCurves);
    }
  }
}

void ReadEquations(const Document& doc, pugi::xml_node alignment, AlignmentInput& input) {
  for (pugi::xml_node node : alignment.children()) {
    if (LocalName(node.name()) != "StaEquation") continue;
    EquationRow row;
    row.Value = {doc.RequiredNumber(node, "staBack"), doc.RequiredNumber(node, "staAhead")};
    const std::string place = doc.Place(node);
    row.Where = {place, place};
    input.Equations.push_back(row);
  }
}

void ReadProfile(const Document& doc, pugi::xml_node alignment, double start_station,
                 const Chainage& chainage, AlignmentInput& input) {
  const pugi::xml_node profile = Child(alignment, "Profile");
  const pugi::xml_node vertical = profile ? Child(profile, "ProfAlign") : pugi::xml_node();
  if (!vertical) return;
  struct Grade {
    double distance, elevation, curve;
    std::string place;
  };
  std::vector<Grade> grades;
  for (pugi::xml_node node : vertical.children()) {
    if (node.type() != pugi::node_element) continue;
    const std::string_view name = LocalName(node.name());
    if (name == "Feature") continue;
    if (name != "PVI" && name != "ParaCurve") doc.Fail(node, t::UnsupportedProfileElement(name));
    bool ok = false;
    const std::vector<double> values = Numbers(node.child_value(), 2, &ok);
    if (!ok || values.size() < 2) doc.Fail(node, t::kProfileValue);
    const double curve = name == "ParaCurve" ? doc.RequiredNumber(node, "length") : 0.0;
    grades.push_back({values[0] - start_station, values[1], curve, doc.Place(node)});
  }
  for (std::size_t k = 0; k < grades.size(); ++k) {
    GradePoint grade;
    const double d = grades[k].distance;
    // Off the line the station stays a plain continuation, for the check to report.
    grade.Station = d >= 0 && d <= chainage.Length() ? chainage.StationAt(d) : start_station + d;
    grade.Elevation = grades[k].elevation;
    if (grades[k].curve > 0 && k > 0 && k + 1 < grades.size()) {
      auto grade_of = [&](std::size_t a) {
        return (grades[a + 1].elevation - grades[a].elevation) /
               (grades[a + 1].distance - grades[a].distance);
      };
      const double change = std::fabs(grade_of(k) - grade_of(k - 1));
      grade.Radius = change > 1e-12 ? grades[k].curve / change : 0.0;
    } else if (grades[k].curve > 0) {
      grade.Radius = grades[k].curve;  // a curve on an end grade point, for the check to report
    }
    grade.Where = {grades[k].place, grades[k].place, grades[k].place};
    input.Grades.push_back(grade);
  }
}

}  // namespace

std::vector<std::string> ParseLandXmlAlignmentNames(std::string_view bytes,
                                                    std::string_view file_name) {
  const Document doc(bytes, file_name);
  std::vector<std::string> names;
  for (pugi::xml_node list : doc.Root().children()) {
    if (LocalName(list.name()) != "Alignments") continue;
    for (pugi::xml_node alignment : list.children()) {
      if (LocalName(alignment.name()) == "Alignment")
        names.emplace_back(Attr(alignment, "name").value());
    }
  }
  return names;
}

AlignmentInput ParseLandXml(std::string_view bytes, std::string_view file_name,
                            std::string_view name) {
  const Document doc(bytes, file_name);
  const AngleUnit unit = AngleUnitOf(doc);
  const pugi::xml_node alignment = ChooseAlignment(doc, name);

  AlignmentInput input;
  input.Name = Attr(alignment, "name").value();
  input.Place = doc.Place(alignment);
  const std::vector<Element> elements = ReadCoordGeom(doc, alignment, unit);
  std::vector<Run> runs;
  ReadHorizontal(doc, elements, input, runs);
  const double start_station = doc.OptionalNumber(alignment, "staStart").value_or(0.0);
  input.Points.front().Station = start_station;
  ReadEquations(doc, alignment, input);

  const HorizontalAlignment layout = HorizontalAlignment::Build(input.Points, input.Place);
  CheckRuns(doc, elements, runs, layout);
  std::vector<StationEquation> equations;
  for (const EquationRow& row : input.Equations) equations.push_back(row.Value);
  ReadProfile(doc, alignment, start_station, Chainage(start_station, layout.Length(), equations),
              input);
  return input;
}

std::vector<std::string> LandXmlAlignmentNames(const std::filesystem::path& file) {
  const std::string name = FileName(file);
  return ParseLandXmlAlignmentNames(ReadFileBytes(file, name), name);
}

AlignmentInput ReadLandXml(const std::filesystem::path& file, std::string_view name) {
  const std::string file_name = FileName(file);
  return ParseLandXml(ReadFileBytes(file, file_name), file_name, name);
}

}  // namespace vardex
