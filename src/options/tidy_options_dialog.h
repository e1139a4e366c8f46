// Tidy's options on screen: every option the installed tidy lists, grouped
// by its type, with a filter; the values of the options line are edited in
// place, values tidy would not take are refused, and OK writes the line to
// params.txt.
#pragma once

#include <QDialog>
#include <memory>
#include <string>
#include <vector>

#include "options/tidy_option_table.h"

class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QTreeWidget;
class QTreeWidgetItem;

namespace kw {

class ParamsFile;
class TidyOptionsLine;
class UserDialogs;

class TTidyOptionsDialog : public QDialog {
  Q_OBJECT

 public:
  // file must outlive the dialog; write errors are shown through dialogs.
  TTidyOptionsDialog(UserDialogs& dialogs, std::vector<TidyOption> options, ParamsFile& file,
                     QWidget* parent = nullptr);
  ~TTidyOptionsDialog() override;

  // The option's row, nullptr when tidy lists no such option.
  QTreeWidgetItem* OptionRow(const QString& name) const;
  // The options line as the edits have left it.
  const std::string& Line() const;

  // Writes the line when it changed; on failure the error is shown and the
  // dialog stays open.
  void accept() override;

  enum Column { kName, kValue, kDefault, kAllowed };
  QLineEdit* Filter = nullptr;
  QTreeWidget* Options = nullptr;
  // Why the last value was refused; empty otherwise.
  QLabel* Refusal = nullptr;
  QLabel* Note = nullptr;
  QDialogButtonBox* Buttons = nullptr;

 private:
  void Fill();
  void ShowValue(QTreeWidgetItem* row);
  void ValueEdited(QTreeWidgetItem* row);
  void ApplyFilter(const QString& text);
  const TidyOption& OptionOf(const QTreeWidgetItem* row) const;

  UserDialogs& dialogs_;
  std::vector<TidyOption> options_;
  ParamsFile& file_;
  std::unique_ptr<TidyOptionsLine> line_;
  // Set while the dialog itself writes to the rows.
  bool filling_ = false;
};

}  // namespace kw
