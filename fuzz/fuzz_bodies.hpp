// What each fuzz target does with one input. The libFuzzer programs and the reliability tests
// (which replay the seed corpora and every kept crash input) share these bodies, so that a fault
// found by fuzzing stays caught on builds without clang.
//
// A body returns normally for any input the code under test handles as documented (including
// refusing it with host::HostError). It throws FuzzFinding when an invariant breaks, and lets any
// other exception escape; under libFuzzer both end in std::terminate and count as a crash.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>

namespace vardex::fuzz {

/// An invariant that the code under test broke for this input.
class FuzzFinding : public std::logic_error {
 public:
  using std::logic_error::logic_error;
};

using Body = void (*)(std::string_view input);

/// Whole .xlsx bytes: open, read every cell within a bounded area, save to memory and reopen;
/// the reopened workbook must hold the same sheets and values.
void PackageBytes(std::string_view input);

/// The same, but the input lists package parts ("--- name" lines, each followed by the part's
/// bytes) that are zipped with correct checksums first, so mutations reach the XML readers.
void PackageParts(std::string_view input);

/// First line: a value as strtod reads it (so also "nan", "inf", hex); the rest: a format code.
/// Renders through FormatNumber, WorksheetText, FormatTextValue and NumberFormatColor.
void NumberFormat(std::string_view input);

/// A1 references and ranges: every parse that succeeds must format back to a text that parses
/// to the same reference.
void CellReference(std::string_view input);

/// The numeric-text grammar: IsNumericText and ParseNumericText agree, a parsed value is the
/// double nearest to the text (strtod of the same digits), GeneralNumberText reads back.
void NumericText(std::string_view input);

/// A project built from the template whose input sheet is typed from the input: lines
/// "A1REF<TAB>text" type a cell, "A1:B9<TAB>text" a bounded range, "!seed N" and "!staff MIN MAX"
/// and "!tol ..." steer the run; then the calculation and both record checks run.
void Calculation(std::string_view input);

/// The template the calculation body starts from; set once before the first Calculation.
void SetProjectTemplate(const std::filesystem::path& path);

/// The body for a target name ("package_bytes", "number_format", ...); nullptr if unknown.
Body FindBody(std::string_view target);

}  // namespace vardex::fuzz
