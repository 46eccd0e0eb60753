// What a file that is not an .xlsx package is, told from its first bytes, so that the refusal
// says what the surveyor has in hand (a workbook with a password, an old .xls, a CSV) rather
// than calling an intact file damaged.
#pragma once

#include <string>
#include <string_view>

namespace vardex::host::detail {

/// True for an OLE compound file (.xls, and the container of password-protected workbooks).
bool IsOleFile(std::string_view bytes) noexcept;

/// Why `bytes`, which do not begin as a zip archive, cannot be opened: what the file is and
/// what to do about it.
std::string NotPackageReason(std::string_view bytes);

/// The reason for a zip archive without the parts of an .xlsx package, from its "mimetype"
/// entry (OpenDocument files have one); empty when it names no known kind.
std::string OtherPackageReason(std::string_view mimetype);

}  // namespace vardex::host::detail
