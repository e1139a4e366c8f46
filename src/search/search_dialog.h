// The search dialog: the search text with its history, four options and the
// direction. Made afresh for each use; the main window keeps the settings.
#pragma once

#include <QDialog>
#include <string>
#include <vector>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QRadioButton;

namespace kw {

class TTextSearchDialog : public QDialog {
  Q_OBJECT

 public:
  explicit TTextSearchDialog(QWidget* parent = nullptr);

  // The selected direction item is "&Backward".
  bool SearchBackwards() const;
  void SetSearchBackwards(bool backwards);
  bool SearchCaseSensitive() const;
  void SetSearchCaseSensitive(bool on);
  bool SearchFromCursor() const;
  void SetSearchFromCursor(bool on);
  bool SearchInSelectionOnly() const;
  void SetSearchInSelectionOnly(bool on);
  bool SearchWholeWords() const;
  void SetSearchWholeWords(bool on);
  // The combo box's text, in UTF-8.
  std::string SearchText() const;
  void SetSearchText(const std::string& text);
  // The combo box's entries joined by CR LF, at most the first ten. Writing
  // replaces the entries by the lines of the text and keeps the search text.
  std::string SearchTextHistory() const;
  void SetSearchTextHistory(const std::string& history);

  QLabel* Label1 = nullptr;
  QComboBox* cbSearchText = nullptr;
  QGroupBox* gbSearchOptions = nullptr;
  QCheckBox* cbSearchCaseSensitive = nullptr;
  QCheckBox* cbSearchWholeWords = nullptr;
  QCheckBox* cbSearchFromCursor = nullptr;
  QCheckBox* cbSearchSelectedOnly = nullptr;
  // The radio group: its items are rbForward (0) and rbBackward (1).
  QGroupBox* rgSearchDirection = nullptr;
  QRadioButton* rbForward = nullptr;
  QRadioButton* rbBackward = nullptr;
  QPushButton* btnOK = nullptr;
  QPushButton* btnCancel = nullptr;

 protected:
  // Every way of closing ends here; only OK updates the history.
  void done(int result) override;

 private:
  void FormCloseQuery();
  std::vector<std::string> Entries() const;
  void SetEntries(const std::vector<std::string>& entries);

  QButtonGroup* direction_ = nullptr;
};

}  // namespace kw
