// Number formats through the public functions: rounding, General, sections, dates and times,
// the angle code of the stake-out tables, unreadable codes, colours and concurrent use.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <thread>
#include <vector>

#include "host/host_error.hpp"
#include "host/number_format.hpp"
#include "support/expect_error.hpp"

namespace vardex::host {
namespace {

struct Case {
  double value;
  const char* code;
  const char* expected;
};

void ExpectCells(const std::vector<Case>& cases, const FormatOptions& options = {}) {
  for (const Case& c : cases) {
    EXPECT_EQ(FormatNumber(c.value, c.code, options), c.expected)
        << "value " << c.value << " code " << c.code;
  }
}

// The angle text of the stake-out tables: degrees / 24 under the code, an hour standing for a
// degree. Each spelling the template may carry must give the same text.
TEST(NumberFormat, AngleCodeInEverySpelling) {
  const char* const codes[] = {"[h]°mm′ss.00″", "[h]\"°\"mm\"′\"ss.00\"″\"", "[h]\\°mm\\′ss.00\\″"};
  const struct {
    double degrees;
    const char* text;
  } table[] = {
      {0, "0°00′00.00″"},
      {0.5, "0°30′00.00″"},
      {45.2625, "45°15′45.00″"},
      {90, "90°00′00.00″"},
      {123.5, "123°30′00.00″"},
      {359.9999, "359°59′59.64″"},
      {359.999999999, "360°00′00.00″"},  // seconds round to 60.00 and carry into the degree
      {44.99999999999996, "45°00′00.00″"},
      {53.13010235415598, "53°07′48.37″"},
      {59.995 / 3600, "0°01′00.00″"},  // 59.995″ carries into the minute
      {0.005 / 3600, "0°00′00.01″"},
      {10.99999999, "11°00′00.00″"},  // 0.000036″ short: the carry runs twice
      {10.5 + 59.994 / 3600, "10°30′59.99″"},
      {720.5, "720°30′00.00″"},  // no wrap at 24 hours or 360 degrees
      {-45, "-45°00′00.00″"},
  };
  for (const char* code : codes) {
    for (const auto& row : table) {
      EXPECT_EQ(WorksheetText(row.degrees / 24.0, code), row.text)
          << row.degrees << " degrees, code " << code;
    }
  }
}

// The rows the two oracle tables do not have (NumberFormatOracle checks those): the last binade
// and exponent carries, placeholders and scaling, General at its edges, conditions on General,
// fractions that round up to a whole, dates at the ends of the calendar and in the 1904 system.
TEST(NumberFormat, CasesBeyondTheOracleTables) {
  ExpectCells({
      {-1.005, "0.00", "-1.01"},       // binary -1.00499999999999989...
      {999.96, "##0.0E+0", "1.0E+3"},  // the carry moves the exponent
      {5, "0,000", "0,005"},
      {0.99, "#.0000,", ".0010"},
      {12.5, ".00", "12.50"},  // integer digits without placeholders still show
      {-0.0, "", "0"},
      {99999999999.5, "General", "1E+11"},  // rounding adds a twelfth digit
      {1.234567e-5, "General", "1.23457E-05"},
      {-5, "0;General", "-5"},
      {-26, "[<-25]General;[>25]General;General", "26"},
      {-1, "[<-25]General;[>25]General;General", "-1"},
      {0.97, "# ?/?", "1    "},  // the fraction rounds up to a whole
      {45000, "ddd d-mmm-yy mmmmm", "Wed 15-Mar-23 M"},
      {1, "dddd m/d/yyyy", "Sunday 1/1/1900"},
      {2958465, "yyyy-mm-dd", "9999-12-31"},
      {0, "h:mm am/pm", "12:00 AM"},
      {0.5, "A/P", "P"},
      {0.70707, "hh.000", "16.848"},
      {-1e-9, "[h]:mm:ss", "0:00:00"},
      {-1, "yyyy-mm-dd", "########"},
      {2958466, "yyyy-mm-dd", "########"},
  });
  FormatOptions from1904;
  from1904.date1904 = true;
  ExpectCells({{0, "yyyy-mm-dd dddd", "1904-01-01 Friday"}, {45000, "yyyy-mm-dd", "2027-03-16"}},
              from1904);
}

TEST(NumberFormat, TextCells) {
  const struct {
    const char* text;
    const char* code;
    const char* expected;
  } cases[] = {
      {"foo", "[Red]General;[Blue]General;[Green]General;[Yellow]General'", "foo'"},
      {"中文", "@\" m\"", "中文 m"},
      {"abc", "\"unterminated", "abc"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FormatTextValue(c.text, c.code), c.expected) << c.text << " under " << c.code;
  }
}

TEST(NumberFormat, UnreadableCodesShowGeneralInCellsAndFailInText) {
  const char* const codes[] = {"0.00\"", "[Red", "0;0;0;0;0", "[>abc]0", "HH[M]", "0\\"};
  for (const char* code : codes) {
    EXPECT_EQ(FormatNumber(-12.3, code), "-12.3") << code;
    EXPECT_HOST_ERROR(WorksheetText(-12.3, code), kErrCannotOpen, code);
  }
}

TEST(NumberFormat, ValuesOutsideWhatTextCanShow) {
  const double infinity = std::numeric_limits<double>::infinity();
  EXPECT_EQ(FormatNumber(infinity, "0.00"), "#NUM!");
  EXPECT_EQ(FormatNumber(std::nan(""), "General"), "#NUM!");
  EXPECT_THROW(WorksheetText(infinity, "0"), HostError);
  EXPECT_THROW(WorksheetText(-1, "yyyy-mm-dd"), HostError);
  EXPECT_EQ(WorksheetText(-1, "[h]:mm"), "-24:00");
}

TEST(NumberFormat, SectionColours) {
  EXPECT_EQ(NumberFormatColor(-1, "[Red]0.00;[Blue]-0.00"), 0x0000FFu);
  EXPECT_EQ(NumberFormatColor(1, "[Red]0.00;[Blue]-0.00"), 0xFF0000u);
  EXPECT_EQ(NumberFormatColor(1, "[color10]0"), 0x008000u);
  EXPECT_EQ(NumberFormatColor(30, "[Red][<-25]0;[Blue][>25]0;[Green]0"), 0x0000FFu);
  EXPECT_EQ(NumberFormatColor(1, "0.00"), std::nullopt);
  EXPECT_EQ(NumberFormatColor(1, "General"), std::nullopt);
}

TEST(NumberFormat, BuiltinFormats) {
  const struct {
    uint32_t id;
    double value;
    const char* expected;
  } cases[] = {
      {0, 1234567890000, "1.23457E+12"},
      {3, 1234567890000, "1,234,567,890,000"},
      {10, 0.12345, "12.35%"},
      {11, 12345, "1.23E+04"},
      {13, 0.3333, "  1/3 "},
      {14, 45000, "3/15/2023"},
      {22, 45000.5, "3/15/2023 12:00"},
      {37, -1234, "(1,234)"},
      {44, 0, " $-   "},
      {46, 1.5, "36:00:00"},
      {47, 0.0006, "0051.8"},
      {48, 123456, "123.5E+3"},
      {49, 0.5, "0.5"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FormatNumber(c.value, BuiltinNumberFormat(c.id)), c.expected) << "id " << c.id;
  }
  EXPECT_TRUE(BuiltinNumberFormat(23).empty());
  EXPECT_TRUE(BuiltinNumberFormat(50).empty());
}

// The command-line tool renders several workbooks at once: the shared cache of compiled codes
// must give every thread the same texts as a single thread gets.
TEST(NumberFormat, ConcurrentUseGivesTheSameTexts) {
  std::vector<std::string> codes;
  for (int decimals = 0; decimals < 40; ++decimals) {
    codes.push_back("0." + std::string(static_cast<std::size_t>(decimals % 12), '0') + "\"" +
                    std::to_string(decimals) + "\"");
  }
  codes.push_back("[h]°mm′ss.00″");
  codes.push_back("yyyy-mm-dd hh:mm:ss");
  auto renderAll = [&codes] {
    std::string all;
    for (int i = 0; i < 200; ++i) {
      for (const std::string& code : codes) all += FormatNumber(i * 1.37 - 50.0, code) + '\n';
    }
    return all;
  };
  const std::string expected = renderAll();
  std::vector<std::string> results(4);
  std::vector<std::thread> threads;
  for (std::string& result : results) {
    threads.emplace_back([&result, &renderAll] { result = renderAll(); });
  }
  for (std::thread& thread : threads) thread.join();
  for (const std::string& result : results) EXPECT_EQ(result, expected);
}

}  // namespace
}  // namespace vardex::host
