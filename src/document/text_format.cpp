#include "document/text_format.h"

#include <cstring>
#include <memory>
#include <optional>

namespace kw {

namespace {

// Two memchr cursors, one per break byte: each is only moved on once the scan
// has passed it, so every byte is looked at a bounded number of times.
class BreakFinder {
 public:
  explicit BreakFinder(std::string_view text)
      : text_(text), cr_(Find('\r', 0)), lf_(Find('\n', 0)) {}

  // Position of the next CR or LF at or after from; size() when there is none.
  size_t Next(size_t from) {
    if (cr_ < from) cr_ = Find('\r', from);
    if (lf_ < from) lf_ = Find('\n', from);
    return cr_ < lf_ ? cr_ : lf_;
  }

  // Length of the break at pos: 2 for CR LF, else 1.
  size_t BreakLength(size_t pos) const {
    return text_[pos] == '\r' && pos + 1 < text_.size() && text_[pos + 1] == '\n' ? 2 : 1;
  }

 private:
  size_t Find(char c, size_t from) const {
    if (from >= text_.size()) return text_.size();
    const void* hit = std::memchr(text_.data() + from, c, text_.size() - from);
    return hit ? static_cast<size_t>(static_cast<const char*>(hit) - text_.data()) : text_.size();
  }

  std::string_view text_;
  size_t cr_;
  size_t lf_;
};

// Gathers converted text so the sink sees large writes rather than one per line.
class ChunkedOutput {
 public:
  explicit ChunkedOutput(ContentSink& sink) : sink_(sink), buffer_(new char[kCapacity]) {}

  void Put(std::string_view bytes) {
    if (bytes.size() > kCapacity - used_) {
      Flush();
      if (bytes.size() >= kCapacity) {
        sink_.Write(bytes);
        return;
      }
    }
    if (!bytes.empty()) std::memcpy(buffer_.get() + used_, bytes.data(), bytes.size());
    used_ += bytes.size();
  }

  void Flush() {
    if (used_ == 0) return;
    sink_.Write(std::string_view(buffer_.get(), used_));
    used_ = 0;
  }

 private:
  static constexpr size_t kCapacity = size_t{1} << 20;
  ContentSink& sink_;
  std::unique_ptr<char[]> buffer_;
  size_t used_ = 0;
};

}  // namespace

std::string_view BreakText(BreakStyle style) {
  switch (style) {
    case BreakStyle::CR: return "\r";
    case BreakStyle::LF: return "\n";
    case BreakStyle::CRLF: break;
  }
  return "\r\n";
}

void BreakStyleDetector::Feed(std::string_view piece) {
  if (piece.empty() || Decided()) return;
  size_t pos = 0;
  if (pendingCr_) {
    pendingCr_ = false;
    if (piece[0] == '\n') {
      sawCrLf_ = true;
      pos = 1;
    } else {
      sawCr_ = true;
    }
  }
  BreakFinder finder(piece);
  while (!Decided()) {
    if (sawLf_ != sawCr_) {
      // One kind of lone break is known: any byte of the other kind makes it
      // CR LF, so the rest is one memchr (an LF file is the common case).
      const char other = sawLf_ ? '\r' : '\n';
      if (std::memchr(piece.data() + pos, other, piece.size() - pos)) sawCrLf_ = true;
      break;
    }
    const size_t at = finder.Next(pos);
    if (at == piece.size()) break;
    if (piece[at] == '\n') {
      sawLf_ = true;
      pos = at + 1;
    } else if (at + 1 == piece.size()) {
      // The next piece may start with the LF that completes it.
      pendingCr_ = true;
      break;
    } else if (piece[at + 1] == '\n') {
      sawCrLf_ = true;
      pos = at + 2;
    } else {
      sawCr_ = true;
      pos = at + 1;
    }
  }
}

BreakStyle BreakStyleDetector::Result() const {
  // A CR still waiting for its LF when the text ended is a break of its own.
  const bool cr = sawCr_ || pendingCr_;
  if (sawCrLf_ || cr == sawLf_) return BreakStyle::CRLF;
  return cr ? BreakStyle::CR : BreakStyle::LF;
}

BreakStyle DetectBreakStyle(std::string_view text) {
  BreakStyleDetector detector;
  detector.Feed(text);
  return detector.Result();
}

void WriteWithBreaks(std::string_view text, BreakStyle style, ContentSink& sink) {
  const std::string_view wanted = BreakText(style);
  BreakFinder finder(text);
  // The buffer is only needed once a break has to change; until then the text
  // is passed through untouched.
  std::optional<ChunkedOutput> out;
  size_t runStart = 0;
  size_t pos = 0;
  for (;;) {
    const size_t at = finder.Next(pos);
    if (at == text.size()) break;
    const size_t length = finder.BreakLength(at);
    if (length != wanted.size() || text[at] != wanted[0]) {
      if (!out) out.emplace(sink);
      out->Put(text.substr(runStart, at - runStart));
      out->Put(wanted);
      runStart = at + length;
    }
    pos = at + length;
  }
  if (!out) {
    if (!text.empty()) sink.Write(text);
    return;
  }
  out->Put(text.substr(runStart));
  out->Flush();
}

}  // namespace kw
