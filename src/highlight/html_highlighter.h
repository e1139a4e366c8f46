// The HTML highlighter: a line lexer driven by a 256-entry byte dispatch
// table, whose range carries comments, open tags and quoted values from one
// line to the next.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "highlight/ident_chars.h"

namespace kw {

enum TtkTokenKind {
  tkAmpersand,
  tkComment,
  tkIdentifier,
  tkKey,
  tkNull,
  tkSpace,
  tkSymbol,
  tkText,
  tkUndefKey,
  tkValue,
};
inline constexpr int kTokenKindCount = tkValue + 1;

enum TRangeState {
  rsText,
  rsComment,
  rsTagName,
  rsAttributes,
  rsValue,
  rsSingleQuotedValue,
  rsDoubleQuotedValue,
  rsEntity,
};

enum TFontStyle : unsigned { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };

// How the editor paints one kind of token. A colour is 0xRRGGBB; none means
// the editor's own colour.
struct THighlighterAttributes {
  std::string Name;
  std::optional<uint32_t> Foreground;
  std::optional<uint32_t> Background;
  unsigned Style = 0;  // TFontStyle bits
};

class THTMLHighlighter {
 public:
  THTMLHighlighter();
  THTMLHighlighter(const THTMLHighlighter&) = delete;
  THTMLHighlighter& operator=(const THTMLHighlighter&) = delete;

  // The line without its break; it must stay valid and unchanged while it
  // is scanned. Nothing past its end is read. Scans the first token.
  void SetLine(std::string_view line, int lineIndex);
  void Next();
  bool GetEol() const;
  std::string GetToken() const;
  int GetTokenPos() const;
  int GetTokenLength() const;
  int GetTokenKind() const;
  // Null for tkNull.
  const THighlighterAttributes* GetTokenAttribute() const;
  int GetRange() const;
  // A value that GetRange never returns counts as rsText.
  void SetRange(int range);
  void ResetRange();

  // Reads bytes 0x80-0xFF as parts of UTF-8 characters, which are letters
  // wherever ASCII letters are, instead of as ISO-8859-1 characters: names
  // and words then never end inside a character. Off at first.
  void SetUtf8(bool utf8) { utf8_ = utf8; }
  bool Utf8() const { return utf8_; }

  const THighlighterAttributes* GetDefaultAttribute(int role) const;
  // The word bytes of the current reading.
  const IdentCharTable& GetIdentChars() const;
  std::string GetSampleSource() const;
  std::string GetLanguageName() const;
  bool IsFilterStored() const;

  // The attribute that paints a token kind; null for tkNull.
  const THighlighterAttributes* AttributeOf(int tokenKind) const;

  // In the order they are registered: Comment, Identifier, Key, Space,
  // Symbol, Text, UndefKey, Value, And.
  THighlighterAttributes CommentAttri;
  THighlighterAttributes IdentifierAttri;
  THighlighterAttributes KeyAttri;
  THighlighterAttributes SpaceAttri;
  THighlighterAttributes SymbolAttri;
  THighlighterAttributes TextAttri;
  THighlighterAttributes UndefKeyAttri;
  THighlighterAttributes ValueAttri;
  THighlighterAttributes AndAttri;
  std::string DefaultFilter;

 private:
  // The byte at i; at or past the line's end it reads as NUL, which ends the
  // line exactly as a NUL inside it does.
  unsigned char At(int i) const { return i < lineLength_ ? static_cast<unsigned char>(line_[i]) : 0; }
  std::string_view Rest() const;

  void Dispatch();
  void NullProc();
  void SpaceProc();
  void LFProc();
  void CRProc();
  void QuoteProc();
  void AmpersandProc();
  void LessThanProc();
  void EqualsProc();
  void GreaterThanProc();
  void IdentProc();
  void CommentProc();
  void TextProc();
  void SkipNumericReference();

  const char* line_ = "";
  int lineLength_ = 0;
  int run_ = 0;
  int tokenStart_ = 0;
  TtkTokenKind tokenKind_ = tkNull;
  TRangeState range_ = rsText;
  int entityIndex_ = -1;
  bool utf8_ = false;
};

}  // namespace kw
