// The raw signal hand-over as a process of its own, for the benchmarks' time
// and peak memory: the real HandOverRawSignal splits a raw data file into the
// three axis files in a folder, with a host that takes each at once.
//   raw_handover RAW FOLDER  exit 0 when the signal was handed over
#include <cstdio>
#include <string>

#include "base/progress.h"
#include "exchange/handover_files.h"
#include "exchange/raw_signal.h"
#include "exchange/rqx340_client.h"
#include "platform/temp_files.h"

int main(int argc, char** argv) {
  using namespace rqx340;
  if (argc != 3) {
    std::fputs("usage: raw_handover RAW FOLDER\n", stderr);
    return 2;
  }
  auto folder = TempFolder::Open(argv[2]);
  if (!folder) {
    std::fprintf(stderr, "raw_handover: %s\n", folder.ErrorText().c_str());
    return 2;
  }
  const TempNamer namer;
  NullMessagePump pump;
  const RawHandoverResult result = HandOverRawSignal(
      *folder, kExchangeId, namer, argv[1], 0, [] { return true; }, pump);
  return result == RawHandoverResult::kHandedOver ? 0 : 1;
}
