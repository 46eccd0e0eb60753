// Recognising the files people mistake for .xlsx workbooks. An OLE compound file (the container
// of .xls files and of password-protected workbooks) is told apart by the names in its
// directory: entries are 128 bytes each and sectors are multiples of 512 bytes, so every entry
// starts at a multiple of 128 and the names can be read without following the sector chains.
#include "host/file_kind.hpp"

#include <algorithm>
#include <vector>

#include "host/engine_text.hpp"
#include "host/xml_scanner.hpp"
#include "host/xml_util.hpp"

namespace vardex::host::detail {
namespace {

constexpr std::string_view kOleSignature = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";

unsigned Le16(std::string_view s, std::size_t at) {
  return static_cast<unsigned char>(s[at]) |
         (static_cast<unsigned>(static_cast<unsigned char>(s[at + 1])) << 8);
}

// The ASCII names of the storages and streams in an OLE compound file's directory.
std::vector<std::string> OleNames(std::string_view bytes) {
  std::vector<std::string> names;
  for (std::size_t at = 512; at + 128 <= bytes.size(); at += 128) {
    const unsigned length = Le16(bytes, at + 64);  // in bytes, with the terminating zero
    const auto type = static_cast<unsigned char>(bytes[at + 66]);
    if (length < 4 || length > 64 || length % 2 != 0 || (type != 1 && type != 2 && type != 5))
      continue;
    std::string name;
    for (unsigned i = 0; i + 2 < length; i += 2) {
      const unsigned unit = Le16(bytes, at + i);
      if (unit < 0x20 || unit > 0x7E) {
        name.clear();
        break;
      }
      name += static_cast<char>(unit);
    }
    if (!name.empty() && Le16(bytes, at + length - 2) == 0) names.push_back(std::move(name));
  }
  return names;
}

}  // namespace

bool IsOleFile(std::string_view bytes) noexcept { return bytes.starts_with(kOleSignature); }

std::string NotPackageReason(std::string_view bytes) {
  if (bytes.empty()) return std::string(text::kEmptyFile);
  if (IsOleFile(bytes)) {
    const std::vector<std::string> names = OleNames(bytes);
    // Names in the directory compare without regard to case.
    auto has = [&](std::string_view n) {
      return std::any_of(names.begin(), names.end(), [&](const std::string& name) {
        return LowerAscii(name) == LowerAscii(n);
      });
    };
    if (has("EncryptionInfo") || has("EncryptedPackage"))
      return std::string(text::kPasswordProtected);
    if (has("Workbook") || has("Book")) return std::string(text::kLegacyXls);
    return std::string(text::kOleFile);
  }
  if (bytes.starts_with("%PDF")) return std::string(text::kPdfFile);
  // Text: skip a byte-order mark and leading space to see how it begins.
  std::string_view head = bytes.substr(0, 4096);
  if (head.starts_with("\xEF\xBB\xBF")) head.remove_prefix(3);
  while (!head.empty() && IsSpace(head.front())) head.remove_prefix(1);
  const std::string start = LowerAscii(head.substr(0, 16));
  if (start.starts_with("<!doctype html") || start.starts_with("<html"))
    return std::string(text::kHtmlFile);
  if (head.starts_with("<?xml") || head.starts_with("<"))
    return std::string(bytes.substr(0, 65536).find(
                           "urn:schemas-microsoft-com:office:spreadsheet") != std::string_view::npos
                           ? text::kXmlSpreadsheet
                           : text::kXmlFile);
  const bool text_like =
      IsValidUtf8(head.substr(0, head.size() - std::min<std::size_t>(head.size(), 3))) &&
      std::none_of(head.begin(), head.end(), [](char c) {
        const auto u = static_cast<unsigned char>(c);
        return u < 0x20 && c != '\t' && c != '\r' && c != '\n';
      });
  return std::string(text_like ? text::kTextFile : text::kUnknownFormat);
}

std::string OtherPackageReason(std::string_view mimetype) {
  if (mimetype.starts_with("application/vnd.oasis.opendocument.spreadsheet"))
    return std::string(text::kOpenDocument);
  if (mimetype.starts_with("application/vnd.oasis.opendocument"))
    return std::string(text::kOtherOpenDocument);
  return {};
}

}  // namespace vardex::host::detail
