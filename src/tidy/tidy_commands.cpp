// The main window's tidy run: the Run tidy command, the runners' window
// callbacks, and the jump from the diagnostics list to a line.
#include <QApplication>
#include <QColor>
#include <QElapsedTimer>
#include <QLabel>
#include <QMenu>
#include <QThread>

#include "app/main_window.h"
#include "controls/diag_list_view.h"
#include "controls/source_editor.h"
#include "tidy/diag_list_model.h"
#include "tidy/tidy_job.h"
#include "trace/trace_client.h"

namespace kw {

namespace {

const QColor kYellow(255, 255, 0);

// The busy pointer for as long as it lives, on every path out.
class BusyPointer {
 public:
  BusyPointer() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~BusyPointer() { QApplication::restoreOverrideCursor(); }
  BusyPointer(const BusyPointer&) = delete;
  BusyPointer& operator=(const BusyPointer&) = delete;
};

}  // namespace

void TForm1::btRunClick() {
  if (TidyRunning() || CurrentFileName.empty()) return;
  const TTraceMethodHandle trace = Tracer.TraceMethod("btRunClick");
  DiagModel->Clear();
  OptionsList.clear();
  std::string startFailure;
  {
    BusyPointer busy;
    TidyJob job(ProgramDir, CurrentFileName);
    job.OnIdle = [this] { RunnerIdle(); };
    job.OnCleaned = [this](const std::string& file) { RunnerFinished(file); };
    job.Report.Tracer = &Tracer;
    job.Report.OnStatus = [this](const std::string& status) { Label1->setText(QString::fromLatin1(status)); };
    // Repaint while a long report is cut, without paying for it on every line.
    QElapsedTimer sinceEvents;
    sinceEvents.start();
    job.Report.OnMessageLine = [&sinceEvents] {
      if (sinceEvents.elapsed() < 10) return;
      QApplication::processEvents();
      sinceEvents.restart();
    };

    const bool recentFilesEnabled = Recentfiles1->isEnabled();
    tidyRun_ = &job;
    Recentfiles1->setEnabled(false);
    UpdateCommandStates();
    struct RunOver {
      TForm1& form;
      bool recentFilesEnabled;
      ~RunOver() {
        form.tidyRun_ = nullptr;
        form.Recentfiles1->setEnabled(recentFilesEnabled);
        form.UpdateCommandStates();
        if (form.closeAfterRun_) {
          form.closeAfterRun_ = false;
          QMetaObject::invokeMethod(&form, &QWidget::close, Qt::QueuedConnection);
        }
      }
    } runOver{*this, recentFilesEnabled};

    DiagRows rows;
    job.Execute(OptionsList, rows);
    DiagModel->Assign(std::move(rows));
    if (job.Cancelled()) return;
    startFailure = job.StartFailure;
    Editor->SetModified(true);
  }
  if (!startFailure.empty()) dialogs_->ShowError(this, QString::fromLocal8Bit(startFailure.c_str()));
}

void TForm1::RunnerIdle() {
  QApplication::processEvents();
  QThread::msleep(10);
}

void TForm1::RunnerFinished(const std::string& cleanedFile) { Editor->ReplaceFromFile(cleanedFile); }

void TForm1::DiagListClick() {
  const QModelIndex focused = DiagList->currentIndex();
  if (!focused.isValid()) return;
  // Lines below 1 go where line 0 goes: the top of the document.
  const int line = std::max(0, LineNumber(DiagModel->Rows().Rows()[static_cast<size_t>(focused.row())].Line));
  Editor->SetTopLine(line - 5);
  Editor->SetCaretPos({line, 1});
  Editor->SetActiveLineColor(kYellow);
  Editor->setFocus();
}

}  // namespace kw
