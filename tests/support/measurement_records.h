// Summary records as the folder scan makes them, for the tests of the
// measurement list, and the cases of its sort keys.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "gen/measurement_generator.h"
#include "measurement/folder_scan.h"

namespace rqx340::test {

inline CRQX340Json Record(std::string name, std::int64_t start = 1700000000,
                          std::string serial = "S1", std::uint64_t size = 1000,
                          std::string mode = "Vib", std::int32_t raw = 0) {
  CRQX340Json record;
  record.m_strName = std::move(name);
  record.m_tStart = start;
  record.m_strSerialNum = std::move(serial);
  record.m_nSize = size;
  record.m_strMode = std::move(mode);
  record.m_nRaw = raw;
  return record;
}

// Records that a sort by `column` must order by the key's type, not its text.
struct SortKeyCase {
  const char* name;
  int column;
  std::vector<CRQX340Json> records;
  std::vector<std::string> ascending;  // the names in ascending order
};

// One small measurement "<prefix>0001.rqx2" per prefix in `folder`; false,
// with `error` set, when one cannot be written.
inline bool WriteOneMeasurementEach(const std::string& folder,
                                    std::initializer_list<const char*> prefixes,
                                    std::string* error) {
  for (const char* prefix : prefixes) {
    gen::GeneratorOptions options;
    options.count = 1;
    options.rows = 2;
    options.prefix = prefix;
    if (!gen::WriteMeasurements(options, folder, error)) return false;
  }
  return true;
}

inline std::vector<SortKeyCase> SortKeyCases() {
  return {
      {"a start of -1 before 1970 and later",
       1,
       {Record("late", 1000), Record("minus", -1), Record("zero", 0)},
       {"minus", "zero", "late"}},
      {"serial numbers in mixed case",
       2,
       {Record("1", 0, "ab12"), Record("2", 0, "AB11")},
       {"2", "1"}},
      {"sizes above 4 GB as unsigned",
       3,
       {Record("big", 0, "", 5000000000ULL), Record("small", 0, "", 70000),
        Record("huge", 0, "", 0xFFFFFFFFFFFFFFF0ULL)},
       {"small", "big", "huge"}},
      {"names: A to Z without case, other bytes by value",
       0,
       {Record("\xC3\xA9"), Record("Z"), Record("a"), Record("_")},
       {"_", "a", "Z", "\xC3\xA9"}},
      {"modes", 4, {Record("1", 0, "", 0, "WB"), Record("2", 0, "", 0, "ha")}, {"2", "1"}},
  };
}

}  // namespace rqx340::test
