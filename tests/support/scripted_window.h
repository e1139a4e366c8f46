// The main window started as the program starts it, its questions answered
// by a script: built, FormCreate'd with the document, shown, active, and the
// editor focused.
#pragma once

#include <QTest>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/main_window.h"
#include "controls/source_editor.h"
#include "support/scripted_dialogs.h"

namespace kw::test {

// beforeStart runs between building and FormCreate. False when the window
// never became active.
inline bool StartScriptedWindow(std::unique_ptr<TForm1>& form, ScriptedDialogs*& dialogs,
                                const std::optional<std::string>& document,
                                const std::function<void(TForm1&)>& beforeStart = {}) {
  auto scripted = std::make_unique<ScriptedDialogs>();
  dialogs = scripted.get();
  form = std::make_unique<TForm1>(std::move(scripted));
  if (beforeStart) beforeStart(*form);
  form->FormCreate(document);
  form->show();
  const bool active = QTest::qWaitForWindowActive(form.get());
  form->Editor->setFocus();
  return active;
}

}  // namespace kw::test
