// Opening and saving whole packages: which parts are read into the model, which are rewritten
// and which go out byte for byte.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "host/workbook.hpp"
#include "host/xlsx_zip.hpp"

namespace vardex::host::detail {

/// Fills an empty workbook from a package. `template_source` marks .xltx/.xltm packages.
/// Throws HostError(kErrCannotOpen) naming the file, part, sheet and cell where it can.
void LoadPackage(Workbook& book, Package package, bool template_source);

/// The package of a new workbook without sheets (content types, relationships, workbook, styles).
Package EmptyPackage();

/// A new, empty worksheet named `name` with its own part; not yet in the workbook's list.
std::unique_ptr<Worksheet> MakeSheet(Workbook& book, std::string name);

/// The package's bytes with every change of the model applied.
std::string BuildPackage(Workbook& book, const ZipOptions& options);

}  // namespace vardex::host::detail
