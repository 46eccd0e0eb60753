// Custom document properties (docProps/custom.xml), read and written as texts.
#pragma once

#include <map>
#include <string>
#include <string_view>

namespace vardex::host::detail {

using PropertyMap = std::map<std::string, std::string, std::less<>>;

/// Reads every property's value as text. Throws HostError(kErrCannotOpen) on malformed XML.
void ReadCustomProperties(std::string_view xml, PropertyMap& out, const std::string& file,
                          const std::string& part);

/// The part with `props` applied: existing properties keep their place (a changed one becomes
/// text valued), new ones are appended, and those no longer in `props` are dropped (`props` was
/// read from `original`, so a missing name is a removed property). `original` may be empty.
std::string WriteCustomProperties(std::string_view original, const PropertyMap& props);

}  // namespace vardex::host::detail
