#include "options/params_file.h"

#include <algorithm>
#include <system_error>

#include "common/error.h"
#include "common/paths.h"
#include "common/safe_write.h"
#include "document/file_io.h"

namespace kw {

namespace {

// text's first line (up to CR, LF or CR LF) and the rest from its break on.
struct FirstLineSplit {
  std::string first;
  std::string rest;
};

FirstLineSplit SplitFirstLine(const std::string& text) {
  const size_t end = std::min(text.find_first_of("\r\n"), text.size());
  return {text.substr(0, end), text.substr(end)};
}

}  // namespace

ParamsFile::ParamsFile(const std::string& programDir, std::string builtInLine)
    : path_(JoinPath(programDir, "params.txt")), exists_(PathExists(path_)) {
  firstLine_ = exists_ ? SplitFirstLine(ReadWholeFile(path_)).first : std::move(builtInLine);
}

void ParamsFile::WriteFirstLine(const std::string& line) {
  // The other lines as they are now, should they have changed since.
  const std::string rest = PathExists(path_) ? SplitFirstLine(ReadWholeFile(path_)).rest : "\n";
  try {
    ReplaceFileContent(path_, [&](ContentSink& sink) {
      sink.Write(line);
      sink.Write(rest);
    });
  } catch (const std::system_error& error) {
    throw EKempwellError(CannotCreateFileMessage(path_, error.code().value()));
  }
  exists_ = true;
  firstLine_ = line;
}

}  // namespace kw
