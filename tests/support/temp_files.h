// Files in a fresh temporary folder, written and read back as raw bytes.
#pragma once

#include <sys/stat.h>

#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace kw::test {

class TempFolder {
 public:
  // std::filesystem removes names that are not UTF-8, which QTemporaryDir cannot.
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(Path(), ignored);
  }

  std::string Path() const { return dir_.path().toStdString(); }
  std::string File(const std::string& name) const { return Path() + "/" + name; }

  std::string Write(const std::string& name, const std::string& bytes) const {
    const std::string path = File(name);
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
  }

  static std::string Read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  // Permission bits of path; 0 when it is missing.
  static unsigned Mode(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0;
  }

 private:
  QTemporaryDir dir_;
};

}  // namespace kw::test
