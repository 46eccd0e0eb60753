// The worked levelling line of the field data tests, as the domain modules take it and as each
// instrument format records it, and the project it belongs to.
//
// Project: BM1 at 100.000 (E6), BM2 at 101.250 (F6); points P1 (design 101.000), P2 (design
// 100.500) and P3 (no design elevation, never observed).
// Line, worked by hand:
//   set-up 1: back BM1 1.523 (30.0 m); intermediate P1 0.520 (12.0 m); fore TP1 0.412 (28.0 m)
//     line of sight 100.000 + 1.523 = 101.523; P1 = 101.523 - 0.520 = 101.003 (+3 mm on design);
//     TP1 = 101.523 - 0.412 = 101.111
//   set-up 2: back TP1 1.204 (25.0 m); intermediates P2 1.829 (10.0 m) and X9 2.000 (no distance,
//     not in the project); fore BM2 1.062 (27.0 m)
//     line of sight 101.111 + 1.204 = 102.315; P2 = 100.486 (-14 mm); X9 = 100.315;
//     BM2 = 102.315 - 1.062 = 101.253, misclosure +3 mm
//   n = 2 set-ups, L = (30 + 28 + 25 + 27) m = 0.110 km.
#pragma once

#include <string>

#include "numeric/field_records.hpp"
#include "support/project_book.hpp"

namespace vardex::test {

/// The line above, every sight from file "worked" at line 0.
MeasuredLevellingLine WorkedLine();

/// The project of the worked line.
LevellingBlock WorkedFieldProject();

/// The line as GSI-8 in millimetres (units 0), GSI-16 in 1/100 mm (units 8), an M5 file and a
/// CSV field book. Line ends are LF; the instrument heights start from 0 in the GSI files.
std::string WorkedGsi8();
std::string WorkedGsi16();
std::string WorkedM5();
std::string WorkedFieldBook();

}  // namespace vardex::test
