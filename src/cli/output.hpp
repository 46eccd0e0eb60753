// Lines on the terminal: the commands' reports and the indentation of multi-line messages.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace vardex::cli {

inline void PrintLine(std::FILE* stream, const std::string& line) {
  std::fputs(line.c_str(), stream);
  std::fputc('\n', stream);
}

/// Message-box texts break lines with CR LF or LF; on a terminal each further line is indented so
/// that it reads as part of the message above it.
inline std::string Indented(std::string_view text) {
  std::string out;
  for (char c : text) {
    if (c == '\r') continue;
    out += c;
    if (c == '\n') out += "  ";
  }
  return out;
}

}  // namespace vardex::cli
