#include "about/about_info.h"

#include <gtest/gtest.h>

#include <QLocale>
#include <QTemporaryDir>
#include <filesystem>
#include <fstream>

namespace kw {
namespace {

TEST(AboutInfoTest, OsReleaseName) {
  const std::pair<const char*, const char*> cases[] = {
      {"NAME=\"Debian GNU/Linux\"\nVERSION=\"12\"\nPRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\n",
       "Debian GNU/Linux 12 (bookworm)"},
      {"PRETTY_NAME=\"\"\nNAME=Arch\nVERSION=\"39 (W)\"\n", "Arch 39 (W)"},
      {"VERSION=1.0\n", ""},
      {"PRETTY_NAME='A \\\"b\\\"'\n", "A \\\"b\\\""},  // single quotes take no escapes
      {"PRETTY_NAME=\"Say \\\"hi\\\" \\$HOME\"\n", "Say \"hi\" $HOME"},
      {"# PRETTY_NAME=comment\r\n\r\ngarbage\r\n  PRETTY_NAME=\"Alpine Linux v3.19\"\r\n", "Alpine Linux v3.19"},
  };
  for (const auto& [contents, want] : cases) EXPECT_EQ(OsReleaseName(contents), want) << contents;
}

TEST(AboutInfoTest, OsLineFromTheKernelRelease) {
  const std::pair<const char*, const char*> cases[] = {
      {"6.1.0-18-amd64", "N 6.1 (Build 0: 18-amd64)"},
      {"4.19", "N 4.19 (Build 0)"},
      {"5.15.153.1-microsoft-standard-WSL2", "N 5.15 (Build 153: 1-microsoft-standard-WSL2)"},
      {"99999999999.2.3", "N 0.2 (Build 3)"},
  };
  for (const auto& [release, want] : cases) EXPECT_EQ(OsLine(OsVersionFrom("N", release)), want) << release;
  // No name at all: the line starts with the blank that follows it.
  EXPECT_EQ(OsLine(OsVersionFrom("", "5.1.2600")), " 5.1 (Build 2600)");
}

TEST(AboutInfoTest, MemoryInKilobytesGroupedByThree) {
  constexpr uint64_t KiB = 1024, GiB = KiB * KiB * KiB;
  const std::pair<uint64_t, const char*> cases[] = {
      {4 * GiB + KiB, "4,194,305 KB"},  // not wrapped at 32 bits
      {UINT64_MAX, "18,014,398,509,481,983 KB"},
      {1000 * KiB + 1023, "1,000 KB"},
      {1023, " KB"},
  };
  const QLocale us(QLocale::English, QLocale::UnitedStates);
  for (const auto& [bytes, want] : cases) EXPECT_EQ(PhysMemText(bytes, us).toStdString(), want) << bytes;
  // Every three digits, even where the locale groups otherwise.
  const QLocale indian(QLocale::Hindi, QLocale::India);
  EXPECT_EQ(PhysMemText(16 * GiB, indian),
            QStringLiteral("16") + indian.groupSeparator() + "777" + indian.groupSeparator() + "216 KB");
}

// The whole machine, not the low 32 bits of it: the kernel's own count agrees.
TEST(AboutInfoTest, MemoryMatchesProcMeminfo) {
  std::ifstream meminfo("/proc/meminfo");
  std::string key;
  uint64_t kilobytes = 0;
  while (meminfo >> key >> kilobytes && key != "MemTotal:") meminfo.ignore(256, '\n');
  if (kilobytes == 0) GTEST_SKIP() << "no /proc/meminfo";
  const SystemFacts facts = ReadSystemFacts();
  EXPECT_EQ(facts.PhysicalMemory >> 10, kilobytes);
  EXPECT_FALSE(facts.Os.Name.empty());
  // So is the kernel's release.
  std::string release;
  std::getline(std::ifstream("/proc/sys/kernel/osrelease"), release);
  EXPECT_EQ(OsLine(facts.Os), OsLine(OsVersionFrom(facts.Os.Name, release)));
}

// The first non-blank line of the tidy a run would use: the program
// directory's before the one on PATH.
TEST(AboutInfoTest, TidyVersionLine) {
  QTemporaryDir programDir;
  const std::string tidy = programDir.filePath("tidy").toStdString();
  std::ofstream(tidy) << "#!/bin/sh\necho\necho ' HTML Tidy for Kempwell version 1 '\n";
  std::filesystem::permissions(tidy, std::filesystem::perms::owner_all);
  EXPECT_EQ(TidyVersionLine(programDir.path().toStdString()), "tidy: HTML Tidy for Kempwell version 1");
  const QByteArray path = qgetenv("PATH");
  qputenv("PATH", "/nonexistent");
  EXPECT_EQ(TidyVersionLine("/nonexistent"), "tidy: not found");
  qputenv("PATH", path);
}

}  // namespace
}  // namespace kw
