// UTF-8 validation, and the conversions to and from GBK through the system's converter.
#include "host/text_codec.hpp"

#include <iconv.h>

#include <cerrno>

#include "host/xml_util.hpp"

namespace vardex::host {
namespace {

// ---- Platform: the character set converter ----------------------------------------------------
// glibc's iconv here; a Windows build converts through MultiByteToWideChar and
// WideCharToMultiByte with code page 54936 (GB 18030) or 936 (GBK) instead. Nothing else in the
// program depends on how the conversion is done.
std::optional<std::string> Convert(std::string_view bytes, const char* from, const char* to) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  std::string out(bytes.size() * 2 + 16, '\0');
  // iconv's interface is not const-correct; it never writes through the input pointer.
  char* in = const_cast<char*>(bytes.data());
  std::size_t in_left = bytes.size();
  std::size_t done = 0;
  bool ok = true;
  while (in_left > 0) {
    char* out_at = out.data() + done;
    std::size_t out_left = out.size() - done;
    const std::size_t result = iconv(cd, &in, &in_left, &out_at, &out_left);
    done = static_cast<std::size_t>(out_at - out.data());
    if (result != static_cast<std::size_t>(-1)) break;
    if (errno == E2BIG) {
      out.resize(out.size() * 2);
      continue;
    }
    ok = false;  // EILSEQ or EINVAL: invalid or incomplete input
    break;
  }
  iconv_close(cd);
  if (!ok) return std::nullopt;
  out.resize(done);
  return out;
}
// ---- End of platform part ---------------------------------------------------------------------

}  // namespace

bool IsValidUtf8(std::string_view bytes) noexcept { return detail::IsValidUtf8(bytes); }

std::optional<std::string> GbkToUtf8(std::string_view bytes) {
  return Convert(bytes, "GB18030", "UTF-8");
}

std::optional<std::string> Utf8ToGbk(std::string_view text) {
  if (!IsValidUtf8(text)) return std::nullopt;
  return Convert(text, "UTF-8", "GBK");
}

}  // namespace vardex::host
