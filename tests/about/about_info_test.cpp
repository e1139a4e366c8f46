#include "about/about_info.h"

#include <gtest/gtest.h>

#include <QLocale>
#include <fstream>
#include <sstream>

namespace kw {
namespace {

struct NameCase {
  const char* name;
  const char* contents;
  const char* expected;
};

class OsReleaseNameTest : public testing::TestWithParam<NameCase> {};

TEST_P(OsReleaseNameTest, PicksTheName) { EXPECT_EQ(OsReleaseName(GetParam().contents), GetParam().expected); }

INSTANTIATE_TEST_SUITE_P(
    Files, OsReleaseNameTest,
    testing::Values(
        NameCase{"pretty_name_wins", "NAME=\"Debian GNU/Linux\"\nVERSION=\"12 (bookworm)\"\nPRETTY_NAME=\"Debian GNU/Linux 12 (bookworm)\"\n",
                 "Debian GNU/Linux 12 (bookworm)"},
        NameCase{"name_and_version_without_pretty_name", "NAME=Fedora\nVERSION=\"39 (Workstation)\"\n", "Fedora 39 (Workstation)"},
        NameCase{"empty_pretty_name_falls_back", "PRETTY_NAME=\"\"\nNAME=Arch\n", "Arch"},
        NameCase{"name_alone", "NAME=Gentoo\n", "Gentoo"},
        NameCase{"version_without_name_is_no_name", "VERSION=1.0\n", ""},
        NameCase{"single_quotes_take_no_escapes", "PRETTY_NAME='A \\\"b\\\"'\n", "A \\\"b\\\""},
        NameCase{"double_quotes_take_escapes", "PRETTY_NAME=\"Say \\\"hi\\\" \\$HOME\"\n", "Say \"hi\" $HOME"},
        NameCase{"comments_blanks_and_crlf", "# PRETTY_NAME=comment\r\n\r\n  PRETTY_NAME=\"Alpine Linux v3.19\"\r\n",
                 "Alpine Linux v3.19"},
        NameCase{"line_without_equals_skipped", "garbage\nNAME=Void", "Void"},
        NameCase{"empty_file", "", ""}),
    [](const auto& info) { return std::string(info.param.name); });

struct ReleaseCase {
  const char* name;
  const char* release;
  int major, minor, build;
  const char* extra;
};

class KernelReleaseTest : public testing::TestWithParam<ReleaseCase> {};

TEST_P(KernelReleaseTest, SplitsNumbersAndRest) {
  const ReleaseCase& c = GetParam();
  const OsVersion os = OsVersionFrom("X", c.release);
  EXPECT_EQ(os.Major, c.major);
  EXPECT_EQ(os.Minor, c.minor);
  EXPECT_EQ(os.Build, c.build);
  EXPECT_EQ(os.Extra, c.extra);
}

INSTANTIATE_TEST_SUITE_P(
    Releases, KernelReleaseTest,
    testing::Values(ReleaseCase{"distribution_kernel", "6.1.0-18-amd64", 6, 1, 0, "18-amd64"},
                    ReleaseCase{"plain_three_numbers", "6.8.12", 6, 8, 12, ""},
                    ReleaseCase{"two_numbers", "4.19", 4, 19, 0, ""},
                    ReleaseCase{"fourth_number_goes_to_rest", "5.15.153.1-microsoft-standard-WSL2", 5, 15, 153,
                                "1-microsoft-standard-WSL2"},
                    ReleaseCase{"release_candidate", "6.10.0-rc1+", 6, 10, 0, "rc1+"},
                    ReleaseCase{"letters_after_dot", "6.x", 6, 0, 0, "x"},
                    ReleaseCase{"too_large_reads_zero", "99999999999.2.3", 0, 2, 3, ""},
                    ReleaseCase{"empty", "", 0, 0, 0, ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(OsLineTest, FormatsWithAndWithoutTheExtraText) {
  EXPECT_EQ(OsLine(OsVersionFrom("Debian GNU/Linux 12 (bookworm)", "6.1.0-18-amd64")),
            "Debian GNU/Linux 12 (bookworm) 6.1 (Build 0: 18-amd64)");
  EXPECT_EQ(OsLine(OsVersionFrom("Arch Linux", "6.8.12")), "Arch Linux 6.8 (Build 12)");
  // No name at all: the line starts with the blank that follows it.
  EXPECT_EQ(OsLine(OsVersionFrom("", "5.1.2600")), " 5.1 (Build 2600)");
}

struct MemoryCase {
  const char* name;
  uint64_t bytes;
  const char* expected;
};

class PhysMemTextTest : public testing::TestWithParam<MemoryCase> {};

TEST_P(PhysMemTextTest, KilobytesGroupedByThree) {
  EXPECT_EQ(PhysMemText(GetParam().bytes, QLocale(QLocale::English, QLocale::UnitedStates)).toStdString(),
            GetParam().expected);
}

constexpr uint64_t KiB = 1024, MiB = KiB * 1024, GiB = MiB * 1024;

INSTANTIATE_TEST_SUITE_P(
    Sizes, PhysMemTextTest,
    testing::Values(MemoryCase{"half_a_gibibyte", 512 * MiB, "524,288 KB"},
                    MemoryCase{"just_over_4_gib_not_wrapped", 4 * GiB + KiB, "4,194,305 KB"},
                    MemoryCase{"sixteen_gib", 16 * GiB, "16,777,216 KB"},
                    MemoryCase{"two_tib", 2048 * GiB, "2,147,483,648 KB"},
                    MemoryCase{"largest_count", UINT64_MAX, "18,014,398,509,481,983 KB"},
                    MemoryCase{"low_ten_bits_dropped", 1000 * KiB + 1023, "1,000 KB"},
                    MemoryCase{"three_digits_no_separator", 999 * KiB, "999 KB"},
                    MemoryCase{"one_kb", KiB, "1 KB"},
                    MemoryCase{"under_one_kb_shows_no_digits", 1023, " KB"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PhysMemTextTest, UsesTheLocalesSeparator) {
  EXPECT_EQ(PhysMemText(16 * GiB, QLocale(QLocale::German, QLocale::Germany)), QStringLiteral("16.777.216 KB"));
  const QLocale french(QLocale::French, QLocale::France);
  EXPECT_EQ(PhysMemText(16 * GiB, french),
            QStringLiteral("16") + french.groupSeparator() + "777" + french.groupSeparator() + "216 KB");
  // Every three digits, even where the locale groups otherwise.
  const QLocale indian(QLocale::Hindi, QLocale::India);
  EXPECT_EQ(PhysMemText(16 * GiB, indian),
            QStringLiteral("16") + indian.groupSeparator() + "777" + indian.groupSeparator() + "216 KB");
}

// The whole machine, not the low 32 bits of it: the kernel's own count agrees.
TEST(ReadSystemFactsTest, MemoryMatchesProcMeminfo) {
  std::ifstream meminfo("/proc/meminfo");
  std::string line;
  uint64_t kilobytes = 0;
  while (std::getline(meminfo, line))
    if (line.rfind("MemTotal:", 0) == 0) std::istringstream(line.substr(9)) >> kilobytes;
  if (kilobytes == 0) GTEST_SKIP() << "no /proc/meminfo";
  const SystemFacts facts = ReadSystemFacts();
  EXPECT_EQ(facts.PhysicalMemory >> 10, kilobytes);
  EXPECT_FALSE(facts.Os.Name.empty());
}

}  // namespace
}  // namespace kw
