// The recent-files component: the list shown as numbered entries of a menu
// and kept in an INI file between runs.
#pragma once

#include <QObject>
#include <QPointer>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "state/most_recent_files.h"
#include "state/recent_files_sink.h"

class QAction;
class QMenu;

namespace kw {

class UserDialogs;

class TMostRecentFiles : public QObject, public RecentFilesSink {
 public:
  // Marks the menu entries (files and separators) that the component owns.
  static constexpr uint32_t kEntryTag = 0x0BAD1DEA;

  // sender: the clicked entry, valid while the event runs.
  using TMRUMenuEvent = std::function<void(QAction* sender, const std::string& fileName)>;

  // owner: the window whose message box reports a missing file.
  explicit TMostRecentFiles(QObject* owner = nullptr);
  // Saves the list once loading has ended; a failure is swallowed.
  ~TMostRecentFiles() override;

  // While loading, setting the menu or the INI file neither rebuilds nor reloads.
  void BeginLoading() { loading_ = true; }
  // Ends loading: loads the list and builds the menu.
  void Loaded();

  uint32_t MaxFiles() const { return list_.MaxFiles(); }
  void SetMaxFiles(uint32_t value);
  bool ShowFullPath() const { return showFullPath_; }
  void SetShowFullPath(bool value);
  QMenu* OwnerMenuItem() const { return owner_; }
  void SetOwnerMenuItem(QMenu* menu);
  const std::string& IniFile() const { return iniFile_; }
  void SetIniFile(const std::string& path) override;
  // Index in OwnerMenuItem at which the entries start.
  uint32_t MenuPosition = 0;

  TMRUMenuEvent OnMenuClick;
  TMRUMenuEvent OnFileNotExist;
  // Without OnFileNotExist, a gone file is reported through these, when set.
  void SetDialogs(UserDialogs* dialogs) { dialogs_ = dialogs; }

  // Does nothing while no menu is set.
  void AddFile(const std::string& fileName) override;
  const std::vector<std::string>& Files() const { return list_.Files(); }
  // The file that IniFile stands for.
  std::string IniFileName() const;
  void LoadFromIni();
  void SaveToIni() const;
  void RebuildMenu();
  void MenuItemClick(QAction* sender);

 private:
  QAction* NewEntry(const QString& text);
  void ReportMissingFile(QAction* sender, const std::string& fileName);

  RecentFileList list_;
  bool showFullPath_ = false;
  QPointer<QMenu> owner_;
  std::string iniFile_;
  UserDialogs* dialogs_ = nullptr;
  bool loading_ = false;
  bool loaded_ = false;
};

}  // namespace kw
