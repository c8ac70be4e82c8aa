// Cost of the date and time texts: the pictures are read from the locale on
// every FormatDateTime(time), once for a whole list with the two-argument form.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdint>
#include <string>

#include "measurement/date_time.h"

namespace {

constexpr std::int64_t kTime = 1709622489;

void SetLocale(const char* name) {
  setenv("TZ", "Europe/Berlin", 1);
  setenv("LC_ALL", name, 1);
  unsetenv("RQX340_SHORTDATE");
  unsetenv("RQX340_TIMEFORMAT");
}

void BM_FormatDateTimeReadingLocale(benchmark::State& state, const char* locale) {
  SetLocale(locale);
  for (auto _ : state) benchmark::DoNotOptimize(rqx340::FormatDateTime(kTime));
}

void BM_FormatDateTimeWithPictures(benchmark::State& state, const char* locale) {
  SetLocale(locale);
  const rqx340::LocalePictures pictures = rqx340::UserLocalePictures();
  for (auto _ : state) benchmark::DoNotOptimize(rqx340::FormatDateTime(kTime, pictures));
}

void BM_UserLocalePictures(benchmark::State& state, const char* locale) {
  SetLocale(locale);
  for (auto _ : state) benchmark::DoNotOptimize(rqx340::UserLocalePictures());
}

BENCHMARK_CAPTURE(BM_FormatDateTimeReadingLocale, C, "C");
BENCHMARK_CAPTURE(BM_FormatDateTimeReadingLocale, de_DE_utf8, "de_DE.UTF-8");
BENCHMARK_CAPTURE(BM_FormatDateTimeReadingLocale, de_DE_latin1, "de_DE");
BENCHMARK_CAPTURE(BM_FormatDateTimeWithPictures, de_DE_utf8, "de_DE.UTF-8");
BENCHMARK_CAPTURE(BM_UserLocalePictures, de_DE_utf8, "de_DE.UTF-8");

}  // namespace

BENCHMARK_MAIN();
