// The about dialog through the real box: its texts and layout, the system
// lines from given values, the close results and the two links.
#include <QAction>
#include <QFile>
#include <QPushButton>
#include <QTest>
#include <QTemporaryDir>

#include "about/about_box.h"
#include "app/main_window.h"
#include "support/scripted_dialogs.h"

using kw::TAboutBox;
using kw::TAboutInfoDialog;
using kw::test::ScriptedDialogs;

namespace {

kw::SystemFacts SampleFacts() {
  return {kw::OsVersionFrom("Debian GNU/Linux 12 (bookworm)", "6.1.0-18-amd64"), 16ull << 30};
}

QStringList Texts(const TAboutBox& box) {
  return {box.windowTitle(), box.Company->text(), box.Version->text(), box.Copyright->text(), box.URL->text(),
          box.EMAIL->text()};
}

// The main window's texts, as its About command shows them.
void FillLikeTheWindow(TAboutInfoDialog& about) {
  about.ProductName = QStringLiteral("Kempwell 2");
  about.Version = QStringLiteral("Beta version 2.0.7");
  about.Copyright = QStringLiteral("Copyright (C) 2026 Kempwell");
  about.URL = QStringLiteral("https://kempwell.example/");
  about.EMail = QStringLiteral("support@kempwell.example");
}

}  // namespace

class AboutBoxTest : public QObject {
  Q_OBJECT

  std::unique_ptr<ScriptedDialogs> d_;

  // Runs Execute; check sees the box while it is up and may close it.
  bool Execute(TAboutInfoDialog& about, std::function<void(TAboutBox&)> check) {
    d_->aboutScripts.push_back(std::move(check));
    return about.Execute();
  }

 private slots:
  void init() { d_ = std::make_unique<ScriptedDialogs>(); }

  // The texts are the About command's test below.
  void layout() {
    TAboutInfoDialog about(*d_);
    FillLikeTheWindow(about);
    Execute(about, [](TAboutBox& box) {
      for (QLabel* name : {box.ProductName1, box.ProductName3}) QCOMPARE(name->text(), box.ProductName2->text());
      // The designed 342 x 250, wider only where this desktop's font needs it.
      QVERIFY(box.width() >= 342 && box.height() == 250);
      QVERIFY(box.OS->geometry().right() < box.width());
      QCOMPARE(box.OKButton->geometry().right(), box.width() - 12);
      QVERIFY(box.OKButton->isDefault());
      // Black on top of gray on top of white.
      const QObjectList stack = box.children();
      QVERIFY(stack.indexOf(box.ProductName1) < stack.indexOf(box.ProductName3));
      QVERIFY(stack.indexOf(box.ProductName3) < stack.indexOf(box.ProductName2));
    });
  }

  void emptyProductNameTakesTheApplicationTitle() {
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Test Title"));
    TAboutInfoDialog about(*d_);
    Execute(about, [](TAboutBox& box) {
      QCOMPARE(box.windowTitle(), QStringLiteral("About Test Title"));
      QCOMPARE(box.ProductName2->text(), QStringLiteral("Test Title"));
    });
    QCOMPARE(about.ProductName, QStringLiteral("Test Title"));
  }

  void closeResults_data() {
    QTest::addColumn<int>("how");
    QTest::addColumn<bool>("result");
    QTest::newRow("enter") << 1 << true;
    QTest::newRow("escape also gives ok") << 2 << true;
    QTest::newRow("title bar close") << 3 << false;
  }
  void closeResults() {
    QFETCH(int, how);
    QFETCH(bool, result);
    TAboutInfoDialog about(*d_);
    const bool closed = Execute(about, [how](TAboutBox& box) {
      switch (how) {
        case 1: QTest::keyClick(&box, Qt::Key_Return); break;
        case 2: QTest::keyClick(&box, Qt::Key_Escape); break;
        default: box.close(); break;
      }
    });
    QCOMPARE(closed, result);
  }

