// The about dialog through the real box: its texts and layout, the system
// lines from given values, the close results and the two links.
#include <QAction>
#include <QFrame>
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

QColor TextColor(const QWidget* w) { return w->palette().color(QPalette::WindowText); }

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

  void defaultsOfTheComponent() {
    TAboutInfoDialog about(*d_);
    QCOMPARE(about.Company, QStringLiteral("Kempwell"));
    QCOMPARE(about.ProductName, QString());
    QCOMPARE(about.Version, QString());
    QCOMPARE(about.Copyright, QStringLiteral("Copyright Info"));
    QCOMPARE(about.URL, QStringLiteral("Youe Web Site"));
    QCOMPARE(about.EMail, QStringLiteral("Your E-Mail Address Here"));
  }

  void textsAndLayout() {
    TAboutInfoDialog about(*d_);
    FillLikeTheWindow(about);
    Execute(about, [](TAboutBox& box) {
      QCOMPARE(box.windowTitle(), QStringLiteral("About Kempwell 2"));
      // The designed 342 x 250, wider only where this desktop's font needs it.
      QVERIFY(box.width() >= 342 && box.height() == 250);
      QVERIFY(box.OS->geometry().right() < box.width());
      QCOMPARE(box.Company->text(), QStringLiteral("Kempwell"));
      for (QLabel* name : {box.ProductName1, box.ProductName2, box.ProductName3})
        QCOMPARE(name->text(), QStringLiteral("Kempwell 2"));
      QCOMPARE(box.Version->text(), QStringLiteral("Beta version 2.0.7"));
      QCOMPARE(box.Copyright->text(), QStringLiteral("Copyright (C) 2026 Kempwell"));
      QCOMPARE(box.URL->text(), QStringLiteral("https://kempwell.example/"));
      QCOMPARE(box.EMAIL->text(), QStringLiteral("support@kempwell.example"));
      QCOMPARE(box.Label3->text(), QStringLiteral("Memory Available to Windows:"));
      QCOMPARE(box.OKButton->text(), QStringLiteral("OK"));
      QVERIFY(box.OKButton->isDefault());
      QVERIFY(!box.ProgramIcon->pixmap().isNull());

      // Black on top of gray on top of white, each shifted by a pixel.
      QCOMPARE(box.ProductName2->geometry(), QRect(81, 34, 209, 29));
      QCOMPARE(box.ProductName3->geometry(), QRect(82, 34, 209, 29));
      QCOMPARE(box.ProductName1->geometry(), QRect(82, 36, 209, 29));
      const QObjectList stack = box.children();
      QVERIFY(stack.indexOf(box.ProductName1) < stack.indexOf(box.ProductName3));
      QVERIFY(stack.indexOf(box.ProductName3) < stack.indexOf(box.ProductName2));
      QCOMPARE(TextColor(box.ProductName2), QColor(Qt::black));
      QCOMPARE(TextColor(box.ProductName3), QColor(128, 128, 128));
      QCOMPARE(TextColor(box.ProductName1), QColor(Qt::white));
      QVERIFY(box.ProductName2->font().bold());
      QCOMPARE(box.ProductName2->font().pixelSize(), 24);

      for (QLabel* link : {static_cast<QLabel*>(box.URL), static_cast<QLabel*>(box.EMAIL)}) {
        QVERIFY(link->font().underline());
        QCOMPARE(TextColor(link), QColor(0, 0, 128));
        QCOMPARE(link->cursor().shape(), Qt::PointingHandCursor);
      }
      QCOMPARE(box.URL->pos(), QPoint(82, 109));
      QCOMPARE(box.EMAIL->pos(), QPoint(82, 134));
      const int wider = box.width() - 342;
      QCOMPARE(box.Bevel1->geometry(), QRect(82, 158, 251 + wider, 2));
      QCOMPARE(box.OS->pos(), QPoint(82, 167));
      QCOMPARE(box.OKButton->geometry(), QRect(256 + wider, 215, 75, 25));
    });
    QCOMPARE(d_->aboutBoxes, 1);
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
    QTest::newRow("ok button") << 0 << true;
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
        case 0: QTest::mouseClick(box.OKButton, Qt::LeftButton); break;
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
    QVERIFY(box.PhysMem->alignment() & Qt::AlignRight);
    QCOMPARE(box.PhysMem->x() + box.PhysMem->width(), box.width() - 13);
    QVERIFY(box.PhysMem->x() > box.Label3->geometry().right());
    QVERIFY(box.OS->geometry().right() < box.width());
    QCOMPARE(box.PhysMem->y(), 184);
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    box.FormCreate(SampleFacts());
    QCOMPARE(box.PhysMem->text(), QStringLiteral("16.777.216 KB"));
    QCOMPARE(box.PhysMem->x() + box.PhysMem->width(), box.width() - 13);
    QLocale::setDefault(QLocale::system());
  }

  void webLink_data() {
    QTest::addColumn<bool>("launched");
    QTest::newRow("browser started") << true;
    QTest::newRow("browser failed") << false;
  }
  void webLink() {
    QFETCH(bool, launched);
    d_->desktopAnswers = {launched};
    TAboutInfoDialog about(*d_);
    FillLikeTheWindow(about);
    Execute(about, [](TAboutBox& box) {
      QTest::mouseClick(box.URL, Qt::LeftButton);
      // An error leaves the box up.
      QVERIFY(box.isVisible());
      box.OKButton->click();
    });
    QCOMPARE(d_->desktopOpens, std::vector<QUrl>{QUrl(QStringLiteral("https://kempwell.example/"))});
    if (launched) QVERIFY(d_->errors.empty());
    else QCOMPARE(d_->errors, std::vector<QString>{QStringLiteral("Couldn't launch default browser")});
  }

  void unusableWebAddressIsAFailedLaunch() {
    d_->desktopAnswers = {false};
    TAboutBox box(*d_, nullptr, SampleFacts());
    box.URLClick();  // still "URL...", which no browser takes
    QCOMPARE(d_->errors, std::vector<QString>{QStringLiteral("Couldn't launch default browser")});
  }

  void mailLinkFailureIsSilent_data() {
    QTest::addColumn<bool>("launched");
    QTest::newRow("mail program started") << true;
    QTest::newRow("mail program failed") << false;
  }
  void mailLinkFailureIsSilent() {
    QFETCH(bool, launched);
    d_->desktopAnswers = {launched};
    TAboutInfoDialog about(*d_);
    FillLikeTheWindow(about);
    Execute(about, [](TAboutBox& box) { QTest::mouseClick(box.EMAIL, Qt::LeftButton); });
    QCOMPARE(d_->desktopOpens, std::vector<QUrl>{QUrl(QStringLiteral("mailto:support@kempwell.example"))});
    QVERIFY(d_->errors.empty());
  }

  void rightClickOnALinkDoesNothing() {
    TAboutBox box(*d_, nullptr, SampleFacts());
    box.show();
    QTest::mouseClick(box.URL, Qt::RightButton);
    QVERIFY(d_->desktopOpens.empty());
  }

  void mainWindowAboutCommand() {
    QTemporaryDir programDir;
    qputenv("KEMPWELL_PROGRAM_DIR", programDir.path().toLocal8Bit());
    auto owned = std::make_unique<ScriptedDialogs>();
    ScriptedDialogs& dialogs = *owned;
    kw::TForm1 form(std::move(owned));
    QString caption, company, copyright, url, email, version;
    dialogs.aboutScripts.push_back([&](TAboutBox& box) {
      caption = box.windowTitle();
      company = box.Company->text();
      version = box.Version->text();
      copyright = box.Copyright->text();
      url = box.URL->text();
      email = box.EMAIL->text();
    });
    form.Ohjelmatiedot1->trigger();
    QCOMPARE(dialogs.aboutBoxes, 1);
    QCOMPARE(caption, QStringLiteral("About Kempwell 2"));
    QCOMPARE(company, QStringLiteral("Kempwell"));
    QCOMPARE(version, QStringLiteral("Beta version 2.0.7"));
    QCOMPARE(copyright, QStringLiteral("Copyright (C) 2026 Kempwell"));
    QCOMPARE(url, QStringLiteral("https://kempwell.example/"));
    QCOMPARE(email, QStringLiteral("support@kempwell.example"));
  }
};

QTEST_MAIN(AboutBoxTest)
#include "about_box_test.moc"
