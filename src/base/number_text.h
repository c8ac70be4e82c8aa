// Numbers for people: the texts of `rqx340 info`, the preview and messages show
// a few digits, rounded the way a person rounds the number the machine output
// prints. JSON and CSV keep every digit (base/shortest_text.h). No text here
// depends on the locale.
#pragma once

#include <string>

namespace rqx340 {

// `value` rounded to `digits` significant digits (1 to 17), trailing zeros
// kept: 0.23813647 gives "0.2381", 9.9995 "10.00", 0 "0.000" (4 digits).
// Fixed notation from 1e-4 to below 1e6, else scientific ("1.235e-05",
// "1.235e+06"). Non-finite values are "NaN", "Infinity" and "-Infinity".
std::string SignificantText(double value, int digits);
std::string SignificantText(float value, int digits);

// `value` rounded to `decimals` decimals (0 to 17) in fixed notation:
// 0.64391909 gives "0.644" (3 decimals). A value of 1e15 or more in magnitude
// is written as SignificantText(value, 4) instead.
std::string DecimalsText(double value, int decimals);

// Both round the shortest decimal text that reads back to `value` (the text of
// the machine output), half away from zero; a result of zero has no sign.

// The quantities of a measurement as people read them, without the unit:
// accelerations (rms, peak, in m/s²) and vdv (m/s^1.75) with 4 significant
// digits, the daily exposure A(8) (m/s²) with 3 decimals. An exposure time is
// shown as the user typed it.
inline constexpr int kAccelerationDigits = 4;
inline constexpr int kDailyExposureDecimals = 3;
inline std::string AccelerationText(double value) {
  return SignificantText(value, kAccelerationDigits);
}
inline std::string AccelerationText(float value) {
  return SignificantText(value, kAccelerationDigits);
}
inline std::string VdvText(float value) { return SignificantText(value, kAccelerationDigits); }
inline std::string DailyExposureText(double value) {
  return DecimalsText(value, kDailyExposureDecimals);
}

}  // namespace rqx340
