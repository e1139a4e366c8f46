#include "search/search_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "search/search_settings.h"

namespace kw {

namespace {

QString FromBytes(const std::string& bytes) {
  return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

std::string ToBytes(const QString& text) { return text.toUtf8().toStdString(); }

}  // namespace

TTextSearchDialog::TTextSearchDialog(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Search text"));
  setFixedSize(332, 180);
  move(447, 112);

  Label1 = new QLabel(QStringLiteral("Search for:"), this);
  Label1->setGeometry(8, 12, 84, 17);
  cbSearchText = new QComboBox(this);
  cbSearchText->setEditable(true);
  // The history follows its own rule when the dialog closes, not the box's;
  // and the text is searched as typed, never completed to an entry in
  // another letter case.
  cbSearchText->setInsertPolicy(QComboBox::NoInsert);
  cbSearchText->setCompleter(nullptr);
  cbSearchText->setGeometry(96, 8, 228, 24);
  Label1->setBuddy(cbSearchText);

  gbSearchOptions = new QGroupBox(this);
  gbSearchOptions->setGeometry(8, 40, 156, 102);
  cbSearchCaseSensitive = new QCheckBox(QStringLiteral("C&ase sensitivity"), gbSearchOptions);
  cbSearchWholeWords = new QCheckBox(QStringLiteral("&Whole words only"), gbSearchOptions);
  cbSearchFromCursor = new QCheckBox(QStringLiteral("Search from &caret"), gbSearchOptions);
  cbSearchSelectedOnly = new QCheckBox(QStringLiteral("&Selected text only"), gbSearchOptions);
  int top = 8;
  for (QCheckBox* box : {cbSearchCaseSensitive, cbSearchWholeWords, cbSearchFromCursor, cbSearchSelectedOnly}) {
    box->setGeometry(8, top, 144, 21);
    top += 23;
  }

  rgSearchDirection = new QGroupBox(QStringLiteral("Direction"), this);
  rgSearchDirection->setGeometry(172, 40, 152, 66);
  rbForward = new QRadioButton(QStringLiteral("&Forward"), rgSearchDirection);
  rbForward->setGeometry(8, 20, 136, 20);
  rbBackward = new QRadioButton(QStringLiteral("&Backward"), rgSearchDirection);
  rbBackward->setGeometry(8, 42, 136, 20);
  direction_ = new QButtonGroup(this);
  direction_->addButton(rbForward, 0);
  direction_->addButton(rbBackward, 1);
  rbForward->setChecked(true);

  btnOK = new QPushButton(QStringLiteral("OK"), this);
  btnOK->setGeometry(168, 148, 75, 25);
  btnOK->setDefault(true);
  btnCancel = new QPushButton(QStringLiteral("Peruuta"), this);
  btnCancel->setGeometry(249, 148, 75, 25);
  connect(btnOK, &QPushButton::clicked, this, &QDialog::accept);
  connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);

  QWidget* const order[] = {cbSearchText, cbSearchCaseSensitive, cbSearchWholeWords, cbSearchFromCursor,
                            cbSearchSelectedOnly, rbForward, rbBackward, btnOK, btnCancel};
  for (std::size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);
  cbSearchText->setFocus();
}

bool TTextSearchDialog::SearchBackwards() const { return direction_->checkedId() == 1; }
void TTextSearchDialog::SetSearchBackwards(bool backwards) { (backwards ? rbBackward : rbForward)->setChecked(true); }
bool TTextSearchDialog::SearchCaseSensitive() const { return cbSearchCaseSensitive->isChecked(); }
void TTextSearchDialog::SetSearchCaseSensitive(bool on) { cbSearchCaseSensitive->setChecked(on); }
bool TTextSearchDialog::SearchFromCursor() const { return cbSearchFromCursor->isChecked(); }
void TTextSearchDialog::SetSearchFromCursor(bool on) { cbSearchFromCursor->setChecked(on); }
bool TTextSearchDialog::SearchInSelectionOnly() const { return cbSearchSelectedOnly->isChecked(); }
void TTextSearchDialog::SetSearchInSelectionOnly(bool on) { cbSearchSelectedOnly->setChecked(on); }
bool TTextSearchDialog::SearchWholeWords() const { return cbSearchWholeWords->isChecked(); }
void TTextSearchDialog::SetSearchWholeWords(bool on) { cbSearchWholeWords->setChecked(on); }

std::string TTextSearchDialog::SearchText() const { return ToBytes(cbSearchText->currentText()); }
void TTextSearchDialog::SetSearchText(const std::string& text) { cbSearchText->setEditText(FromBytes(text)); }

std::string TTextSearchDialog::SearchTextHistory() const { return JoinSearchHistory(Entries()); }
void TTextSearchDialog::SetSearchTextHistory(const std::string& history) { SetEntries(SplitSearchHistory(history)); }

std::vector<std::string> TTextSearchDialog::Entries() const {
  std::vector<std::string> entries;
  for (int i = 0; i < cbSearchText->count(); ++i) entries.push_back(ToBytes(cbSearchText->itemText(i)));
  return entries;
}

void TTextSearchDialog::SetEntries(const std::vector<std::string>& entries) {
  // Refilling the list would otherwise put its first entry into the text,
  // or empty it when the typed entry is removed.
  const QString text = cbSearchText->currentText();
  cbSearchText->clear();
  for (const std::string& entry : entries) cbSearchText->addItem(FromBytes(entry));
  cbSearchText->setCurrentIndex(-1);
  cbSearchText->setEditText(text);
}

void TTextSearchDialog::done(int result) {
  if (result == QDialog::Accepted) FormCloseQuery();
  QDialog::done(result);
}

void TTextSearchDialog::FormCloseQuery() {
  const std::string typed = SearchText();
  std::vector<std::string> entries = Entries();
  if (PutFirstInSearchHistory(entries, typed)) SetEntries(entries);
}

}  // namespace kw
