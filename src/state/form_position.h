// The rules of the window-position store: the five stored values, the store's
// file name and where it lives, and how restored bounds are kept on screen.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kw {

class IniFile;

// Stored as these numbers. Any other number read back is a normal window.
enum class TWindowState : int32_t { wsNormal = 0, wsMinimized = 1, wsMaximized = 2 };

// The five values, as read (missing keys give these defaults) or as written.
struct TFormPosition {
  int32_t Left = -1;
  int32_t Top = -1;
  int32_t Width = -1;
  int32_t Height = -1;
  TWindowState WindowState = TWindowState::wsNormal;
  bool operator==(const TFormPosition&) const = default;
};

struct TWindowBounds {
  int32_t Left = 0;
  int32_t Top = 0;
  int32_t Width = 0;
  int32_t Height = 0;
  bool operator==(const TWindowBounds&) const = default;
};

// What the window manager adds around a window's client area.
struct FrameMargins {
  int32_t Left = 0;
  int32_t Top = 0;
  int32_t Right = 0;
  int32_t Bottom = 0;
};

// A value that is not a number reads as its default.
TFormPosition ReadFormPosition(const IniFile& ini, std::string_view section);
// Keys Left, Top, Width, Height, WindowState, in that order. Throws the INI
// file's "Unable to write to ..." error.
void WriteFormPosition(IniFile& ini, std::string_view section, const TFormPosition& position);

// The state that restoring puts on the window.
TWindowState AppliedState(TWindowState stored);
// False only when all four bounds are -1: the window keeps its designed bounds.
bool HasStoredBounds(const TFormPosition& position);
// Keeps the title bar where the user can reach it. Left and Top are the
// framed window's corner, as a window is moved; Width and Height its client
// area. On the screen holding the largest part of the framed window (none: the
// first, the primary) the window shrinks until it fits with its frame, then
// moves inside; should it still not fit, its left and top edges win. A window
// that fits comes back as it was, as does any window when there are no screens.
TWindowBounds ClampToScreens(TWindowBounds window, FrameMargins frame,
                             const std::vector<TWindowBounds>& availableScreens);

// The executable's file name without its folder, its extension replaced by ".ini".
std::string DefaultNameKey(const std::string& executablePath);
// nameKey with ".ini" appended unless its extension already is ".ini" in any case.
std::string WithIniExtension(const std::string& nameKey);
// A name without a folder lives in $XDG_CONFIG_HOME (default ~/.config);
// a name with one is used as it is.
std::string FormPositionStorePath(const std::string& nameKey);

}  // namespace kw
