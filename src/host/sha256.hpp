// SHA-256 of a file's bytes, so that a record can name exactly which field file it was made from.
#pragma once

#include <string>
#include <string_view>

namespace vardex::host {

/// The SHA-256 digest of `bytes` as 64 lower-case hexadecimal digits (FIPS 180-4).
std::string Sha256Hex(std::string_view bytes);

}  // namespace vardex::host
