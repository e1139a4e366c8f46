// params.txt in the program directory: its first line holds tidy's options;
// the lines after it are the user's and are kept byte for byte.
#pragma once

#include <string>

namespace kw {

class ParamsFile {
 public:
  // Reads programDir's params.txt; without one, builtInLine stands for its
  // first line. Throws EKempwellError when a params.txt that is there cannot
  // be read.
  ParamsFile(const std::string& programDir, std::string builtInLine);

  bool Exists() const { return exists_; }
  const std::string& Path() const { return path_; }
  const std::string& FirstLine() const { return firstLine_; }

  // Replaces the first line crash-safely (ReplaceFileContent), with the file's
  // other lines and line breaks as they are at that moment; a new file gets a
  // line feed after the line. Throws EKempwellError with the reason.
  void WriteFirstLine(const std::string& line);

 private:
  std::string path_;
  bool exists_ = false;
  std::string firstLine_;
};

}  // namespace kw
