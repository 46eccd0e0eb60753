// Stations as texts, the chainage across station equations, where the stationing comes from,
// the profile and the cross slopes.
#include <gtest/gtest.h>

#include <cmath>
#include <optional>

#include "alignment/alignment_error.hpp"
#include "alignment/road_alignment.hpp"
#include "alignment/station.hpp"
#include "alignment_builders.hpp"

namespace vardex {
namespace {

using test::Grade;
using test::Point;
using test::Road;

TEST(StationText, WritesKilometresAndPaddedMetres) {
  const struct {
    double station;
    int decimals;
    const char* text;
  } cases[] = {{1240, 3, "K1+240.000"},           {23389.92, 4, "K23+389.9200"},
               {1239.9996, 3, "K1+240.000"},      {7.25, 3, "K0+007.250"},
               {-10, 3, "-K0+010.000"},           {-0.0001, 3, "K0+000.000"},
               {999999.9999, 3, "K1000+000.000"}, {0, 0, "K0+000"}};
  for (const auto& c : cases) EXPECT_EQ(StationText(c.station, c.decimals), c.text) << c.station;
  EXPECT_EQ(StationName(1240), "K1+240");
  EXPECT_EQ(StationName(1245.5), "K1+245.5");
  EXPECT_EQ(StationName(7.25), "K0+007.25");
  EXPECT_EQ(FixedText(-0.00001, 4), "0.0000");
  EXPECT_EQ(FixedText(-12.5, 4), "-12.5000");
  EXPECT_EQ(FixedText(343.302762345, 8), "343.30276235");
}

TEST(StationText, ReadsTheDesignsFormsAndPlainMetres) {
  const struct {
    const char* text;
    std::optional<double> station;
  } cases[] = {{"K1+240", 1240}, {" k1+240.5 ", 1240.5}, {"DK12+003.25", 12003.25},
               {"1+003", 1003},  {"1240.5", 1240.5},     {"-10", -10},
               {"K0+000", 0},    {"K1+1000", {}},        {"K1+", {}},
               {"K+100", {}},    {"K1+2e2", {}},         {"abc", {}},
               {"", {}},         {"K1-240", {}},         {"K1+-5", {}},
               {"K1+240m", {}},  {"1,240", {}}};
  for (const auto& c : cases) EXPECT_EQ(ParseStation(c.text), c.station) << c.text;
}

TEST(Chainage, MapsDistancesAcrossShortAndLongChains) {
  // K1+000 to 1 km on: a short chain K1+300 = K1+310, then a long one K1+600 = K1+580.
  const Chainage chainage(1000, 1000, {{1300, 1310}, {1600, 1580}});
  EXPECT_DOUBLE_EQ(chainage.StationAt(0), 1000);
  EXPECT_DOUBLE_EQ(chainage.StationAt(299.9), 1299.9);
  EXPECT_DOUBLE_EQ(chainage.StationAt(300), 1310);  // the ahead station at the equation
  EXPECT_DOUBLE_EQ(chainage.StationAt(1000), 1990);
  EXPECT_DOUBLE_EQ(chainage.EndStation(), 1990);
  const struct {
    double station;
    std::optional<double> first, last;
  } cases[] = {{1000, 0, 0},       {1300, 300, 300}, {1305, {}, {}},
               {1310, 300, 300},   {1590, 580, 600}, {1600, 590, 610},
               {1990, 1000, 1000}, {999, {}, {}},    {1995, {}, {}}};
  for (const auto& c : cases) {
    EXPECT_EQ(chainage.DistanceAt(c.station), c.first) << c.station;
    EXPECT_EQ(chainage.LastDistanceAt(c.station), c.last) << c.station;
  }
}

AlignmentInput ThreeCurves() {
  return Road({Point("BP", 3412500, 512800), Point("JD1", 3412900, 513050, 400, 80, 60),
               Point("JD2", 3413150, 513520, 500), Point("JD3", 3413560, 513640, 250, 70, 70),
               Point("EP", 3413700, 514050)},
              7000);
}

TEST(Stationing, ComesFromTheFirstStationGivenAndChecksTheOthers) {
  AlignmentInput input = ThreeCurves();
  const RoadAlignment from_start = RoadAlignment::Build(input);
  const double jd2 = from_start.Stations().StationAt(from_start.Horizontal().PointDistances()[2]);

  // Anchored on JD2 alone, the start comes out as K7+000 again.
  input.Points[0].Station.reset();
  input.Points[2].Station = jd2;
  EXPECT_NEAR(RoadAlignment::Build(input).Stations().StartStation(), 7000, 1e-9);

  // A later station off by more than a centimetre is a typing error in the design table.
  input.Points[0].Station = 7000;
  input.Points[2].Station = jd2 + 0.02;
  try {
    RoadAlignment::Build(input);
    FAIL() << "no error";
  } catch (const AlignmentError& error) {
    EXPECT_NE(std::string(error.what()).find("第JD2行：点“JD2”的桩号"), std::string::npos)
        << error.what();
  }
  input.Points[2].Station = jd2 + 0.004;
  EXPECT_NO_THROW(RoadAlignment::Build(input));

  // No station anywhere; equations without one on the start point.
  input.Points[0].Station.reset();
  input.Points[2].Station.reset();
  EXPECT_THROW(RoadAlignment::Build(input), AlignmentError);
  input.Points[2].Station = jd2;
  input.Equations.push_back({{7680, 7690}, {"Q5", "R5"}});
  EXPECT_THROW(RoadAlignment::Build(input), AlignmentError);
}

TEST(Stationing, StationsOffTheLineOrInAGapAreRefused) {
  AlignmentInput input = ThreeCurves();
  input.Equations.push_back({{7680, 7690}, {"Q5", "R5"}});
  const RoadAlignment road = RoadAlignment::Build(input);
  EXPECT_THROW(road.AtStation(6999.9, 0), AlignmentRequestError);
  EXPECT_THROW(road.AtStation(7685, 0), AlignmentRequestError);
  EXPECT_THROW(road.AtStation(road.Stations().EndStation() + 0.01, 0), AlignmentRequestError);
  EXPECT_NEAR(road.AtStation(7690, 0).Distance, 680, 1e-9);
  EXPECT_NEAR(road.AtStation(7700, 0).Distance, 690, 1e-9);
}

TEST(Profile, VerticalCurvesMeetTheGradesTangentiallyAndMissThePointByTheExternal) {
  AlignmentInput input = ThreeCurves();
  // +2.2 %, then -1.5 % over a crest curve R 4000, then +1.8 % over a sag curve R 6000.
  input.Grades = {Grade(7000, 215.4), Grade(7460, 225.52, 4000), Grade(8200, 214.42, 6000),
                  Grade(8800, 225.22)};
  const RoadAlignment road = RoadAlignment::Build(input);
  const Profile& profile = road.VerticalProfile();
  auto height = [&](double station) {
    return *profile.ElevationAt(*road.Stations().DistanceAt(station));
  };
  const struct {
    double station, radius, grade_in, grade_out, elevation;
  } curves[] = {{7460, 4000, 0.022, -0.015, 225.52}, {8200, 6000, -0.015, 0.018, 214.42}};
  for (const auto& c : curves) {
    const double tangent = c.radius * std::fabs(c.grade_out - c.grade_in) / 2;
    const double external = tangent * tangent / (2 * c.radius);
    const double bulge = c.grade_out > c.grade_in ? external : -external;
    EXPECT_NEAR(height(c.station), c.elevation + bulge, 1e-9) << c.station;
    for (const auto& [end, grade] : {std::pair{c.station - tangent, c.grade_in},
                                     std::pair{c.station + tangent, c.grade_out}}) {
      EXPECT_NEAR(height(end), c.elevation + grade * (end - c.station), 1e-9);
      EXPECT_NEAR((height(end + 1e-3) - height(end - 1e-3)) / 2e-3, grade, 1e-6);
    }
  }
  EXPECT_NEAR(height(7100), 215.4 + 2.2, 1e-9);
  EXPECT_FALSE(profile.ElevationAt(-1).has_value());

  // Cross slopes: −2 % unless listed, linear between listed stations.
  EXPECT_NEAR(*road.AtStation(7100, -7.5).Elevation, height(7100) - 0.15, 1e-9);
  input.Slopes = {{7300, -2, -2, {}}, {7400, 4, -4, {}}};
  const RoadAlignment superelevated = RoadAlignment::Build(input);
  EXPECT_NEAR(*superelevated.AtStation(7350, -10).Elevation, height(7350) + 10 * 0.01, 1e-9);
  EXPECT_NEAR(*superelevated.AtStation(7350, 10).Elevation, height(7350) - 10 * 0.03, 1e-9);
  EXPECT_NEAR(*superelevated.AtStation(7500, 10).Elevation, height(7500) - 10 * 0.04, 1e-9);
  EXPECT_NEAR(*superelevated.AtStation(7500, 0).Elevation, height(7500), 1e-9);
}

}  // namespace
}  // namespace vardex
