#include "options/tidy_options_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QStyledItemDelegate>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <map>

#include "options/params_file.h"
#include "options/tidy_options_line.h"
#include "widgets/user_dialogs.h"

namespace kw {

namespace {

constexpr int kOptionIndex = Qt::UserRole;

QString FromBytes(const std::string& text) { return QString::fromUtf8(text); }

// A closed list is picked from a box, with an empty entry for "not given";
// any other value is typed.
class ValueDelegate : public QStyledItemDelegate {
 public:
  ValueDelegate(const std::vector<TidyOption>& options, QObject* parent)
      : QStyledItemDelegate(parent), options_(options) {}

  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& style, const QModelIndex& index) const override {
    const TidyOption* option = OptionAt(index);
    if (!option || index.column() != TTidyOptionsDialog::kValue) return nullptr;
    if (option->Choices.empty()) return QStyledItemDelegate::createEditor(parent, style, index);
    auto* box = new QComboBox(parent);
    box->addItem(QString(), QString());
    for (const TidyChoice& choice : option->Choices) box->addItem(FromBytes(choice.Text), FromBytes(choice.Value));
    return box;
  }
  void setEditorData(QWidget* editor, const QModelIndex& index) const override {
    if (auto* box = qobject_cast<QComboBox*>(editor)) {
      // tidy reads the values in any letter case.
      box->setCurrentIndex(std::max(0, box->findData(index.data(), Qt::UserRole, Qt::MatchFixedString)));
    } else {
      QStyledItemDelegate::setEditorData(editor, index);
    }
  }
  void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override {
    if (auto* box = qobject_cast<QComboBox*>(editor)) model->setData(index, box->currentData());
    else QStyledItemDelegate::setModelData(editor, model, index);
  }

 private:
  const TidyOption* OptionAt(const QModelIndex& index) const {
    const QVariant at = index.siblingAtColumn(TTidyOptionsDialog::kName).data(kOptionIndex);
    return at.isValid() ? &options_[at.toUInt()] : nullptr;
  }

  const std::vector<TidyOption>& options_;
};

}  // namespace

TTidyOptionsDialog::TTidyOptionsDialog(UserDialogs& dialogs, std::vector<TidyOption> options, ParamsFile& file,
                                       QWidget* parent)
    : QDialog(parent),
      dialogs_(dialogs),
      options_(std::move(options)),
      file_(file),
      line_(std::make_unique<TidyOptionsLine>(file.FirstLine(), options_)) {
  setWindowTitle(QStringLiteral("Tidy Options"));
  resize(780, 540);
  auto* layout = new QVBoxLayout(this);
  Filter = new QLineEdit(this);
  Filter->setPlaceholderText(QStringLiteral("Filter options by name"));
  Filter->setClearButtonEnabled(true);
  layout->addWidget(Filter);
  Options = new QTreeWidget(this);
  Options->setHeaderLabels({QStringLiteral("Option"), QStringLiteral("Value"), QStringLiteral("tidy's default"),
                            QStringLiteral("Allowed values")});
  Options->setItemDelegate(new ValueDelegate(options_, Options));
  Options->setEditTriggers(QAbstractItemView::NoEditTriggers);
  Options->setAlternatingRowColors(true);
  layout->addWidget(Options, 1);
  Refusal = new QLabel(this);
  Refusal->setWordWrap(true);
  QPalette warning = Refusal->palette();
  warning.setColor(QPalette::WindowText, Qt::red);
  Refusal->setPalette(warning);
  layout->addWidget(Refusal);
  Note = new QLabel(this);
  Note->setWordWrap(true);
  Note->setTextFormat(Qt::PlainText);
  layout->addWidget(Note);
  Buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  layout->addWidget(Buttons);

  Fill();
  if (file_.Exists()) {
    Note->setText(QStringLiteral("Double-click a value to change it; an empty value leaves the option to tidy. "
                                 "OK writes the first line of %1; what tidy does not list there stays as written.")
                      .arg(QFile::decodeName(QByteArray::fromStdString(file_.Path()))));
  } else {
    Note->setText(QStringLiteral("There is no %1: these are the built-in options, whose --char-encoding follows each "
                                 "document. OK with changes writes them to it, and its --char-encoding then holds "
                                 "for every document.")
                      .arg(QFile::decodeName(QByteArray::fromStdString(file_.Path()))));
  }
  // Enter or a double click on any column edits the value.
  connect(Options, &QTreeWidget::itemActivated, this, [this](QTreeWidgetItem* row) {
    if (row->data(kName, kOptionIndex).isValid()) Options->editItem(row, kValue);
  });
  connect(Options, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* row, int column) {
    if (!filling_ && column == kValue) ValueEdited(row);
  });
  connect(Filter, &QLineEdit::textChanged, this, &TTidyOptionsDialog::ApplyFilter);
  connect(Buttons, &QDialogButtonBox::accepted, this, &TTidyOptionsDialog::accept);
  connect(Buttons, &QDialogButtonBox::rejected, this, &TTidyOptionsDialog::reject);
  Filter->setFocus();
}

