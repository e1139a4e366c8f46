// The program's pictures: sixteen command icons, keyed by index, and the window icon.
#pragma once

#include <QIcon>

namespace kw {

enum CommandIcon {
  kIconOpen = 0,
  kIconRunTidy = 1,
  kIconSave = 2,
  kIconExit = 3,
  kIconCut = 4,
  kIconCopy = 5,
  kIconPaste = 6,
  kIconUndo = 7,
  kIconViewInBrowser = 8,
  kIconPage = 9,
  kIconHelp = 10,
  kIconSaveAs = 11,
  kIconFind = 12,
  kIconClose = 13,
  kIconSelectAll = 14,
  kIconWordWrap = 15,
  kCommandIconCount = 16
};

// Drawn at whatever size is asked for, so they stay sharp on any screen.
QIcon CommandIconAt(int index);
QIcon WindowIcon();

}  // namespace kw
