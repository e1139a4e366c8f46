// The rules of the window-position store: the five stored values, the store's
// file name and where it lives, and how restored bounds are kept on screen.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

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

// A value that is not a number reads as its default.
TFormPosition ReadFormPosition(const IniFile& ini, std::string_view section);
// Keys Left, Top, Width, Height, WindowState, in that order. Throws the INI
// file's "Unable to write to ..." error.
void WriteFormPosition(IniFile& ini, std::string_view section, const TFormPosition& position);

// The state that restoring puts on the window.
TWindowState AppliedState(TWindowState stored);
// False only when all four bounds are -1: the window keeps its designed bounds.
bool HasStoredBounds(const TFormPosition& position);
// Moves the window left until its right edge meets the screen's, then up
// until its bottom edge does. Edges beyond the left or top are left alone.
TWindowBounds ClampToScreen(TWindowBounds window, int32_t screenWidth, int32_t screenHeight);

// The executable's file name without its folder, its extension replaced by ".ini".
std::string DefaultNameKey(const std::string& executablePath);
// nameKey with ".ini" appended unless its extension already is ".ini" in any case.
std::string WithIniExtension(const std::string& nameKey);
// A name without a folder lives in $XDG_CONFIG_HOME (default ~/.config);
// a name with one is used as it is.
std::string FormPositionStorePath(const std::string& nameKey);

}  // namespace kw