TTidyOptionsDialog::~TTidyOptionsDialog() = default;

void TTidyOptionsDialog::Fill() {
  filling_ = true;
  std::map<std::string, QTreeWidgetItem*> groups;
  for (size_t i = 0; i < options_.size(); ++i) {
    const TidyOption& option = options_[i];
    QTreeWidgetItem*& group = groups[option.Type];
    if (!group) {
      group = new QTreeWidgetItem(Options, {option.Type.empty() ? QStringLiteral("Other") : FromBytes(option.Type)});
      group->setFirstColumnSpanned(true);
      group->setFlags(Qt::ItemIsEnabled);
    }
    auto* row = new QTreeWidgetItem(group, {FromBytes(option.Name), QString(), FromBytes(option.Default),
                                            FromBytes(option.Allowed)});
    row->setData(kName, kOptionIndex, static_cast<uint>(i));
    row->setFlags(row->flags() | Qt::ItemIsEditable);
    ShowValue(row);
  }
  Options->sortItems(kName, Qt::AscendingOrder);
  Options->expandAll();
  Options->resizeColumnToContents(kName);
  filling_ = false;
}

const TidyOption& TTidyOptionsDialog::OptionOf(const QTreeWidgetItem* row) const {
  return options_[row->data(kName, kOptionIndex).toUInt()];
}

// What the line gives, the name in bold when it gives anything.
void TTidyOptionsDialog::ShowValue(QTreeWidgetItem* row) {
  const std::optional<std::string> value = line_->Value(OptionOf(row));
  const bool wasFilling = filling_;
  filling_ = true;
  row->setText(kValue, value ? FromBytes(*value) : QString());
  QFont font = row->font(kName);
  font.setBold(value.has_value());
  row->setFont(kName, font);
  filling_ = wasFilling;
}

void TTidyOptionsDialog::ValueEdited(QTreeWidgetItem* row) {
  const TidyOption& option = OptionOf(row);
  const std::string value = row->text(kValue).toStdString();
  if (!value.empty()) {
    if (const std::string refusal = RefusalOf(option, value); !refusal.empty()) {
      Refusal->setText(FromBytes(refusal));
      ShowValue(row);
      dialogs_.Beep();
      return;
    }
  }
  Refusal->clear();
  line_->Set(option, value);
  ShowValue(row);
}

void TTidyOptionsDialog::ApplyFilter(const QString& text) {
  const QString wanted = text.trimmed();
  for (int g = 0; g < Options->topLevelItemCount(); ++g) {
    QTreeWidgetItem* group = Options->topLevelItem(g);
    bool any = false;
    for (int r = 0; r < group->childCount(); ++r) {
      QTreeWidgetItem* row = group->child(r);
      const bool shown = row->text(kName).contains(wanted, Qt::CaseInsensitive);
      row->setHidden(!shown);
      any = any || shown;
    }
    group->setHidden(!any);
  }
}

QTreeWidgetItem* TTidyOptionsDialog::OptionRow(const QString& name) const {
  for (int g = 0; g < Options->topLevelItemCount(); ++g) {
    QTreeWidgetItem* group = Options->topLevelItem(g);
    for (int r = 0; r < group->childCount(); ++r)
      if (group->child(r)->text(kName) == name) return group->child(r);
  }
  return nullptr;
}

const std::string& TTidyOptionsDialog::Line() const { return line_->Text(); }

void TTidyOptionsDialog::accept() {
  // Unchanged, a missing params.txt stays missing: the built-in options follow each document's encoding.
  if (line_->Text() != file_.FirstLine()) {
    try {
      file_.WriteFirstLine(line_->Text());
    } catch (const std::exception& error) {
      dialogs_.ShowError(this, QString::fromLocal8Bit(error.what()));
      return;
    }
  }
  QDialog::accept();
}

}  // namespace kw
