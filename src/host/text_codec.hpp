// The two text encodings that field files from instruments and office PCs come in: UTF-8 (with or
// without a byte order mark) and the Chinese Windows code page (GBK, read as its superset
// GB 18030), turned into UTF-8 and back.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vardex::host {

/// True when `bytes` is well-formed UTF-8 (no overlong forms, no surrogates, nothing above
/// U+10FFFF). The empty text is valid.
bool IsValidUtf8(std::string_view bytes) noexcept;

/// GBK (GB 18030) bytes as UTF-8, or nothing when they are not valid in that encoding.
std::optional<std::string> GbkToUtf8(std::string_view bytes);

/// UTF-8 text as GBK bytes, or nothing when a character has no GBK form (or the text is not
/// valid UTF-8).
std::optional<std::string> Utf8ToGbk(std::string_view text);

}  // namespace vardex::host
