// The main window's tidy run: the Run tidy command, the runners' window
// callbacks, and the jump from the diagnostics list to a line.
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QThread>

#include "app/main_window.h"
#include "changes/tidy_changes.h"
#include "common/stop_signals.h"
#include "controls/diag_list_view.h"
#include "controls/source_editor.h"
#include "tidy/diag_kind.h"
#include "tidy/diag_list_model.h"
#include "tidy/tidy_job.h"
#include "trace/trace_client.h"

namespace kw {

namespace {

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
  TidyJob job(ProgramDir, CurrentFileName);
  // Tidy cleans the text the user sees; with unsaved edits that is not the file.
  if (Editor->Modified()) job.SetUnsavedText(Editor->Text(), Editor->Breaks());
  job.SetEncoding(Editor->Encoding());
  // For the Changes window: the text as tidy read it, taken once tidy has
  // cleaned it, just before the editor takes the cleaned text.
  PackedText textBefore;
  const std::optional<BreakStyle> breaksBefore =
      Editor->LineCount() > 1 ? std::optional(Editor->Breaks()) : std::nullopt;
  const QString statusBefore = Label1->text();
  {
    BusyPointer busy;
    QElapsedTimer running;
    running.start();
    qint64 secondsShown = -1;
    job.OnIdle = [this, &running, &secondsShown] {
      const qint64 seconds = running.elapsed() / 1000;
      if (seconds != secondsShown) {
        secondsShown = seconds;
        SetStatusText(QStringLiteral("Running tidy... %1 s (Esc stops)").arg(seconds));
      }
      RunnerIdle();
    };
    job.OnCleaned = [this, &textBefore](const std::string& file) {
      textBefore = PackedText::Pack(Editor->Text());
      RunnerFinished(file);
    };
    job.Report.Tracer = &Tracer;
    job.Report.OnStatus = [this](const std::string& status) { SetStatusText(QString::fromLatin1(status)); };
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
    // Nothing typed during the run can be lost under the cleaned text.
    Editor->setReadOnly(true);
    UpdateCommandStates();
    struct RunOver {
      TForm1& form;
      bool recentFilesEnabled;
      ~RunOver() {
        form.tidyRun_ = nullptr;
        form.Editor->setReadOnly(false);
        form.Recentfiles1->setEnabled(recentFilesEnabled);
        form.UpdateCommandStates();
        if (form.endAfterRun_) EndByCaughtSignal();
        if (form.closeAfterRun_) {
          form.closeAfterRun_ = false;
          QMetaObject::invokeMethod(&form, &QWidget::close, Qt::QueuedConnection);
        }
      }
    } runOver{*this, recentFilesEnabled};

    DiagRows rows;
    try {
      job.Execute(OptionsList, rows);
    } catch (...) {
      SetStatusText(statusBefore);
      throw;
    }
    ListMessages(std::move(rows));
    if (job.Outcome == TidyOutcome::Cleaned)
      KeepRunChanges(std::make_unique<TidyChanges>(std::move(textBefore), breaksBefore, Editor->Breaks(),
                                                   Editor->Encoding(), std::move(job.FirstRunRows)));
  }
  switch (job.Outcome) {
    case TidyOutcome::Stopped: SetStatusText(QStringLiteral("Stopped")); break;
    // Nothing was listed: the status stays as it was.
    case TidyOutcome::NotStarted: SetStatusText(statusBefore); break;
    case TidyOutcome::NotCleaned:
    case TidyOutcome::Cleaned: SetStatusText(QString::fromLatin1(job.Status)); break;
  }
  if (!job.Failure.empty()) dialogs_->ShowError(this, QString::fromLocal8Bit(job.Failure.c_str()));
}

void TForm1::StopTidy() {
  if (tidyRun_) tidyRun_->Cancel();
}

void TForm1::StopSignalReceived() {
  if (!TidyRunning()) EndByCaughtSignal();
  endAfterRun_ = true;
  StopTidy();
}

void TForm1::SetStatusText(const QString& text) {
  Label1->setText(text);
  // The designed width, or as much as the text needs within the panel.
  const int width = std::clamp(Label1->fontMetrics().horizontalAdvance(text) + 4, 160,
                               std::max(160, StatusPanel->width() - 20));
  Label1->resize(width, Label1->height());
  Bevel1->resize(width + 17, Bevel1->height());
  statusLead_->changeSize(Bevel1->geometry().right() + 6, 0, QSizePolicy::Preferred, QSizePolicy::Minimum);
  StatusPanel->layout()->invalidate();
}

void TForm1::RunnerIdle() {
  QApplication::processEvents();
  QThread::msleep(10);
}

void TForm1::RunnerFinished(const std::string& cleanedFile) { Editor->ReplaceFromFile(cleanedFile); }

void TForm1::ListMessages(DiagRows rows) {
  DiagModel->Assign(std::move(rows));
  MarkMessages();
}

void TForm1::MarkMessages() {
  const std::vector<TTreeData>& rows = DiagModel->Rows().Rows();
  markHandles_.assign(rows.size(), 0);
  for (size_t i = 0; i < rows.size(); ++i) {
    const int line = LineNumber(rows[i].Line);
    if (line < 1) continue;
    switch (DiagModel->KindAt(i)) {
      case DiagKind::Error: markHandles_[i] = Editor->AddMessageMark(line, SourceEditor::MarkKind::Error); break;
      case DiagKind::Warning:
      case DiagKind::Config: markHandles_[i] = Editor->AddMessageMark(line, SourceEditor::MarkKind::Warning); break;
      case DiagKind::Info:
      case DiagKind::Access:
        markHandles_[i] = Editor->AddMessageMark(line, SourceEditor::MarkKind::Information);
        break;
      case DiagKind::Other: break;
    }
  }
}

void TForm1::GoToMessage(int step) {
  const int count = DiagModel->rowCount();
  if (count == 0) return;
  const QModelIndex current = DiagList->currentIndex();
  const int row = current.isValid() ? ((current.row() + step) % count + count) % count : (step > 0 ? 0 : count - 1);
  DiagList->setCurrentIndex(DiagModel->index(row, TDiagListModel::LineColumn));
  DiagListClick();
}

void TForm1::DiagListClick() {
  const QModelIndex focused = DiagList->currentIndex();
  if (!focused.isValid()) return;
  const size_t index = DiagModel->SourceRow(focused.row());
  const TTreeData& row = DiagModel->Rows().Rows()[index];
  // The mark's line, which moved with the text; lines below 1 go where line 0
  // goes: the top of the document.
  const int mark = index < markHandles_.size() ? markHandles_[index] : 0;
  const int line = mark != 0 ? Editor->MessageMarkLine(mark) : std::max(0, LineNumber(row.Line));
  Editor->ShowMessageAt(line, row.Column);
  Editor->setFocus();
}

}  // namespace kw
