// Edit > Tidy options through the real window and dialog, with the installed
// tidy: the values of params.txt's first line, the filter, a refused value,
// a value picked from tidy's list, and the line written back.
#include <QAction>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeWidget>

#include "options/tidy_options_dialog.h"
#include "support/scripted_window.h"
#include "support/temp_files.h"

using kw::TTidyOptionsDialog;

class TidyOptionsDialogTest : public QObject {
  Q_OBJECT

 private slots:
  void editsTheFirstLineOfParams() {
    kw::test::TempFolder programDir;
    qputenv("KEMPWELL_PROGRAM_DIR", QByteArray::fromStdString(programDir.Path()));
    const std::string params = programDir.Write("params.txt", "-q --wrap 0 --clean yes\r\nsecond line\r\n");
    std::unique_ptr<kw::TForm1> form;
    kw::test::ScriptedDialogs* dialogs = nullptr;
    QVERIFY(kw::test::StartScriptedWindow(form, dialogs, std::nullopt));
    bool shown = false;
    dialogs->optionsScripts.push_back([&](TTidyOptionsDialog& dialog) {
      QTreeWidgetItem* wrap = dialog.OptionRow("wrap");
      QTreeWidgetItem* clean = dialog.OptionRow("clean");
      QTreeWidgetItem* indent = dialog.OptionRow("indent");
      QVERIFY(wrap && clean && indent);
      QCOMPARE(wrap->text(TTidyOptionsDialog::kValue), QStringLiteral("0"));
      QCOMPARE(clean->text(TTidyOptionsDialog::kValue), QStringLiteral("yes"));
      QCOMPARE(indent->text(TTidyOptionsDialog::kValue), QString());
      QCOMPARE(wrap->text(TTidyOptionsDialog::kDefault), QStringLiteral("68"));

      QTest::keyClicks(dialog.Filter, "WRAP");
      QTreeWidgetItem* encodings = dialog.OptionRow("char-encoding")->parent();
      QVERIFY(!wrap->isHidden() && clean->isHidden() && encodings->isHidden());
      dialog.Filter->clear();

      // Typed in the value's own editor and refused, with tidy's allowed values.
      dialog.Options->editItem(wrap, TTidyOptionsDialog::kValue);
      auto* typed = dialog.Options->viewport()->findChild<QLineEdit*>();
      QVERIFY(typed);
      typed->selectAll();
      QTest::keyClicks(typed, "7a");
      QTest::keyClick(typed, Qt::Key_Return);
      QCoreApplication::processEvents();  // the view commits an editor's value once the key is handled
      QCOMPARE(wrap->text(TTidyOptionsDialog::kValue), QStringLiteral("0"));
      QVERIFY2(dialog.Refusal->text().contains("0 (no wrapping), 1, 2, ..."), qPrintable(dialog.Refusal->text()));
      wrap->setText(TTidyOptionsDialog::kValue, QStringLiteral("72"));
      QVERIFY(dialog.Refusal->text().isEmpty());

      // A closed list is picked from tidy's values.
      dialog.Options->editItem(indent, TTidyOptionsDialog::kValue);
      auto* box = dialog.Options->viewport()->findChild<QComboBox*>();
      QVERIFY(box);
      QCOMPARE(box->count(), 4);  // not given, no, yes, auto
      box->setCurrentIndex(box->findData(QStringLiteral("auto")));
      QTest::keyClick(box, Qt::Key_Return);
      QCoreApplication::processEvents();
      QCOMPARE(indent->text(TTidyOptionsDialog::kValue), QStringLiteral("auto"));

      clean->setText(TTidyOptionsDialog::kValue, QString());
      dialog.Buttons->button(QDialogButtonBox::Ok)->click();
      shown = true;
    });
    form->TidyOptions1->trigger();
    QVERIFY(shown);
    QVERIFY(dialogs->errors.empty());
    QCOMPARE(kw::test::TempFolder::Read(params), std::string("-q --wrap 72 --indent auto\r\nsecond line\r\n"));
  }
};

QTEST_MAIN(TidyOptionsDialogTest)
#include "tidy_options_dialog_test.moc"
