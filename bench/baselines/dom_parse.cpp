// Baseline of the conversion: the bare RapidJSON DOM parse of a measurement,
// through a 64 KiB FileReadStream, as any converter that holds the document
// must do before it writes a byte.
//   dom_parse FILE  exit 0 when the file parsed, 1 when it did not
#include <rapidjson/document.h>
#include <rapidjson/filereadstream.h>

#include <cstdio>

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: dom_parse FILE\n", stderr);
    return 2;
  }
  std::FILE* file = std::fopen(argv[1], "rb");
  if (file == nullptr) return 2;
  static char buffer[65536];
  rapidjson::FileReadStream stream(file, buffer, sizeof buffer);
  rapidjson::Document document;
  document.ParseStream<rapidjson::kParseDefaultFlags | rapidjson::kParseIterativeFlag>(stream);
  std::fclose(file);
  return document.HasParseError() ? 1 : 0;
}
