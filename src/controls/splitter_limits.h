// How far the splitter between the editor and the diagnostics list may go.
#pragma once

namespace kw {

inline constexpr int kSplitterMinSize = 30;

// The height of the panel below the splitter for a drag that asks for
// requested pixels, when the panel and the area above it share available
// pixels: the panel keeps at least minSize, and the area above at least
// minSize and at least aboveMinimum, the least it can be laid out in.
int ClampSplitPanelHeight(int requested, int available, int aboveMinimum, int minSize = kSplitterMinSize);

}  // namespace kw
