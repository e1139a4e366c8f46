#include "highlight/html_tables.h"

#include <gtest/gtest.h>

#include <random>

namespace kw {
namespace {

// The slot table is built from the tag list at compile time; these names
// hit its edges: shared slots, closing forms, digits, the largest hashes.
// Names in any case, empty slots, digits ending a name and UTF-8 letters
// are the golden files'.
TEST(HtmlTables, TagNameLengthAndClass) {
  const struct {
    const char* text;
    int length;
    TtkTokenKind kind;
    bool utf8 = false;
  } rows[] = {
      {"/BLOCKQUOTE", 11, tkKey},
      {"/OPTGROUP", 9, tkKey},     // the last slot
      {"A8", 2, tkUndefKey},       // the slot of H1 and I
      {"H01", 3, tkUndefKey},
      {"/BR", 3, tkUndefKey},      // empty elements have no closing form
      {"p\xE9", 1, tkKey},         // Latin-1 letters are not name bytes
      {"", 0, tkUndefKey},
      {"/!F", 3, tkIdentifier},           // hash 251, the first beyond the table
      {"/!DOCTYPE", 9, tkIdentifier},
  };
  for (const auto& r : rows) {
    int length = -1;
    EXPECT_EQ(ClassifyTagName(r.text, length, r.utf8), r.kind) << r.text;
    EXPECT_EQ(length, r.length) << r.text;
  }
}

// The lookup is indexed by the byte after '&'; it must agree with a plain
// pass over the table in its order. The table's names are the golden files'.
TEST(HtmlTables, EntityLookupAgreesWithALinearPass) {
  std::mt19937 rng(3);
  for (int trial = 0; trial < 20000; ++trial) {
    std::string text(EntityName(static_cast<int>(rng() % kEntityCount)));
    text.resize(rng() % (text.size() + 2), ';');
    if (!text.empty() && rng() % 3 == 0) text[rng() % text.size()] = static_cast<char>(rng());
    int linear = -1;
    for (int i = 0; i < kEntityCount && linear < 0; ++i)
      if (text.starts_with(EntityName(i))) linear = i;
    ASSERT_EQ(FindEntity(text), linear) << text;
  }
  EXPECT_EQ(EntityName(kEntityCount), "");
}

}  // namespace
}  // namespace kw
