// UTF-8 validation, and the conversions to and from GBK through the system's converter.
#include "host/text_codec.hpp"

#include "host/platform.hpp"
#include "host/xml_util.hpp"

namespace vardex::host {

bool IsValidUtf8(std::string_view bytes) noexcept { return detail::IsValidUtf8(bytes); }

std::optional<std::string> GbkToUtf8(std::string_view bytes) {
  return platform::Gb18030ToUtf8(bytes);
}

std::optional<std::string> Utf8ToGbk(std::string_view text) {
  if (!IsValidUtf8(text)) return std::nullopt;
  return platform::Utf8ToGbk(text);
}

}  // namespace vardex::host
