// The Changes window: the text before a run beside the cleaned text, the
// changed lines marked in both, scrolled together, a jump to the next or
// previous change, and the first run's messages, a click on which shows
// their line in the text before.
#pragma once

#include <QDialog>
#include <memory>
#include <string_view>

#include "changes/line_diff.h"

class QCheckBox;
class QLabel;
class QPushButton;

namespace kw {

class SourceEditor;
class TDiagListModel;
class TDiagListView;
class THTMLHighlighter;
class TidyChanges;

class TChangesView : public QDialog {
  Q_OBJECT

 public:
  explicit TChangesView(QWidget* parent = nullptr);
  ~TChangesView() override;

  // Shows what the run changed; `after` is its cleaned text, `documentName`
  // the document's name as the window's caption shows it.
  void ShowChanges(const QString& documentName, const TidyChanges& changes, std::string_view after);
  // The run shown, until the window is closed, which empties it: the two
  // texts are the size of the document each.
  const TidyChanges* Shown() const { return shown_; }
  // Whether the document's text has changed since the run; the view says so.
  void SetEditedSince(bool edited);
  bool EditedSince() const { return editedSince_; }

  // The next (1) or previous (-1) change, round the list, from the caret of
  // the text that was used last.
  void GoToChange(int step);
  int CurrentChange() const { return current_; }
  const LineDiff& Diff() const { return diff_; }

  SourceEditor* BeforeText = nullptr;
  SourceEditor* AfterText = nullptr;
  TDiagListView* MessageList = nullptr;
  TDiagListModel* Messages = nullptr;
  QLabel* CountLabel = nullptr;
  QLabel* Note = nullptr;
  QCheckBox* IgnoreBlanks = nullptr;
  QPushButton* PreviousButton = nullptr;
  QPushButton* NextButton = nullptr;

 private:
  void hideEvent(QHideEvent* e) override;
  void Clear();
  void Compare();
  void MarkChanges();
  void UpdateTexts();
  void FollowScroll(DiffSide side);
  void ShowMessageLine();
  SourceEditor* Pane(DiffSide side) const { return side == DiffSide::Before ? BeforeText : AfterText; }

  std::unique_ptr<THTMLHighlighter> highlighter_;
  QLabel* messagesCaption_ = nullptr;
  const TidyChanges* shown_ = nullptr;
  QString documentName_;
  QString breaksNote_;
  LineDiff diff_;
  int current_ = -1;
  bool editedSince_ = false;
  // The text the caret was last moved in by the user, where jumps count from.
  DiffSide lastUsed_ = DiffSide::Before;
  // Neither the user nor a jump has moved a caret since the texts were
  // compared: the next change is the first, the previous the last.
  bool atStart_ = true;
  // Set while one text scrolls the other, so that it does not scroll back.
  bool following_ = false;
};

}  // namespace kw
