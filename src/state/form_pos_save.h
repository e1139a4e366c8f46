// The window-position component: brings its owner window back to the place,
// size and state it was left in, and keeps them as the window is destroyed.
#pragma once

#include <QObject>
#include <cstdint>
#include <functional>
#include <string>

#include "state/form_position.h"

class QWidget;

namespace kw {

class TFormPosSave : public QObject {
  Q_OBJECT

 public:
  using TNotifyEvent = std::function<void(QObject* sender)>;
  using TOnReadIniEvent =
      std::function<void(int32_t& Left, int32_t& Top, int32_t& Width, int32_t& Height, TWindowState& WindowState)>;
  using TOnWriteIniEvent = TOnReadIniEvent;

  // owner is the window whose position is kept, and its parent here;
  // ownerOnDestroy is its destroy event, which the owner raises first thing
  // in its destructor.
  TFormPosSave(QWidget* owner, TNotifyEvent& ownerOnDestroy);

  // The INI file's name; a name without a folder lives in $XDG_CONFIG_HOME.
  std::string NameKey;
  // Only the INI store exists here: without it nothing is read or written.
  bool UseIniFile = false;
  // Raised with the values read, before they are applied; may change them.
  TOnReadIniEvent OnReadIni;
  // Raised with the values taken from the window, before they are written; may change them.
  TOnWriteIniEvent OnWriteIni;

  // End of the owner's construction: reads and applies the stored position,
  // then puts OwnerDestroyed in place of the owner's destroy handler.
  void Loaded();
  // Writes the position, then calls the owner's own destroy handler. A
  // failed write throws, and the owner's handler is not called.
  void OwnerDestroyed(QObject* sender);
  void ReadFromIni();
  void WriteToIni();
  void ApplyPosition(TWindowState windowState, int32_t Left, int32_t Top, int32_t Width, int32_t Height);
  // The running executable's name with ".ini" for its extension.
  static std::string DefaultNameKey();

 private:
  // The owner's component name: the INI section.
  std::string Section() const;

  QWidget* owner_;
  TNotifyEvent& ownerOnDestroy_;
  TNotifyEvent previousOnDestroy_;
};

}  // namespace kw