  void systemLinesFromGivenValues() {
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    TAboutBox box(*d_, nullptr, SampleFacts());
    QCOMPARE(box.OS->text(), QStringLiteral("Debian GNU/Linux 12 (bookworm) 6.1 (Build 0: 18-amd64)"));
    QCOMPARE(box.PhysMem->text(), QStringLiteral("16,777,216 KB"));
    QVERIFY(box.PhysMem->x() > box.Label3->geometry().right());
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    box.FormCreate(SampleFacts());
    QCOMPARE(box.PhysMem->text(), QStringLiteral("16.777.216 KB"));
    QCOMPARE(box.PhysMem->x() + box.PhysMem->width(), box.width() - 13);
    QLocale::setDefault(QLocale::system());
  }

  // Both failures are reported, and the box stays up.
  void failedLinks() {
    d_->desktopAnswers = {false, false};
    TAboutInfoDialog about(*d_);
    FillLikeTheWindow(about);
    Execute(about, [](TAboutBox& box) {
      QTest::mouseClick(box.URL, Qt::LeftButton);
      QTest::mouseClick(box.EMAIL, Qt::LeftButton);
      QVERIFY(box.isVisible());
    });
    QCOMPARE(d_->desktopOpens, (std::vector<QUrl>{QUrl("https://kempwell.example/"), QUrl("mailto:support@kempwell.example")}));
    QCOMPARE(d_->errors, (std::vector<QString>{QStringLiteral("Couldn't launch default browser"),
                                               QStringLiteral("No application could open \"mailto:support@kempwell.example\".")}));
  }

  // The tidy a run would use: the program directory's, else the one on PATH.
  void tidyLine_data() {
    QTest::addColumn<QString>("where");
    QTest::addColumn<QString>("line");
    QTest::newRow("program directory first") << "program directory" << "tidy: HTML Tidy for Kempwell version 1";
    QTest::newRow("none") << "nowhere" << "tidy: not found";
  }
  void tidyLine() {
    QFETCH(QString, where);
    QFETCH(QString, line);
    QTemporaryDir programDir;
    const QByteArray path = qgetenv("PATH");
    if (where == "nowhere") qputenv("PATH", programDir.path().toLocal8Bit());
    if (where == "program directory") {
      QFile tidy(programDir.filePath("tidy"));
      QVERIFY(tidy.open(QIODevice::WriteOnly));
      tidy.write("#!/bin/sh\necho\necho 'HTML Tidy for Kempwell version 1'\n");
      tidy.close();
      tidy.setPermissions(QFile::ReadOwner | QFile::ExeOwner);
    }
    TAboutInfoDialog about(*d_);
    about.ProgramDir = programDir.path().toStdString();
    QString shown;
    Execute(about, [&](TAboutBox& box) {
      shown = box.TidyVersion->text();
      QVERIFY(box.TidyVersion->geometry().right() < box.width());
      QVERIFY(box.TidyVersion->geometry().bottom() < box.OKButton->y());
    });
    qputenv("PATH", path);
    QVERIFY2(shown.startsWith(line), qPrintable(shown));
  }

  void mainWindowAboutCommand() {
    QTemporaryDir programDir;
    qputenv("KEMPWELL_PROGRAM_DIR", programDir.path().toLocal8Bit());
    auto owned = std::make_unique<ScriptedDialogs>();
    ScriptedDialogs& dialogs = *owned;
    kw::TForm1 form(std::move(owned));
    QStringList texts;
    dialogs.aboutScripts.push_back([&](TAboutBox& box) { texts = Texts(box); });
    form.Ohjelmatiedot1->trigger();
    TAboutInfoDialog expected(dialogs);
    FillLikeTheWindow(expected);
    QCOMPARE(texts, (QStringList{"About Kempwell 2", expected.Company, expected.Version, expected.Copyright,
                                 expected.URL, expected.EMail}));
  }
};

QTEST_MAIN(AboutBoxTest)
#include "about_box_test.moc"
