#include "state/form_position.h"

#include <algorithm>

#include "state/ini_file.h"
#include "common/program_dir.h"

namespace kw {

namespace {

// Position of the extension's '.', or npos when the file name has none.
size_t ExtensionStart(const std::string& path) {
  const size_t dot = path.rfind('.');
  const size_t slash = path.rfind('/');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return std::string::npos;
  return dot;
}

bool IsIniExtension(std::string_view ext) {
  constexpr std::string_view kIni = ".ini";
  return ext.size() == kIni.size() &&
         std::equal(ext.begin(), ext.end(), kIni.begin(), [](char a, char b) {
           return (a >= 'A' && a <= 'Z' ? a - 'A' + 'a' : a) == b;
         });
}

}  // namespace

TFormPosition ReadFormPosition(const IniFile& ini, std::string_view section) {
  TFormPosition p;
  p.Left = ini.ReadInteger(section, "Left", -1);
  p.Top = ini.ReadInteger(section, "Top", -1);
  p.Width = ini.ReadInteger(section, "Width", -1);
  p.Height = ini.ReadInteger(section, "Height", -1);
  p.WindowState = static_cast<TWindowState>(ini.ReadInteger(section, "WindowState", 0));
  return p;
}

void WriteFormPosition(IniFile& ini, std::string_view section, const TFormPosition& position) {
  ini.WriteInteger(section, "Left", position.Left);
  ini.WriteInteger(section, "Top", position.Top);
  ini.WriteInteger(section, "Width", position.Width);
  ini.WriteInteger(section, "Height", position.Height);
  ini.WriteInteger(section, "WindowState", static_cast<int32_t>(position.WindowState));
}

TWindowState AppliedState(TWindowState stored) {
  switch (stored) {
    case TWindowState::wsMinimized:
    case TWindowState::wsMaximized:
      return stored;
    default:
      return TWindowState::wsNormal;
  }
}

bool HasStoredBounds(const TFormPosition& p) { return (p.Left & p.Top & p.Width & p.Height) != -1; }

TWindowBounds ClampToScreens(TWindowBounds window, FrameMargins frame,
                             const std::vector<TWindowBounds>& availableScreens) {
  if (availableScreens.empty()) return window;
  // In 64 bits: stored values may be anything a user typed into the file.
  const int64_t frameWidth = int64_t{frame.Left} + frame.Right, frameHeight = int64_t{frame.Top} + frame.Bottom;
  const auto overlap = [](int64_t start, int64_t length, int64_t screenStart, int64_t screenLength) {
    return std::max<int64_t>(0, std::min(start + length, screenStart + screenLength) - std::max(start, screenStart));
  };
  const TWindowBounds* screen = &availableScreens.front();
  int64_t largest = 0;
  for (const TWindowBounds& s : availableScreens) {
    const int64_t area = overlap(window.Left, window.Width + frameWidth, s.Left, s.Width) *
                         overlap(window.Top, window.Height + frameHeight, s.Top, s.Height);
    if (area > largest) largest = area, screen = &s;
  }
  // Shrinks, then moves the far edge in, then the near one, so the near one wins.
  const auto fit = [](int32_t& start, int32_t& length, int64_t frameLength, int64_t screenStart, int64_t screenLength) {
    if (length + frameLength > screenLength)
      length = static_cast<int32_t>(std::max<int64_t>(0, screenLength - frameLength));
    const int64_t farthest = screenStart + screenLength - (length + frameLength);
    start = static_cast<int32_t>(std::max(std::min<int64_t>(start, farthest), screenStart));
  };
  fit(window.Left, window.Width, frameWidth, screen->Left, screen->Width);
  fit(window.Top, window.Height, frameHeight, screen->Top, screen->Height);
  return window;
}

std::string DefaultNameKey(const std::string& executablePath) {
  std::string name = executablePath.substr(executablePath.rfind('/') + 1);
  const size_t dot = ExtensionStart(name);
  if (dot != std::string::npos) name.erase(dot);
  return name + ".ini";
}

std::string WithIniExtension(const std::string& nameKey) {
  const size_t dot = ExtensionStart(nameKey);
  if (dot != std::string::npos && IsIniExtension(std::string_view(nameKey).substr(dot))) return nameKey;
  return nameKey + ".ini";
}

std::string FormPositionStorePath(const std::string& nameKey) {
  if (nameKey.find('/') != std::string::npos) return nameKey;
  return XdgBaseDir("XDG_CONFIG_HOME", ".config") + "/" + nameKey;
}

}  // namespace kw
