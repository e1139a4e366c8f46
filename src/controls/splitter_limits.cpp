#include "controls/splitter_limits.h"

#include <algorithm>

namespace kw {

int ClampSplitPanelHeight(int requested, int available, int aboveMinimum, int minSize) {
  const int largest = std::max(available - std::max(minSize, aboveMinimum), minSize);
  return std::clamp(requested, minSize, largest);
}

}  // namespace kw
