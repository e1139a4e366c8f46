// The desktop's own boxes where what they do guards the user's text: closing
// the question about unsaved text, and the save dialog before it replaces a file.
#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <functional>

#include "widgets/user_dialogs.h"

namespace {

// Runs act on the modal box once it is up.
void WhenModal(const std::function<void(QWidget*)>& act) {
  QTimer::singleShot(0, [act] {
    if (QWidget* modal = QApplication::activeModalWidget()) act(modal);
    else WhenModal(act);
  });
}

}  // namespace

class UserDialogsTest : public QObject {
  Q_OBJECT

 private slots:
  void closingTheSaveQuestionCancels() {
    const auto dialogs = kw::MakeDesktopDialogs();
    for (const bool titleBar : {false, true}) {
      WhenModal([titleBar](QWidget* box) {
        QVERIFY(qobject_cast<QMessageBox*>(box));
        if (titleBar) box->close();
        else QTest::keyClick(box, Qt::Key_Escape);
      });
      QCOMPARE(dialogs->AskToSave(nullptr, QStringLiteral("Save?")), kw::SaveAnswer::Cancel);
    }
  }

  void theSaveDialogAsksBeforeReplacingAFile() {
    const auto dialogs = kw::MakeDesktopDialogs();
    QWidget parent;
    bool asks = false;
    WhenModal([&asks](QWidget* dialog) {
      auto* files = qobject_cast<QFileDialog*>(dialog);
      asks = files && !files->testOption(QFileDialog::DontConfirmOverwrite);
      dialog->close();
    });
    QCOMPARE(dialogs->AskSaveFileName(&parent, "/tmp"), std::optional<std::string>());
    QVERIFY(asks);
  }
};

QTEST_MAIN(UserDialogsTest)
#include "user_dialogs_test.moc"
