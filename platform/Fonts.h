#pragma once

// Maps the font families the programs ask for by name ("宋体", "新宋体",
// "System") to a CJK font installed on Debian, so Chinese text and the
// fixed-size digit displays look the same on every desktop. Call once after
// the application object exists.
void InstallFontSubstitutions();
