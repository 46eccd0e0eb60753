// Opening and saving whole packages: which parts are read into the model, which are rewritten
// and which go out byte for byte.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "host/workbook.hpp"
#include "host/xlsx_zip.hpp"

namespace vardex::host::detail {

/// Fills an empty workbook from a package. Throws HostError(kErrCannotOpen) naming the file,
/// part, sheet and cell where it can.
void LoadPackage(Workbook& book, Package package);

/// The content type of the workbook part of a workbook or template, with or without macros.
std::string MainContentType(bool macros, bool template_type);

/// The package of a new workbook without sheets (content types, relationships, workbook, styles).
Package EmptyPackage();

/// A new, empty worksheet named `name` with its own part; not yet in the workbook's list.
std::unique_ptr<Worksheet> MakeSheet(Workbook& book, std::string name);

/// The package's bytes with every change of the model applied and `main_type` as the content
/// type of the workbook part.
std::string BuildPackage(Workbook& book, const ZipOptions& options, const std::string& main_type);

}  // namespace vardex::host::detail
