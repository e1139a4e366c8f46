#include "app/shortcut_router.h"

#include <QAction>
#include <QKeyEvent>

namespace kw {

namespace {

QAction* Carrying(const std::vector<QAction*>& entries, QKeyCombination keys) {
  for (QAction* entry : entries)
    if (!entry->shortcut().isEmpty() && entry->shortcut()[0] == keys) return entry;
  return nullptr;
}

}  // namespace

QAction* ShortcutRouter::Resolve(QKeyCombination keys, bool editorHasFocus) const {
  if (editorHasFocus)
    if (QAction* entry = Carrying(contextEntries_, keys)) return entry;
  if (QAction* entry = Carrying(menuEntries_, keys)) return entry;
  return Carrying(otherCommands_, keys);
}

QKeyCombination ShortcutRouter::Combination(const QKeyEvent& e) {
  return QKeyCombination(e.modifiers() & ~Qt::KeypadModifier, static_cast<Qt::Key>(e.key()));
}

}  // namespace kw
