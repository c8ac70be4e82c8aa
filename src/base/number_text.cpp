// Decimal rounding on the digits of the shortest text, so that a person who
// rounds the printed machine value by hand gets the same digits.
#include "base/number_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string_view>

namespace rqx340 {
namespace {

// ±d1.d2d3... × 10^exponent.
struct Decimal {
  bool negative = false;
  std::string digits;  // no leading zero; empty for zero
  int exponent = 0;
};

template <typename Number>
Decimal ShortestDecimal(Number value) {
  Decimal d;
  if (value == 0) return d;
  d.negative = value < 0;
  // The shortest text that reads back: "d.ddde±XX".
  char text[64];
  const auto result =
      std::to_chars(text, text + sizeof text, std::fabs(value), std::chars_format::scientific);
  const std::string_view s(text, static_cast<std::size_t>(result.ptr - text));
  const std::size_t e = s.find('e');
  for (const char c : s.substr(0, e)) {
    if (c != '.') d.digits.push_back(c);
  }
  int exponent = 0;
  const std::string_view exponent_text = s.substr(e + 1);
  const char* first = exponent_text.data() + (exponent_text.front() == '+' ? 1 : 0);
  std::from_chars(first, exponent_text.data() + exponent_text.size(), exponent);
  d.exponent = exponent;
  while (!d.digits.empty() && d.digits.back() == '0') d.digits.pop_back();
  return d;
}

// Keeps the first `keep` digits, rounding half away from zero; `keep` may be 0
// or less, when everything kept stands left of the first digit.
void Round(Decimal& d, int keep) {
  if (d.digits.empty() || keep >= static_cast<int>(d.digits.size())) return;
  if (keep < 0) {
    d.digits.clear();
    return;
  }
  const bool up = d.digits[static_cast<std::size_t>(keep)] >= '5';
  d.digits.resize(static_cast<std::size_t>(keep));
  if (up) {
    std::size_t i = d.digits.size();
    while (i > 0 && d.digits[i - 1] == '9') {
      d.digits[i - 1] = '0';
      --i;
    }
    if (i == 0) {
      d.digits.insert(d.digits.begin(), '1');
      ++d.exponent;
    } else {
      ++d.digits[i - 1];
    }
  }
  while (!d.digits.empty() && d.digits.back() == '0') d.digits.pop_back();
}

// The digit standing at 10^power.
char DigitAt(const Decimal& d, int power) {
  const int index = d.exponent - power;
  return index >= 0 && index < static_cast<int>(d.digits.size())
             ? d.digits[static_cast<std::size_t>(index)]
             : '0';
}

std::string Fixed(const Decimal& d, int decimals) {
  std::string text;
  if (d.negative && !d.digits.empty()) text.push_back('-');
  const int top = std::max(d.exponent, 0);
  if (d.digits.empty()) {
    text.push_back('0');
  } else {
    for (int power = top; power >= 0; --power) text.push_back(DigitAt(d, power));
  }
  if (decimals > 0) {
    text.push_back('.');
    for (int power = -1; power >= -decimals; --power) text.push_back(DigitAt(d, power));
  }
  return text;
}

std::string Scientific(const Decimal& d, int digits) {
  std::string text;
  if (d.negative) text.push_back('-');
  text.push_back(DigitAt(d, d.exponent));
  if (digits > 1) {
    text.push_back('.');
    for (int i = 1; i < digits; ++i) text.push_back(DigitAt(d, d.exponent - i));
  }
  const int exponent = std::abs(d.exponent);
  text += d.exponent < 0 ? "e-" : "e+";
  if (exponent < 10) text.push_back('0');
  text += std::to_string(exponent);
  return text;
}

template <typename Number>
std::string NonFiniteText(Number value) {
  if (std::isnan(value)) return "NaN";
  return value > 0 ? "Infinity" : "-Infinity";
}

constexpr int kMostDigits = 17;

template <typename Number>
std::string Significant(Number value, int digits) {
  if (!std::isfinite(value)) return NonFiniteText(value);
  digits = std::clamp(digits, 1, kMostDigits);
  Decimal d = ShortestDecimal(value);
  Round(d, digits);
  if (d.digits.empty()) return Fixed(d, digits - 1);
  if (d.exponent < -4 || d.exponent >= 6) return Scientific(d, digits);
  return Fixed(d, std::max(0, digits - 1 - d.exponent));
}

}  // namespace

std::string SignificantText(double value, int digits) { return Significant(value, digits); }
std::string SignificantText(float value, int digits) { return Significant(value, digits); }

std::string DecimalsText(double value, int decimals) {
  if (!std::isfinite(value)) return NonFiniteText(value);
  if (std::fabs(value) >= 1e15) return SignificantText(value, 4);
  decimals = std::clamp(decimals, 0, kMostDigits);
  Decimal d = ShortestDecimal(value);
  Round(d, d.exponent + 1 + decimals);
  return Fixed(d, decimals);
}

}  // namespace rqx340
