#include "highlight/html_tables.h"

#include <gtest/gtest.h>

#include <random>

namespace kw {
namespace {

TEST(HtmlTables, TagNameHashLengthAndClass) {
  const struct {
    const char* text;
    int hash;
    int length;
    TtkTokenKind kind;
  } rows[] = {
      {"A", 1, 1, tkKey},
      {"H1", 9, 2, tkKey},
      {"P>", 16, 1, tkKey},
      {"/P", 138, 2, tkKey},
      {"!DOCTYPE", 211, 8, tkKey},
      {"!doctype html", 211, 8, tkKey},
      {"BLOCKQUOTE", 121, 10, tkKey},
      {"/BLOCKQUOTE", 243, 11, tkKey},
      {"/OPTGROUP", 250, 9, tkKey},
      {"table", 40, 5, tkKey},
      {"TaBlE", 40, 5, tkKey},
      {"/Table", 162, 6, tkKey},
      {"h1a", 9, 2, tkKey},       // a letter after the digits is not part of the name
      {"h7", 15, 2, tkUndefKey},  // empty slot
      {"A8", 9, 2, tkUndefKey},   // the slot of H1 and I
      {"H01", 9, 3, tkUndefKey},
      {"h12", 11, 3, tkUndefKey},  // every digit adds its value
      {"br/", 142, 3, tkUndefKey},
      {"/BR", 142, 3, tkUndefKey},  // empty elements have no closing form
      {"/IMG", 151, 4, tkUndefKey},
      {"p\xE9", 16, 1, tkKey},  // Latin-1 letters are not name bytes
      {"9p", 9, 1, tkUndefKey},
      {"?xml", 0, 0, tkUndefKey},
      {"", 0, 0, tkUndefKey},
      {"xxxxxxxxxxx", 264, 11, tkIdentifier},
      {"/!DOCTYPE", 333, 9, tkIdentifier},
  };
  for (const auto& r : rows) {
    const KeyHashResult key = KeyHash(r.text);
    EXPECT_EQ(key.hash, r.hash) << r.text;
    EXPECT_EQ(key.length, r.length) << r.text;
    int length = -1;
    EXPECT_EQ(ClassifyTagName(r.text, length), r.kind) << r.text;
    EXPECT_EQ(length, r.length) << r.text;
  }
}

TEST(HtmlTables, EntitiesInAndOutOfTheTable) {
  for (const char* text : {"&copy;", "&brkbar;", "&die;", "&hibar;", "&sigma;", "&sigmaf;", "&Alpha;", "&circ;"})
    EXPECT_EQ(EntityName(FindEntity(text)), text);
  EXPECT_EQ(EntityName(FindEntity("&copy; 2001")), "&copy;");
  for (const char* text :
       {"&COPY;", "&Copy;", "&apos;", "&zwnj;", "&zwj;", "&lrm;", "&rlm;", "&tilde;", "&Yuml;", "&amp", "&", "copy;"})
    EXPECT_EQ(FindEntity(text), -1) << text;
  EXPECT_EQ(EntityName(0), "&Alpha;");
  EXPECT_EQ(EntityName(41), "&sigmaf;");
  EXPECT_EQ(EntityName(kEntityCount - 1), "&circ;");
  EXPECT_EQ(EntityName(kEntityCount), "");
}

// The lookup is indexed by the byte after '&'; it must agree with a plain
// pass over the table in its order.
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
}

}  // namespace
}  // namespace kw
