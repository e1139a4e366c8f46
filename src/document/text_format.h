// The on-disk text format of a document: bytes as they are, lines broken at
// CR, LF or CR LF, and the one break style that the file is saved with.
#pragma once

#include <cstddef>
#include <string_view>

#include "common/safe_write.h"

namespace kw {

enum class BreakStyle { CR, LF, CRLF };

// The bytes of a break of the given style: "\r", "\n" or "\r\n".
std::string_view BreakText(BreakStyle style);

// Learns the break style of a text that arrives in pieces, as it is read from
// disk. Only CR breaks gives CR; only LF breaks gives LF; anything else (CR LF
// breaks, a mixture, or no break at all) gives CRLF. A CR at the end of one
// piece followed by an LF at the start of the next is one CR LF break; LF
// followed by CR is two breaks.
class BreakStyleDetector {
 public:
  void Feed(std::string_view piece);
  BreakStyle Result() const;

 private:
  bool pendingCr_ = false;  // the last byte fed was a CR
  bool sawCr_ = false;      // a CR that is not followed by LF
  bool sawLf_ = false;      // an LF that does not follow a CR
  bool sawCrLf_ = false;

  // Once true, more text cannot change the result.
  bool Decided() const { return sawCrLf_ || (sawCr_ && sawLf_); }
};

BreakStyle DetectBreakStyle(std::string_view text);

// Writes text to sink with every break (CR, LF or CR LF) in the given style.
// Text that already uses only that style goes out in one piece.
void WriteWithBreaks(std::string_view text, BreakStyle style, ContentSink& sink);

}  // namespace kw
