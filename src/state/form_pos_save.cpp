#include "state/form_pos_save.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <vector>

#include "state/ini_file.h"
#include "common/program_dir.h"

namespace kw {

namespace {

// The primary screen first, as the clamp falls back to the first.
std::vector<TWindowBounds> AvailableScreens() {
  std::vector<TWindowBounds> screens;
  for (const QScreen* screen : QGuiApplication::screens()) {
    const QRect r = screen->availableGeometry();
    screens.push_back({r.x(), r.y(), r.width(), r.height()});
  }
  return screens;
}

// Zero until the window manager has framed the window, which it may not have yet.
FrameMargins FrameOf(const QWidget& window) {
  const QRect framed = window.frameGeometry(), inner = window.geometry();
  return {inner.left() - framed.left(), inner.top() - framed.top(), framed.right() - inner.right(),
          framed.bottom() - inner.bottom()};
}

TWindowState StateOf(const QWidget& window) {
  // A window minimized from maximized carries both flags; it is minimized.
  if (window.isMinimized()) return TWindowState::wsMinimized;
  if (window.isMaximized()) return TWindowState::wsMaximized;
  return TWindowState::wsNormal;
}

}  // namespace

TFormPosSave::TFormPosSave(QWidget* owner, TNotifyEvent& ownerOnDestroy)
    : QObject(owner), owner_(owner), ownerOnDestroy_(ownerOnDestroy) {}

std::string TFormPosSave::DefaultNameKey() { return kw::DefaultNameKey(ExecutablePath()); }

std::string TFormPosSave::Section() const { return owner_->objectName().toLatin1().toStdString(); }

void TFormPosSave::Loaded() {
  if (NameKey.empty()) NameKey = DefaultNameKey();
  if (UseIniFile) ReadFromIni();
  previousOnDestroy_ = std::move(ownerOnDestroy_);
  ownerOnDestroy_ = [this](QObject* sender) { OwnerDestroyed(sender); };
}

void TFormPosSave::OwnerDestroyed(QObject* sender) {
  if (UseIniFile) WriteToIni();
  if (previousOnDestroy_) previousOnDestroy_(sender);
}

void TFormPosSave::ReadFromIni() {
  const IniFile ini(FormPositionStorePath(NameKey));
  TFormPosition p = ReadFormPosition(ini, Section());
  if (OnReadIni) OnReadIni(p.Left, p.Top, p.Width, p.Height, p.WindowState);
  ApplyPosition(p.WindowState, p.Left, p.Top, p.Width, p.Height);
}

void TFormPosSave::WriteToIni() {
  if (NameKey.empty()) NameKey = DefaultNameKey();
  NameKey = WithIniExtension(NameKey);
  TFormPosition p{owner_->x(), owner_->y(), owner_->width(), owner_->height(), StateOf(*owner_)};
  if (OnWriteIni) OnWriteIni(p.Left, p.Top, p.Width, p.Height, p.WindowState);
  const std::string path = FormPositionStorePath(NameKey);
  // A first run may find no configuration folder yet.
  if (path != NameKey) CreateFolders(path.substr(0, path.rfind('/')));
  IniFile ini(path);
  WriteFormPosition(ini, Section(), p);
}

void TFormPosSave::ApplyPosition(TWindowState windowState, int32_t Left, int32_t Top, int32_t Width, int32_t Height) {
  const TWindowState state = AppliedState(windowState);
  if (state == TWindowState::wsNormal) {
    owner_->setWindowState(Qt::WindowNoState);
    if (HasStoredBounds({Left, Top, Width, Height})) {
      owner_->move(Left, Top);
      owner_->resize(Width, Height);
    }
  }
  // Clamped before a state is set, because moving a maximized window makes
  // it normal again; the size limits may have changed what was asked for,
  // so it is what the window has that is clamped.
  const TWindowBounds now{owner_->x(), owner_->y(), owner_->width(), owner_->height()};
  const TWindowBounds kept = ClampToScreens(now, FrameOf(*owner_), AvailableScreens());
  // Should the minimum size hold it larger, its title bar is on the screen all the same.
  if (kept.Width != now.Width || kept.Height != now.Height) owner_->resize(kept.Width, kept.Height);
  if (kept.Left != now.Left || kept.Top != now.Top) owner_->move(kept.Left, kept.Top);
  if (state == TWindowState::wsMinimized) owner_->setWindowState(Qt::WindowMinimized);
  if (state == TWindowState::wsMaximized) owner_->setWindowState(Qt::WindowMaximized);
}

}  // namespace kw
