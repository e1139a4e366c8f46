// The desktop's own boxes where what they do guards the user's text: closing
// the question about unsaved text, and the save dialog before it replaces a
// file; and an opener that gives up is reported.
#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <functional>
#include <sys/stat.h>

#include "app/desktop_dialogs.h"
#include "support/scoped_env.h"
#include "support/temp_files.h"

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

  // The opener finds no application (its status 3) after the call has returned.
  void anOpenerThatGivesUpIsReported() {
    const kw::test::TempFolder bin;
    ::chmod(bin.Write("xdg-open", "#!/bin/sh\necho \"$1\" > \"$0.url\"\nexit 3\n").c_str(), 0755);
    const kw::test::ScopedEnv path("PATH", bin.Path());
    const auto dialogs = kw::MakeDesktopDialogs();
    QObject context;
    int failures = 0;
    dialogs->OpenInDesktop(QUrl::fromLocalFile("/tmp/a b;$(x).htm"), &context, [&failures] { ++failures; });
    QTRY_COMPARE(failures, 1);
    QCOMPARE(kw::test::TempFolder::Read(bin.File("xdg-open.url")), std::string("file:///tmp/a%20b;$(x).htm\n"));
  }
};

QTEST_MAIN(UserDialogsTest)
#include "desktop_dialogs_test.moc"
