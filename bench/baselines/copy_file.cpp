// Baseline of the raw signal hand-over: one plain copy of the raw data file in
// chunks, the I/O that any hand-over of it needs.
//   copy_file FROM TO
#include <cstdio>
#include <vector>

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fputs("usage: copy_file FROM TO\n", stderr);
    return 2;
  }
  std::FILE* in = std::fopen(argv[1], "rb");
  std::FILE* out = std::fopen(argv[2], "wb");
  if (in == nullptr || out == nullptr) return 2;
  std::vector<char> buffer(1 << 20);
  std::size_t got;
  while ((got = std::fread(buffer.data(), 1, buffer.size(), in)) > 0) {
    if (std::fwrite(buffer.data(), 1, got, out) != got) return 1;
  }
  std::fclose(in);
  return std::fclose(out) == 0 ? 0 : 1;
}
