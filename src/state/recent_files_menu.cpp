#include "state/recent_files_menu.h"

#include <QAction>
#include <QMenu>
#include <QFile>
#include <algorithm>
#include <exception>

#include "common/program_dir.h"
#include "widgets/user_dialogs.h"

namespace kw {

namespace {

bool IsEntry(const QAction* action) { return action->data().toUInt() == TMostRecentFiles::kEntryTag; }

}  // namespace

TMostRecentFiles::TMostRecentFiles(QObject* owner) : QObject(owner) {}

TMostRecentFiles::~TMostRecentFiles() {
  // Without an end of loading the list never came from a store, so it has no
  // business overwriting one.
  if (!loaded_) return;
  try {
    SaveToIni();
  } catch (const std::exception&) {
    // Nobody is left to tell at program end.
  }
}

void TMostRecentFiles::Loaded() {
  loading_ = false;
  loaded_ = true;
  LoadFromIni();
}

void TMostRecentFiles::SetMaxFiles(uint32_t value) {
  if (list_.SetMaxFiles(value)) RebuildMenu();
}

void TMostRecentFiles::SetShowFullPath(bool value) {
  if (value == showFullPath_) return;
  showFullPath_ = value;
  RebuildMenu();
}

void TMostRecentFiles::SetOwnerMenuItem(QMenu* menu) {
  owner_ = menu;
  if (!loading_) RebuildMenu();
}

void TMostRecentFiles::SetIniFile(const std::string& path) {
  iniFile_ = path;
  if (!loading_) LoadFromIni();
}

void TMostRecentFiles::AddFile(const std::string& fileName) {
  if (!owner_) return;
  if (list_.Add(fileName)) RebuildMenu();
}

std::string TMostRecentFiles::IniFileName() const {
  // The program directory stands in for the executable's folder, which a
  // system-wide install cannot write to.
  if (iniFile_.find('/') != std::string::npos) return iniFile_;
  return ResolveRecentFilesIni(iniFile_, ResolveProgramDir(), ExecutableName());
}

void TMostRecentFiles::LoadFromIni() {
  list_.LoadFromIni(IniFileName());
  RebuildMenu();
}

void TMostRecentFiles::SaveToIni() const { list_.SaveToIni(IniFileName()); }

QAction* TMostRecentFiles::NewEntry(const QString& text) {
  auto* action = new QAction(text, owner_);
  action->setData(kEntryTag);
  return action;
}

void TMostRecentFiles::RebuildMenu() {
  if (!owner_) return;
  const QList<QAction*> before = owner_->actions();
  for (auto it = before.rbegin(); it != before.rend(); ++it) {
    if (!IsEntry(*it)) continue;
    owner_->removeAction(*it);
    // A click may be rebuilding the menu under its own entry.
    (*it)->deleteLater();
  }
  const std::vector<std::string>& files = list_.Files();
  if (files.empty()) return;

  const QList<QAction*> children = owner_->actions();
  auto insertAt = [&](qsizetype p, QAction* action) {
    owner_->insertAction(p < owner_->actions().size() ? owner_->actions().at(p) : nullptr, action);
  };
  qsizetype p = std::min<qsizetype>(MenuPosition, children.size());
  if (p > 0 && !children.at(p - 1)->isSeparator()) {
    QAction* separator = NewEntry({});
    separator->setSeparator(true);
    insertAt(p++, separator);
  }
  for (size_t i = 0; i < files.size(); ++i) {
    QAction* entry = NewEntry(QFile::decodeName(QByteArray::fromStdString(RecentFileCaption(i, files[i], showFullPath_))));
    connect(entry, &QAction::triggered, this, [this, entry] { MenuItemClick(entry); });
    insertAt(p++, entry);
  }
  const QList<QAction*> after = owner_->actions();
  if (p < after.size() && !after.at(p)->isSeparator()) {
    QAction* separator = NewEntry({});
    separator->setSeparator(true);
    insertAt(p, separator);
  }
}

void TMostRecentFiles::MenuItemClick(QAction* sender) {
  if (!OnMenuClick || !sender || !owner_) return;
  const QList<QAction*> children = owner_->actions();
  const qsizetype clicked = children.indexOf(sender);
  const auto firstEntry = std::find_if(children.begin(), children.end(), IsEntry);
  if (clicked < 0 || firstEntry == children.end()) return;
  const qsizetype first = (firstEntry - children.begin()) + ((*firstEntry)->isSeparator() ? 1 : 0);
  const qsizetype index = clicked - first;
  if (index < 0 || static_cast<size_t>(index) >= list_.Files().size()) return;

  const std::string fileName = list_.Files()[static_cast<size_t>(index)];
  if (!IsExistingFile(fileName)) {
    ReportMissingFile(sender, fileName);
    list_.Remove(static_cast<size_t>(index));
    RebuildMenu();
    return;
  }
  if (index > 0) {
    list_.MoveToTop(static_cast<size_t>(index));
    RebuildMenu();
  }
  OnMenuClick(sender, fileName);
}

void TMostRecentFiles::ReportMissingFile(QAction* sender, const std::string& fileName) {
  if (OnFileNotExist) {
    OnFileNotExist(sender, fileName);
    return;
  }
  if (!dialogs_) return;
  auto* window = qobject_cast<QWidget*>(parent());
  dialogs_->Inform(window ? window->window() : nullptr,
                   QFile::decodeName(QByteArray::fromStdString("The file ...\n\"" + fileName + "\"\nno longer exists.")));
}

}  // namespace kw
