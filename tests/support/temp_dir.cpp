// Temporary folders and file helpers on std::filesystem, the same on every system.
#include "support/temp_dir.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>

namespace rqx340::test {

TempDir::TempDir() {
  // create_directory reports whether it made the folder, so a name another test
  // took is never shared; the random part only keeps the retries few.
  const auto base = std::filesystem::temp_directory_path();
  std::random_device seed;
  std::mt19937 random(seed());
  for (int attempt = 0; attempt < 100; ++attempt) {
    char name[32];
    std::snprintf(name, sizeof name, "rqx340-test-%08x", static_cast<unsigned>(random()));
    std::error_code error;
    if (std::filesystem::create_directory(base / name, error)) {
      m_path = base / name;
      // Session folders under here must be closed to group and others.
      std::filesystem::permissions(m_path, std::filesystem::perms::owner_all, error);
      return;
    }
  }
  throw std::runtime_error("no temporary folder could be made");
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(m_path, ignored);
}

std::filesystem::path TempDir::Write(std::string_view name, std::string_view contents) const {
  const auto path = m_path / name;
  std::filesystem::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(contents.data(), static_cast<std::streamsize>(contents.size()));
  return path;
}

std::string ReadFileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::filesystem::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::string> FolderNames(const std::filesystem::path& folder) {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

unsigned ModeOf(const std::filesystem::path& path) {
  std::error_code error;
  const auto status = std::filesystem::symlink_status(path, error);
  if (error || !std::filesystem::exists(status)) return 0;
  return static_cast<unsigned>(status.permissions() & std::filesystem::perms::mask);
}

std::filesystem::path DataFile(std::string_view name) {
  return std::filesystem::path(RQX340_TEST_DATA_DIR) / name;
}

}  // namespace rqx340::test
