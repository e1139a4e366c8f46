// The about dialog through the real box: its layout, the system lines from
// given values, the close results, the window's texts and the two links.
#include <QAction>
#include <QPushButton>
#include <QTest>
#include <QTemporaryDir>

#include "about/about_box.h"
#include "app/main_window.h"
#include "support/scripted_dialogs.h"

using kw::TAboutBox;
using kw::TAboutInfoDialog;
using kw::test::ScriptedDialogs;

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

  // No product name: the application's title stands in.
  void layout() {
    QGuiApplication::setApplicationDisplayName(QStringLiteral("Test Title"));
    TAboutInfoDialog about(*d_);
    Execute(about, [](TAboutBox& box) {
      QCOMPARE(box.windowTitle(), QStringLiteral("About Test Title"));
      for (QLabel* name : {box.ProductName1, box.ProductName2, box.ProductName3})
        QCOMPARE(name->text(), QStringLiteral("Test Title"));
      // The designed 342 x 250, wider only where this desktop's font needs it.
      QVERIFY(box.width() >= 342 && box.height() == 250);
      QCOMPARE(box.OKButton->geometry().right(), box.width() - 12);
      QVERIFY(box.OKButton->isDefault());
      // Black on top of gray on top of white.
      const QObjectList stack = box.children();
      QVERIFY(stack.indexOf(box.ProductName1) < stack.indexOf(box.ProductName3));
      QVERIFY(stack.indexOf(box.ProductName3) < stack.indexOf(box.ProductName2));
    });
    QCOMPARE(about.ProductName, QStringLiteral("Test Title"));
  }

  // Enter and Esc both give OK; only the title bar's close does not.
  void closeResults() {
    const std::pair<std::function<void(TAboutBox&)>, bool> cases[] = {
        {[](TAboutBox& box) { QTest::keyClick(&box, Qt::Key_Return); }, true},
        {[](TAboutBox& box) { QTest::keyClick(&box, Qt::Key_Escape); }, true},
        {[](TAboutBox& box) { box.close(); }, false},
    };
    for (const auto& [close, result] : cases) {
      TAboutInfoDialog about(*d_);
      QCOMPARE(Execute(about, close), result);
    }
  }

  // Formatted in the default locale; the figure is right-aligned clear of its caption.
  void systemLinesFromGivenValues() {
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const kw::OsVersion os = kw::OsVersionFrom("Debian GNU/Linux 12 (bookworm)", "6.1.0-18-amd64");
    TAboutBox box(*d_, nullptr, {os, 16ull << 30});
    QLocale::setDefault(QLocale::system());
    QCOMPARE(box.OS->text(), QStringLiteral("Debian GNU/Linux 12 (bookworm) 6.1 (Build 0: 18-amd64)"));
    QVERIFY(box.OS->geometry().right() < box.width());
    QCOMPARE(box.PhysMem->text(), QStringLiteral("16.777.216 KB"));
    QVERIFY(box.PhysMem->x() > box.Label3->geometry().right());
    QCOMPARE(box.PhysMem->x() + box.PhysMem->width(), box.width() - 13);
  }

  // The window's texts; both failed links are reported, and the box stays up.
  void mainWindowAboutCommand() {
    QTemporaryDir programDir;
    qputenv("KEMPWELL_PROGRAM_DIR", programDir.path().toLocal8Bit());
    auto owned = std::make_unique<ScriptedDialogs>();
    ScriptedDialogs& dialogs = *owned;
    dialogs.desktopAnswers = {false, false};
    kw::TForm1 form(std::move(owned));
    QStringList texts;
    dialogs.aboutScripts.push_back([&](TAboutBox& box) {
      texts = QStringList{box.windowTitle(), box.Company->text(), box.Version->text(),
                          box.Copyright->text(), box.URL->text(), box.EMAIL->text()};
      QTest::mouseClick(box.URL, Qt::LeftButton);
      QTest::mouseClick(box.EMAIL, Qt::LeftButton);
      QVERIFY(box.isVisible());
    });
    form.Ohjelmatiedot1->trigger();
    QCOMPARE(texts, (QStringList{"About Kempwell 2", "Kempwell", "Beta version 2.0.7",
                                 "Copyright (C) 2026 Kempwell", "https://kempwell.example/",
                                 "support@kempwell.example"}));
    QCOMPARE(dialogs.desktopOpens, (std::vector<QUrl>{QUrl("https://kempwell.example/"),
                                                     QUrl("mailto:support@kempwell.example")}));
    QCOMPARE(dialogs.errors,
             (std::vector<QString>{
                 QStringLiteral("Couldn't launch default browser"),
                 QStringLiteral("No application could open \"mailto:support@kempwell.example\".")}));
  }
};

QTEST_MAIN(AboutBoxTest)
#include "about_box_test.moc"
