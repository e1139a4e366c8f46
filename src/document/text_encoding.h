// Which character encoding a document's bytes are read in: the one rule that
// the editor, the search and the tidy run all follow.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace kw {

enum class TextEncoding { Latin1, Utf8 };

// A byte that goes on a UTF-8 sequence rather than starting a character.
constexpr bool IsUtf8Continuation(unsigned char c) { return (c & 0xC0) == 0x80; }

// How far into a document a <meta> naming its character set is looked for.
inline constexpr size_t kCharsetDeclarationWindow = 4096;

// Learns a document's encoding from its bytes as they are read, in pieces.
// The document is UTF-8 when any of these holds, looked at in this order:
//   1. it begins with the UTF-8 byte order mark;
//   2. its bytes are valid UTF-8 and hold at least one multi-byte sequence;
//   3. a <meta charset=...> or a <meta http-equiv ... content="...charset=...">
//      that begins in its first kCharsetDeclarationWindow bytes names UTF-8.
// Otherwise it is ISO-8859-1. The ties: bytes that are valid multi-byte UTF-8
// win over a <meta> naming another character set (ISO-8859-1 text that
// happens to form such sequences is all but unknown), and a <meta> naming
// UTF-8 wins over bytes that are not valid UTF-8 (the page says what it is
// meant to be; the odd bad byte is kept and shown as such). Plain ASCII
// without a declaration reads the same either way and counts as ISO-8859-1.
class EncodingDetector {
 public:
  void Feed(std::string_view piece);
  TextEncoding Result() const;

 private:
  void Validate(std::string_view piece);

  std::string head_;        // the first bytes, for the BOM and the <meta>
  int pendingContinuations_ = 0;  // continuation bytes still owed by the last lead byte
  unsigned char lead_ = 0;        // that lead byte, for the second byte's narrower range
  int seenOfSequence_ = 0;        // continuation bytes already seen after it
  bool invalid_ = false;
  bool multiByte_ = false;
};

TextEncoding DetectEncoding(std::string_view bytes);

// True when the head of a document holds a <meta> that names UTF-8 as its charset.
bool DeclaresUtf8(std::string_view head);

// tidy's name of the encoding, as its --char-encoding takes it.
const char* TidyEncodingName(TextEncoding encoding);

}  // namespace kw
