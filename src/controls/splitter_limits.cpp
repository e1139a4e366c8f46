#include "controls/splitter_limits.h"

#include <algorithm>

namespace kw {

int ClampSplitPanelHeight(int requested, int available, int minSize) {
  const int largest = std::max(available - minSize, minSize);
  return std::clamp(requested, minSize, largest);
}

}  // namespace kw
