// The program's window as the benchmarks drive it: built, FormCreate'd and
// shown, with every question answered without a person; waiting for an
// editor's paint and typing into it.
#pragma once

#include <Qsci/qsciscintillabase.h>

#include <QObject>
#include <memory>
#include <vector>

#include "app/main_window.h"

namespace kwbench {

// True once the window has shown an error box; the benchmark then fails.
bool WindowReportedError();

// Throws, so that temporary folders are still removed on the way out.
void Require(bool ok, const char* what);

// Delivers pending events, deferred deletions included.
void Drain();

// The window as the program starts it, without a document, shown and painted.
std::unique_ptr<kw::TForm1> ShownWindow();

// Counts the paints of one widget, so that a measurement can end when the
// result is on screen rather than when the call returns.
class PaintCounter : public QObject {
 public:
  explicit PaintCounter(QWidget* widget) { widget->installEventFilter(this); }
  int paints = 0;

 protected:
  bool eventFilter(QObject*, QEvent* e) override;
};

// Processes events until the widget has painted once more. Painting happens
// inside the event delivery, so the paint is complete when this returns.
void WaitForPaint(const PaintCounter& counter);

// The caret in the middle of the document, focus in the editor.
void PlaceCaretInMiddle(QsciScintillaBase* sci, QWidget* window);

// Times typed characters at the caret, each until its paint is done. When
// the first key takes longer than slowMs, only slowKeys keys are typed.
std::vector<double> TypeKeys(QWidget* editor, QsciScintillaBase* sci, int keys, double slowMs = 0, int slowKeys = 0);

}  // namespace kwbench
