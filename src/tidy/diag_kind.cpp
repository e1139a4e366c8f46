#include "tidy/diag_kind.h"

namespace kw {

DiagKind KindOf(std::string_view message) {
  while (!message.empty() && message.front() == ' ') message.remove_prefix(1);
  const struct {
    std::string_view level;
    DiagKind kind;
  } levels[] = {{"Error:", DiagKind::Error},   {"Warning:", DiagKind::Warning}, {"Info:", DiagKind::Info},
                {"Access:", DiagKind::Access}, {"Config:", DiagKind::Config},   {"Document:", DiagKind::Error},
                {"Panic:", DiagKind::Error}};
  for (const auto& l : levels)
    if (message.substr(0, l.level.size()) == l.level) return l.kind;
  return DiagKind::Other;
}

}  // namespace kw
