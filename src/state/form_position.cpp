#include "state/form_position.h"

#include <algorithm>
#include <cstdlib>

#include "app/ini_file.h"
#include "app/program_dir.h"

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

std::string ConfigHome() {
  // A relative $XDG_CONFIG_HOME would depend on the working directory.
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  std::string dir = xdg && xdg[0] == '/' ? xdg : HomeDir() + "/.config";
  while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
  return dir;
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

TWindowBounds ClampToScreen(TWindowBounds window, int32_t screenWidth, int32_t screenHeight) {
  // In 64 bits: stored values may be anything a user typed into the file.
  if (int64_t{window.Left} + window.Width > screenWidth)
    window.Left = static_cast<int32_t>(std::clamp<int64_t>(int64_t{screenWidth} - window.Width, INT32_MIN, INT32_MAX));
  if (int64_t{window.Top} + window.Height > screenHeight)
    window.Top = static_cast<int32_t>(std::clamp<int64_t>(int64_t{screenHeight} - window.Height, INT32_MIN, INT32_MAX));
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
  return ConfigHome() + "/" + nameKey;
}

}  // namespace kw
