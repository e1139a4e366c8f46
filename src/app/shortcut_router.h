// Which command a key combination reaches: the editor's context menu first
// while the editor has the focus, then the main menu, then the commands that
// have no menu entry. An entry takes its combination even while disabled.
#pragma once

#include <QKeyCombination>
#include <vector>

class QAction;
class QKeyEvent;

namespace kw {

class ShortcutRouter {
 public:
  void SetContextMenuEntries(std::vector<QAction*> entries) { contextEntries_ = std::move(entries); }
  void SetMainMenuEntries(std::vector<QAction*> entries) { menuEntries_ = std::move(entries); }
  void SetOtherCommands(std::vector<QAction*> commands) { otherCommands_ = std::move(commands); }

  // The entry or command that carries the combination, or nullptr.
  QAction* Resolve(QKeyCombination keys, bool editorHasFocus) const;

  static QKeyCombination Combination(const QKeyEvent& e);

 private:
  std::vector<QAction*> contextEntries_;
  std::vector<QAction*> menuEntries_;
  std::vector<QAction*> otherCommands_;
};

}  // namespace kw
