// Numbers in a saved sheet: the shortest text that reads back as exactly the same double, in the
// form std::to_chars gives (fixed, or exponent where that is shorter).
#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "host/workbook.hpp"
#include "support/package.hpp"

namespace vardex::host {
namespace {

std::string Shortest(double v) {
  char buf[64];
  return std::string(buf, std::to_chars(buf, buf + sizeof buf, v).ptr);
}

// The <v> texts of the first sheet's cells, in order.
std::vector<std::string> SavedValues(Workbook& book) {
  const std::string xml = test::PackagePart(test::SavedBytes(book), "xl/worksheets/sheet1.xml");
  std::vector<std::string> out;
  for (std::size_t at = xml.find("<v>"); at != std::string::npos; at = xml.find("<v>", at)) {
    const std::size_t end = xml.find("</v>", at);
    out.push_back(xml.substr(at + 3, end - at - 3));
    at = end;
  }
  return out;
}

TEST(NumberOutput, ShortestExactTextLikeToChars) {
  std::vector<double> values = {
      // Survey values: coordinates, elevations, readings, day fractions of azimuths.
      3425498.78, 521386.226, 33280.021, 1.6639766066538526, 100.25, -0.004, 2, -1,
      // Where the fixed and exponent forms trade places, and ties (fixed wins).
      3500000, 35000000, 1e15, 999999999999999, 0.001, 0.0001, 0.00012, 1e-5, 1.5e-5, 0.1, 0.3, 0.7,
      1.0 / 3, 2.0 / 3, 1e-7, 123456.7890123,
      // Around 2^49 and 2^53, where decimal steps come close to the doubles' spacing.
      562949953421311.5, 562949953421312.0, 562949953421313.0, 9007199254740991.0,
      281474976710655.75, 140737488355327.875, 0.1 + 0.2, 1e14 + 0.5, 4503599627370495.5,
      // Decimal fractions that are not what they look like.
      1.005, 2.675, 1.0000000000000002, 0.30000000000000004, 123.45600000000002};
  std::mt19937_64 random(20240501);
  std::uniform_real_distribution<double> coordinate(-4e6, 4e6);
  std::uniform_int_distribution<int> decimals(0, 12);
  std::uniform_int_distribution<int> exponent(-12, 16);
  for (int i = 0; i < 20000; ++i) {
    // Values rounded to a few decimals as the tables hold them, and values of any magnitude.
    const double scale = std::pow(10.0, decimals(random));
    values.push_back(std::round(coordinate(random) * scale) / scale);
    values.push_back(coordinate(random) * std::pow(10.0, exponent(random)));
  }
  Workbook book;
  Worksheet& sheet = book.SheetAt(0);
  for (std::size_t i = 0; i < values.size(); ++i)
    sheet.SetValue({static_cast<int32_t>(i / 10 + 1), static_cast<int32_t>(i % 10 + 1)}, values[i]);
  const std::vector<std::string> saved = SavedValues(book);
  ASSERT_EQ(saved.size(), values.size());
  int wrong = 0;
  for (std::size_t i = 0; i < values.size() && wrong < 10; ++i) {
    const std::string expected = Shortest(values[i]);
    if (saved[i] != expected) {
      ++wrong;
      ADD_FAILURE() << "value " << expected << " written as " << saved[i];
    }
  }
}

}  // namespace
}  // namespace vardex::host
