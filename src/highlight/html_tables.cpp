// The tag slot table built at compile time from the tag list, and the
// entity table with an index by the byte after '&'.
#include "highlight/html_tables.h"

#include <algorithm>

namespace kw {

namespace {

constexpr std::string_view kTags[] = {
    "!DOCTYPE", "A",        "ABBR",     "ACRONYM", "ADDRESS",  "APPLET",     "AREA",    "B",        "BASE",
    "BASEFONT", "BDO",      "BGSOUND",  "BIG",     "BLINK",    "BLOCKQUOTE", "BODY",    "BR",       "BUTTON",
    "CAPTION",  "CENTER",   "CITE",     "CODE",    "COL",      "COLGROUP",   "COMMENT", "DD",       "DEL",
    "DFN",      "DIR",      "DIV",      "DL",      "DT",       "EM",         "EMBED",   "FIELDSET", "FONT",
    "FORM",     "FRAME",    "FRAMESET", "H1",      "H2",       "H3",         "H4",      "H5",       "H6",
    "HEAD",     "HR",       "HTML",     "I",       "IFRAME",   "ILAYER",     "IMG",     "INPUT",    "INS",
    "ISINDEX",  "KBD",      "KEYGEN",   "LABEL",   "LAYER",    "LEGEND",     "LI",      "LINK",     "LISTING",
    "MAP",      "MARQUEE",  "MENU",     "META",    "MULTICOL", "NEXTID",     "NOBR",    "NOEMBED",  "NOFRAMES",
    "NOLAYER",  "NOSCRIPT", "OBJECT",   "OL",      "OPTGROUP", "OPTION",     "P",       "PARAM",    "PLAINTEXT",
    "PRE",      "Q",        "S",        "SAMP",    "SCRIPT",   "SELECT",     "SERVER",  "SMALL",    "SPACER",
    "SPAN",     "STRIKE",   "STRONG",   "STYLE",   "SUB",      "SUP",        "TABLE",   "TBODY",    "TD",
    "TEXTAREA", "TFOOT",    "TH",       "THEAD",   "TITLE",    "TR",         "TT",      "U",        "UL",
    "VAR",      "WBR",      "XMP",
};

// Empty elements and the doctype: no "/NAME" entry.
constexpr std::string_view kWithoutClosingForm[] = {
    "!DOCTYPE", "AREA",    "BASE",   "BASEFONT", "BGSOUND", "BR",     "COL",   "FRAME",     "HR",     "IMG",
    "INPUT",    "ISINDEX", "KEYGEN", "LINK",     "META",    "NEXTID", "PARAM", "PLAINTEXT", "SPACER", "WBR",
};

constexpr int kTagCount = static_cast<int>(std::size(kTags));

constexpr bool HasClosingForm(std::string_view tag) {
  return std::find(std::begin(kWithoutClosingForm), std::end(kWithoutClosingForm), tag) ==
         std::end(kWithoutClosingForm);
}

constexpr int TagHash(int tag, bool closing) { return KeyHash(kTags[tag]).hash + (closing ? kTagCharHash['/'] : 0); }

constexpr std::array<int, kTagSlotCount> NamesPerSlot() {
  std::array<int, kTagSlotCount> counts{};
  for (int t = 0; t < kTagCount; ++t) {
    ++counts[TagHash(t, false)];
    if (HasClosingForm(kTags[t])) ++counts[TagHash(t, true)];
  }
  return counts;
}

constexpr bool EveryNameIsFullyHashed() {
  for (std::string_view t : kTags)
    if (KeyHash(t).length != static_cast<int>(t.size())) return false;
  return true;
}

constexpr bool EveryNameWithoutClosingFormIsATag() {
  for (std::string_view n : kWithoutClosingForm)
    if (std::find(std::begin(kTags), std::end(kTags), n) == std::end(kTags)) return false;
  return true;
}

constexpr int LargestHash() {
  int largest = 0;
  for (int t = 0; t < kTagCount; ++t)
    largest = std::max({largest, TagHash(t, false), HasClosingForm(kTags[t]) ? TagHash(t, true) : 0});
  return largest;
}

constexpr int NamesInTable() {
  int names = 0;
  for (int c : NamesPerSlot()) names += c;
  return names;
}

constexpr int SlotsInUse() {
  int used = 0;
  for (int c : NamesPerSlot()) used += c > 0;
  return used;
}

constexpr int FullestSlot() {
  int fullest = 0;
  for (int c : NamesPerSlot()) fullest = std::max(fullest, c);
  return fullest;
}

static_assert(kTagCount == 111);
static_assert(std::size(kWithoutClosingForm) == 20 && EveryNameWithoutClosingFormIsATag());
static_assert(EveryNameIsFullyHashed());
static_assert(LargestHash() == 250);
static_assert(NamesInTable() == 202);
static_assert(SlotsInUse() == 137);
static_assert(FullestSlot() <= 4);

constexpr int kTableNames = 202;
constexpr int kLongestName = 11;  // "/BLOCKQUOTE"

// A table name as the slot compare sees it: its length and the hash value
// of each of its bytes.
struct TagEntry {
  uint8_t length = 0;
  std::array<uint8_t, kLongestName> hashes{};
};

// Slot h holds entries[begin[h] .. begin[h + 1]).
struct TagTable {
  std::array<uint8_t, kTagSlotCount + 1> begin{};
  std::array<TagEntry, kTableNames> entries{};
};

constexpr TagEntry MakeEntry(std::string_view tag, bool closing) {
  TagEntry e;
  if (closing) e.hashes[e.length++] = kTagCharHash['/'];
  for (char c : tag) e.hashes[e.length++] = kTagCharHash[static_cast<unsigned char>(c)];
  return e;
}

constexpr TagTable MakeTagTable() {
  TagTable table;
  const std::array<int, kTagSlotCount> counts = NamesPerSlot();
  for (int h = 0; h < kTagSlotCount; ++h) table.begin[h + 1] = static_cast<uint8_t>(table.begin[h] + counts[h]);
  std::array<int, kTagSlotCount> next{};
  for (int h = 0; h < kTagSlotCount; ++h) next[h] = table.begin[h];
  for (int t = 0; t < kTagCount; ++t) {
    table.entries[next[TagHash(t, false)]++] = MakeEntry(kTags[t], false);
    if (HasClosingForm(kTags[t])) table.entries[next[TagHash(t, true)]++] = MakeEntry(kTags[t], true);
  }
  return table;
}

constexpr TagTable kTagTable = MakeTagTable();

// Equal as the slot compare defines it: same length, same byte hashes, so
// letters match without regard to case.
bool SameName(const char* name, int length, const TagEntry& entry) {
  if (length != entry.length) return false;
  for (int i = 0; i < length; ++i)
    if (kTagCharHash[static_cast<unsigned char>(name[i])] != entry.hashes[i]) return false;
  return true;
}

constexpr std::string_view kEntities[] = {
    "&Alpha;",  "&Beta;",    "&Gamma;",   "&Delta;",  "&Epsilon;",  "&Zeta;",    "&Eta;",    "&Theta;",  "&Iota;",
    "&Kappa;",  "&Lambda;",  "&Mu;",      "&Nu;",     "&Xi;",       "&Omicron;", "&Pi;",     "&Rho;",    "&Sigma;",
    "&Tau;",    "&Upsilon;", "&Phi;",     "&Chi;",    "&Psi;",      "&Omega;",   "&alpha;",  "&beta;",   "&gamma;",
    "&delta;",  "&epsilon;", "&zeta;",    "&eta;",    "&theta;",    "&iota;",    "&kappa;",  "&lambda;", "&mu;",
    "&nu;",     "&xi;",      "&omicron;", "&pi;",     "&rho;",      "&sigmaf;",  "&sigma;",  "&tau;",    "&upsilon;",
    "&phi;",    "&chi;",     "&psi;",     "&omega;",  "&thetasym;", "&upsih;",   "&piv;",    "&bull;",   "&hellip;",
    "&prime;",  "&Prime;",   "&oline;",   "&frasl;",  "&weierp;",   "&image;",   "&real;",   "&trade;",  "&alefsym;",
    "&larr;",   "&uarr;",    "&rarr;",    "&darr;",   "&harr;",     "&crarr;",   "&lArr;",   "&uArr;",   "&rArr;",
    "&dArr;",   "&hArr;",    "&forall;",  "&part;",   "&exist;",    "&empty;",   "&nabla;",  "&isin;",   "&notin;",
    "&ni;",     "&prod;",    "&sum;",     "&minus;",  "&lowast;",   "&radic;",   "&prop;",   "&infin;",  "&ang;",
    "&and;",    "&or;",      "&cap;",     "&cup;",    "&int;",      "&there4;",  "&sim;",    "&cong;",   "&asymp;",
    "&ne;",     "&equiv;",   "&le;",      "&ge;",     "&sub;",      "&sup;",     "&nsub;",   "&sube;",   "&supe;",
    "&oplus;",  "&otimes;",  "&perp;",    "&sdot;",   "&lceil;",    "&rceil;",   "&lfloor;", "&rfloor;", "&lang;",
    "&rang;",   "&loz;",     "&spades;",  "&clubs;",  "&hearts;",   "&diams;",   "&lsquo;",  "&rsquo;",  "&sbquo;",
    "&ldquo;",  "&rdquo;",   "&bdquo;",   "&dagger;", "&Dagger;",   "&permil;",  "&lsaquo;", "&rsaquo;", "&quot;",
    "&amp;",    "&lt;",      "&gt;",      "&ndash;",  "&mdash;",    "&nbsp;",    "&thinsp;", "&ensp;",   "&emsp;",
    "&iexcl;",  "&cent;",    "&pound;",   "&curren;", "&yen;",      "&brvbar;",  "&brkbar;", "&sect;",   "&uml;",
    "&die;",    "&copy;",    "&ordf;",    "&laquo;",  "&not;",      "&shy;",     "&reg;",    "&macr;",   "&hibar;",
    "&deg;",    "&plusmn;",  "&sup2;",    "&sup3;",   "&acute;",    "&micro;",   "&para;",   "&middot;", "&cedil;",
    "&sup1;",   "&ordm;",    "&raquo;",   "&frac14;", "&frac12;",   "&frac34;",  "&iquest;", "&Agrave;", "&Aacute;",
    "&Acirc;",  "&Atilde;",  "&Auml;",    "&Aring;",  "&AElig;",    "&Ccedil;",  "&Egrave;", "&Eacute;", "&Ecirc;",
    "&Euml;",   "&Igrave;",  "&Iacute;",  "&Icirc;",  "&Iuml;",     "&ETH;",     "&Ntilde;", "&Ograve;", "&Oacute;",
    "&Ocirc;",  "&Otilde;",  "&Ouml;",    "&times;",  "&Oslash;",   "&Ugrave;",  "&Uacute;", "&Ucirc;",  "&Uuml;",
    "&Yacute;", "&THORN;",   "&szlig;",   "&agrave;", "&aacute;",   "&acirc;",   "&atilde;", "&auml;",   "&aring;",
    "&aelig;",  "&ccedil;",  "&egrave;",  "&eacute;", "&ecirc;",    "&euml;",    "&igrave;", "&iacute;", "&icirc;",
    "&iuml;",   "&eth;",     "&ntilde;",  "&ograve;", "&oacute;",   "&ocirc;",   "&otilde;", "&ouml;",   "&divide;",
    "&oslash;", "&ugrave;",  "&uacute;",  "&ucirc;",  "&uuml;",     "&yacute;",  "&thorn;",  "&yuml;",   "&euro;",
    "&OElig;",  "&oelig;",   "&scaron;",  "&Scaron;", "&fnof;",     "&circ;",
};
static_assert(std::size(kEntities) == kEntityCount);

constexpr bool EntitiesAreWellFormed() {
  for (std::string_view e : kEntities)
    if (e.size() < 4 || e.front() != '&' || e.back() != ';' || e.find(';') != e.size() - 1) return false;
  return true;
}
// With one ';' at the end of each entry no entry is a prefix of another, so
// at most one entry matches anywhere and the first in table order is the only one.
static_assert(EntitiesAreWellFormed());

// The entries grouped by the byte after '&', each group in table order, so
// that an '&' in text compares against a handful of entries rather than all.
struct EntityIndex {
  std::array<uint16_t, 257> begin{};  // group of byte b: order[begin[b] .. begin[b + 1])
  std::array<uint8_t, kEntityCount> order{};
};

constexpr EntityIndex MakeEntityIndex() {
  EntityIndex index;
  for (std::string_view e : kEntities) ++index.begin[static_cast<unsigned char>(e[1]) + 1];
  for (int b = 0; b < 256; ++b) index.begin[b + 1] += index.begin[b];
  std::array<uint16_t, 256> next{};
  for (int b = 0; b < 256; ++b) next[b] = index.begin[b];
  for (int i = 0; i < kEntityCount; ++i)
    index.order[next[static_cast<unsigned char>(kEntities[i][1])]++] = static_cast<uint8_t>(i);
  return index;
}

constexpr EntityIndex kEntityIndex = MakeEntityIndex();

}  // namespace

TtkTokenKind ClassifyTagName(std::string_view text, int& length, bool utf8) {
  const KeyHashResult key = KeyHash(text, utf8);
  length = key.length;
  if (key.hash >= kTagSlotCount) return tkIdentifier;
  for (int i = kTagTable.begin[key.hash]; i < kTagTable.begin[key.hash + 1]; ++i)
    if (SameName(text.data(), key.length, kTagTable.entries[i])) return tkKey;
  return tkUndefKey;
}

int FindEntity(std::string_view text) {
  if (text.size() < 2 || text[0] != '&') return -1;
  const unsigned char second = static_cast<unsigned char>(text[1]);
  for (int k = kEntityIndex.begin[second]; k < kEntityIndex.begin[second + 1]; ++k) {
    const int i = kEntityIndex.order[k];
    if (text.starts_with(kEntities[i])) return i;
  }
  return -1;
}

std::string_view EntityName(int index) {
  return index >= 0 && index < kEntityCount ? kEntities[index] : std::string_view();
}

}  // namespace kw
