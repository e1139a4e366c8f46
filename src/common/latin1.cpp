#include "common/latin1.h"

namespace kw {

std::string LowerLatin1(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = LowerLatin1(c);
  return out;
}

bool EqualIgnoringCaseLatin1(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (LowerLatin1(a[i]) != LowerLatin1(b[i])) return false;
  return true;
}

}  // namespace kw
