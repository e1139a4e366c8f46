// The HTML line lexer: a byte dispatch table plus one scanner per range.
#include "highlight/html_highlighter.h"

#include <algorithm>
#include <climits>

#include "highlight/html_tables.h"

namespace kw {

namespace {

constexpr const char* kDefaultFilter = "HTML Documents (*.htm;*.html)|*.htm;*.html";

enum Handler : uint8_t {
  hNull,
  hSpace,
  hLF,
  hCR,
  hQuote,
  hAmpersand,
  hLessThan,
  hEquals,
  hGreaterThan,
  hIdent,
};

constexpr std::array<Handler, 256> MakeDispatchTable() {
  std::array<Handler, 256> t{};
  t.fill(hIdent);
  for (unsigned c = 0x01; c <= 0x20; ++c) t[c] = hSpace;
  t[0x00] = hNull;
  t['\n'] = hLF;
  t['\r'] = hCR;
  t['"'] = hQuote;
  t['\''] = hQuote;
  t['&'] = hAmpersand;
  t['<'] = hLessThan;
  t['='] = hEquals;
  t['>'] = hGreaterThan;
  return t;
}

constexpr std::array<Handler, 256> kDispatch = MakeDispatchTable();

// Bytes a scan moves over. NUL is never among them, so a scan also stops at a
// NUL inside the line.
using ByteSet = std::array<bool, 256>;

template <class Keep>
constexpr ByteSet MakeByteSet(Keep keep) {
  ByteSet s{};
  for (unsigned c = 1; c < 256; ++c) s[c] = keep(c);
  return s;
}

constexpr ByteSet kTextBytes = MakeByteSet([](unsigned c) { return c >= 0x20 && c != '&' && c != '<'; });
// Blanks after the first, but a tab starts a token of its own.
constexpr ByteSet kMoreSpaceBytes =
    MakeByteSet([](unsigned c) { return c <= 0x20 && c != '\t' && c != '\n' && c != '\r'; });
constexpr ByteSet kUnquotedValueBytes = MakeByteSet([](unsigned c) { return c > 0x20 && c != '>'; });
constexpr ByteSet kWordBytes = MakeByteSet([](unsigned c) { return c > 0x20 && c != '"' && c != '=' && c != '>'; });
constexpr ByteSet kDecimalDigits = MakeByteSet([](unsigned c) { return c >= '0' && c <= '9'; });
constexpr ByteSet kHexDigits =
    MakeByteSet([](unsigned c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); });

int SkipOver(const char* line, int length, int from, const ByteSet& bytes) {
  while (from < length && bytes[static_cast<unsigned char>(line[from])]) ++from;
  return from;
}

bool IsLineEnd(unsigned char c) { return c == 0 || c == '\n' || c == '\r'; }

}  // namespace

THTMLHighlighter::THTMLHighlighter()
    : CommentAttri{"Comment", std::nullopt, std::nullopt, 0},
      IdentifierAttri{"Identifier", std::nullopt, std::nullopt, fsBold},
      KeyAttri{"Reserved Word", 0x8000FF, std::nullopt, fsBold},
      SpaceAttri{"Space", std::nullopt, std::nullopt, 0},
      SymbolAttri{"Symbol", std::nullopt, std::nullopt, fsBold},
      TextAttri{"Text", std::nullopt, std::nullopt, 0},
      UndefKeyAttri{"Unknown Word", 0xFF0000, std::nullopt, fsBold},
      ValueAttri{"Value", 0x0080FF, std::nullopt, 0},
      AndAttri{"Escape Ampersand", 0x00FF00, std::nullopt, fsBold},
      DefaultFilter(kDefaultFilter) {}

void THTMLHighlighter::SetLine(std::string_view line, int /*lineIndex*/) {
  line_ = line.data();
  lineLength_ = static_cast<int>(std::min<size_t>(line.size(), INT_MAX));
  run_ = 0;
  // An entity found on another line says nothing about this one.
  entityIndex_ = -1;
  Next();
}

void THTMLHighlighter::Next() {
  tokenStart_ = run_;
  switch (range_) {
    case rsComment:
      CommentProc();
      break;
    case rsText:
      TextProc();
      break;
    case rsSingleQuotedValue:
    case rsDoubleQuotedValue:
      if (IsLineEnd(At(run_)))
        Dispatch();
      else
        QuoteProc();
      break;
    default:
      Dispatch();
      break;
  }
}

