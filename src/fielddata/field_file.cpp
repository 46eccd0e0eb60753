// Loading field files and turning their bytes into lines of UTF-8.
#include "fielddata/field_file.hpp"

#include <algorithm>

#include "fielddata/fielddata_texts.hpp"
#include "host/file_bytes.hpp"
#include "host/path_text.hpp"
#include "host/sha256.hpp"
#include "host/text_codec.hpp"

namespace vardex {
namespace {

namespace texts = fielddata_texts;

constexpr uint64_t kMaxFieldFileBytes = uint64_t{256} << 20;
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

std::string Where(std::string_view file, int32_t line) {
  std::string out = "文件" + texts::Quoted(file);
  if (line > 0) out += "第 " + std::to_string(line) + " 行";
  return out;
}

// The raw lines: CR LF, LF and a lone CR each end a line; a line end at the very end of the
// file does not start another line.
std::vector<std::string_view> RawLines(std::string_view text) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\n' && text[i] != '\r') continue;
    lines.push_back(text.substr(start, i - start));
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

std::string_view TrimTrailingBlanks(std::string_view text) {
  const std::size_t end = text.find_last_not_of(" \t");
  return end == std::string_view::npos ? std::string_view() : text.substr(0, end + 1);
}

// Valid UTF-8 that is really GBK: Chinese text in GBK can form valid two-byte UTF-8 sequences
// ("水准" is CB AE D7 BC), of characters beyond Latin-1 that field files never hold, and then no
// three-byte sequence (Chinese in UTF-8) appears.
bool LooksLikeGbk(std::string_view bytes) {
  bool odd_two_byte = false;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const auto c = static_cast<unsigned char>(bytes[i]);
    if (c >= 0xE0) return false;
    if (c >= 0xC4 && c < 0xE0) odd_two_byte = true;  // a lead byte of U+0100 and above
  }
  return odd_two_byte && host::GbkToUtf8(bytes).has_value();
}

}  // namespace

FieldDataError::FieldDataError(std::string_view file, int32_t line, std::string_view detail,
                               int number)
    : host::HostError(number, Where(file, line) + "：" + std::string(detail)),
      file_(file),
      line_(line),
      detail_(detail) {}

FieldFile LoadFieldFile(const std::filesystem::path& path) {
  FieldFile file;
  file.Name = host::PathText(path.filename());
  try {
    file.Bytes = host::ReadFileBytes(path, kMaxFieldFileBytes);
  } catch (const host::HostError& e) {
    throw FieldDataError(file.Name, 0, e.what(), host::kErrCannotOpen);
  }
  return file;
}

std::string FieldFileDigest(const FieldFile& file) { return host::Sha256Hex(file.Bytes); }

std::vector<FieldLine> FieldTextLines(const FieldFile& file) {
  std::string_view bytes = file.Bytes;
  if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF")) {
    throw FieldDataError(file.Name, 1, texts::kUtf16);
  }
  if (bytes.starts_with(kUtf8Bom)) bytes.remove_prefix(kUtf8Bom.size());
  const std::vector<std::string_view> raw = RawLines(bytes);
  const bool utf8 = host::IsValidUtf8(bytes) && !LooksLikeGbk(bytes);
  std::vector<FieldLine> lines;
  lines.reserve(raw.size());
  for (std::size_t i = 0; i < raw.size(); ++i) {
    const auto number = static_cast<int32_t>(i + 1);
    const std::string_view line = TrimTrailingBlanks(raw[i]);
    if (line.find('\0') != std::string_view::npos) {
      throw FieldDataError(file.Name, number, texts::kBinary);
    }
    if (utf8) {
      lines.push_back({number, std::string(line)});
      continue;
    }
    std::optional<std::string> decoded = host::GbkToUtf8(line);
    if (!decoded) throw FieldDataError(file.Name, number, texts::kBadEncoding);
    lines.push_back({number, std::move(*decoded)});
  }
  return lines;
}

std::string_view TrimBlanks(std::string_view text) noexcept {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  const std::size_t last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

std::vector<std::string> SplitFields(std::string_view line, char separator) {
  std::vector<std::string> fields;
  std::string field;
  bool quoted = false;
  auto finish = [&fields, &field] {
    std::string_view trimmed = TrimBlanks(field);
    fields.emplace_back(trimmed);
    field.clear();
  };
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (c == '"') {
      // Inside quotes a doubled quote stands for one; separators are part of the field.
      if (quoted && i + 1 < line.size() && line[i + 1] == '"') {
        field += '"';
        ++i;
      } else {
        quoted = !quoted;
      }
    } else if (c == separator && !quoted) {
      finish();
    } else {
      field += c;
    }
  }
  finish();
  return fields;
}

std::size_t RecordWidth(std::string_view utf8) noexcept {
  std::size_t width = 0;
  for (const char c : utf8) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x80) {
      ++width;
    } else if ((byte & 0xC0) != 0x80) {
      width += 2;  // the lead byte of a multi-byte character
    }
  }
  return width;
}

}  // namespace vardex
