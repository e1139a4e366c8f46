#include "document/file_io.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include "common/error.h"
#include "support/temp_files.h"
#include "support/thrown.h"

namespace kw {
namespace {

using test::TempFolder;
using test::ThrownText;

// Which targets a save refuses is the safe-write test's; here, how it is told.
TEST(FileIo, ErrorsNameTheFullPathAndTheReason) {
  const TempFolder tmp;
  const std::string dir = tmp.Path(), fifo = tmp.File("fifo");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const auto openError = [](const std::string& path) {
    return ThrownText<EKempwellError>([&] { ReadWholeFile(path); });
  };
  const auto saveError = [](const std::string& path) {
    return ThrownText<EKempwellError>([&] { SaveTextFile(path, "x", BreakStyle::CRLF); });
  };
  EXPECT_EQ(openError(dir + "/a/../gone"), "Cannot open file \"" + dir + "/gone\". No such file or directory");
  EXPECT_EQ(openError(dir), "Cannot open file \"" + dir + "\". Is a directory");
  // Nobody writes to the FIFO: a blocking open would hang here.
  EXPECT_EQ(openError(fifo), "Cannot open file \"" + fifo + "\". Not a regular file");
  EXPECT_EQ(saveError(dir + "/no/a.htm"),
            "Cannot create file \"" + dir + "/no/a.htm\". No such file or directory");
}

TEST(FileIo, SizeComesOnceBeforePiecesOfBoundedSize) {
  const TempFolder tmp;
  std::string seen;
  ReadFilePieces(tmp.Write("pieces", std::string(100, 'x')), 64,
                 [&](uint64_t size) { seen += std::to_string(size) + ":"; },
                 [&](std::string_view piece) { seen += std::to_string(piece.size()) + ","; });
  EXPECT_EQ(seen, "100:64,36,");
}

TEST(FileIo, LoadAndSaveKeepBytesAndBreakStyle) {
  const TempFolder tmp;
  const std::string zeroAndHigh("\0\x80\n\xFF\0", 5);
  const std::pair<std::string, std::string> cases[] = {
      {"a\rb\r", "a\rb\r"}, {zeroAndHigh, zeroAndHigh}, {"a\rb\nc", "a\r\nb\r\nc"},
  };
  for (const auto& [bytes, saved] : cases) {
    const std::string path = tmp.Write("page.htm", bytes);
    const std::string text = ReadWholeFile(path);
    SaveTextFile(path, text, DetectBreakStyle(text));
    EXPECT_EQ(TempFolder::Read(path), saved) << testing::PrintToString(bytes);
  }
}

}  // namespace
}  // namespace kw