bool THTMLHighlighter::GetEol() const { return tokenKind_ == tkNull; }

std::string THTMLHighlighter::GetToken() const {
  return std::string(line_ + tokenStart_, static_cast<size_t>(run_ - tokenStart_));
}

int THTMLHighlighter::GetTokenPos() const { return tokenStart_; }
int THTMLHighlighter::GetTokenLength() const { return run_ - tokenStart_; }
int THTMLHighlighter::GetTokenKind() const { return tokenKind_; }
const THighlighterAttributes* THTMLHighlighter::GetTokenAttribute() const { return AttributeOf(tokenKind_); }
int THTMLHighlighter::GetRange() const { return range_; }

void THTMLHighlighter::SetRange(int range) {
  range_ = range >= rsText && range <= rsEntity ? static_cast<TRangeState>(range) : rsText;
}

void THTMLHighlighter::ResetRange() { range_ = rsText; }

const THighlighterAttributes* THTMLHighlighter::GetDefaultAttribute(int role) const {
  switch (role) {
    case 0:
      return &CommentAttri;
    case 1:
      return &IdentifierAttri;
    case 2:
      return &KeyAttri;
    case 4:
      return &SpaceAttri;
    case 5:
      return &SymbolAttri;
    default:
      return nullptr;
  }
}

const IdentCharTable& THTMLHighlighter::GetIdentChars() const { return utf8_ ? kUtf8IdentChars : kHtmlIdentChars; }

std::string THTMLHighlighter::GetSampleSource() const {
  return "<!-- Syntax highlighting -->\r\n"
         "\r\n"
         "<html>\r\n"
         "<body bgcolor=\"red\">\r\n"
         "  <form name=\"frmLogin\" action=\"doSomething.asp\">\r\n"
         "    <input name=\"user\" value='any\r\n"
         "      value'>\r\n"
         "  </form>\r\n"
         "  <invalid>Sample HTML code &copy; 2001</invalid>\r\n"
         "</body>\r\n"
         "</html>";
}

std::string THTMLHighlighter::GetLanguageName() const { return "HTML"; }

bool THTMLHighlighter::IsFilterStored() const { return DefaultFilter != kDefaultFilter; }

const THighlighterAttributes* THTMLHighlighter::AttributeOf(int tokenKind) const {
  switch (tokenKind) {
    case tkAmpersand:
      return &AndAttri;
    case tkComment:
      return &CommentAttri;
    case tkIdentifier:
      return &IdentifierAttri;
    case tkKey:
      return &KeyAttri;
    case tkSpace:
      return &SpaceAttri;
    case tkSymbol:
      return &SymbolAttri;
    case tkText:
      return &TextAttri;
    case tkUndefKey:
      return &UndefKeyAttri;
    case tkValue:
      return &ValueAttri;
    default:
      return nullptr;
  }
}

std::string_view THTMLHighlighter::Rest() const {
  return std::string_view(line_ + run_, static_cast<size_t>(lineLength_ - run_));
}

void THTMLHighlighter::Dispatch() {
  switch (kDispatch[At(run_)]) {
    case hNull:
      NullProc();
      break;
    case hSpace:
      SpaceProc();
      break;
    case hLF:
      LFProc();
      break;
    case hCR:
      CRProc();
      break;
    case hQuote:
      QuoteProc();
      break;
    case hAmpersand:
      AmpersandProc();
      break;
    case hLessThan:
      LessThanProc();
      break;
    case hEquals:
      EqualsProc();
      break;
    case hGreaterThan:
      GreaterThanProc();
      break;
    case hIdent:
      IdentProc();
      break;
  }
}

void THTMLHighlighter::NullProc() { tokenKind_ = tkNull; }

void THTMLHighlighter::SpaceProc() {
  tokenKind_ = tkSpace;
  run_ = SkipOver(line_, lineLength_, run_ + 1, kMoreSpaceBytes);
}

void THTMLHighlighter::LFProc() {
  tokenKind_ = tkSpace;
  ++run_;
}

void THTMLHighlighter::CRProc() {
  tokenKind_ = tkSpace;
  ++run_;
  if (At(run_) == '\n') ++run_;
}

void THTMLHighlighter::LessThanProc() {
  ++run_;
  if (At(run_) == '!' && At(run_ + 1) == '-' && At(run_ + 2) == '-') {
    tokenKind_ = tkComment;
    range_ = rsComment;
    run_ += 3;
  } else {
    tokenKind_ = tkSymbol;
    range_ = rsTagName;
  }
}

