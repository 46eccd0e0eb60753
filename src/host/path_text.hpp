// Paths as UTF-8 text and back, the same on every system. std::filesystem::path::string() and the
// path(std::string) constructor use the ANSI code page on Windows, which garbles or refuses
// Chinese names; messages and command lines are UTF-8 everywhere in Vardex.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace vardex::host {

inline std::string PathText(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

inline std::filesystem::path PathFromText(std::string_view utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

}  // namespace vardex::host