void THTMLHighlighter::GreaterThanProc() {
  tokenKind_ = tkSymbol;
  range_ = rsText;
  ++run_;
}

void THTMLHighlighter::EqualsProc() {
  tokenKind_ = tkSymbol;
  range_ = rsValue;
  ++run_;
}

// The "--" before the closing '>' may belong to the previous token ("<!-->"),
// but never to the previous line.
void THTMLHighlighter::CommentProc() {
  if (IsLineEnd(At(run_))) {
    Dispatch();
    return;
  }
  tokenKind_ = tkComment;
  for (unsigned char c; !IsLineEnd(c = At(run_));) {
    ++run_;
    if (c == '>' && run_ >= 3 && line_[run_ - 2] == '-' && line_[run_ - 3] == '-') {
      range_ = rsText;
      return;
    }
  }
}

void THTMLHighlighter::IdentProc() {
  switch (range_) {
    case rsTagName: {
      range_ = rsAttributes;
      int length = 0;
      tokenKind_ = ClassifyTagName(Rest(), length, utf8_);
      run_ += length;
      break;
    }
    case rsValue:
      range_ = rsAttributes;
      tokenKind_ = tkValue;
      run_ = SkipOver(line_, lineLength_, run_ + 1, kUnquotedValueBytes);
      break;
    default:
      tokenKind_ = tkIdentifier;
      run_ = SkipOver(line_, lineLength_, run_ + 1, kWordBytes);
      break;
  }
}

void THTMLHighlighter::QuoteProc() {
  unsigned char closing;
  if (range_ == rsSingleQuotedValue) {
    closing = '\'';
  } else if (range_ == rsDoubleQuotedValue) {
    closing = '"';
  } else if (range_ == rsValue) {
    closing = At(run_);
    range_ = closing == '"' ? rsDoubleQuotedValue : rsSingleQuotedValue;
    ++run_;
  } else {
    IdentProc();
    return;
  }
  tokenKind_ = tkValue;
  for (unsigned char c; !IsLineEnd(c = At(run_));) {
    ++run_;
    if (c == closing) {
      range_ = rsAttributes;
      return;
    }
  }
}

// From the '#' of "&#": an 'x' or 'X' and hexadecimal digits, or decimal digits.
void THTMLHighlighter::SkipNumericReference() {
  ++run_;
  if (At(run_) == 'x' || At(run_) == 'X')
    run_ = SkipOver(line_, lineLength_, run_ + 1, kHexDigits);
  else
    run_ = SkipOver(line_, lineLength_, run_, kDecimalDigits);
}

void THTMLHighlighter::AmpersandProc() {
  if (range_ == rsTagName) {
    tokenKind_ = tkText;
    range_ = rsText;
    ++run_;
    return;
  }
  if (range_ != rsEntity) {
    IdentProc();
    return;
  }
  // The index is checked against the bytes because a range set from outside
  // can put the lexer in rsEntity on an '&' that the text scanner never saw;
  // such an '&' without a numeric reference is plain text.
  const std::string_view entity = EntityName(entityIndex_);
  if (!entity.empty() && Rest().starts_with(entity)) {
    tokenKind_ = tkAmpersand;
    run_ += static_cast<int>(entity.size());
  } else if (At(run_ + 1) == '#') {
    ++run_;
    SkipNumericReference();
    if (At(run_) == ';') {
      ++run_;
      tokenKind_ = tkAmpersand;
    } else {
      tokenKind_ = tkText;
    }
  } else {
    tokenKind_ = tkText;
    ++run_;
  }
  entityIndex_ = -1;
  range_ = rsText;
}

void THTMLHighlighter::TextProc() {
  const unsigned char first = At(run_);
  if (first < 0x20 || first == '<') {
    Dispatch();
    return;
  }
  tokenKind_ = tkText;
  for (;;) {
    run_ = SkipOver(line_, lineLength_, run_, kTextBytes);
    if (At(run_) != '&') return;
    if (At(run_ + 1) == '#') {
      entityIndex_ = -1;
      const int ampersand = run_;
      ++run_;
      SkipNumericReference();
      if (At(run_) == ';') {
        run_ = ampersand;
        range_ = rsEntity;
      }
      return;
    }
    entityIndex_ = FindEntity(Rest());
    if (entityIndex_ >= 0) {
      range_ = rsEntity;
      return;
    }
    ++run_;
  }
}

}  // namespace kw
