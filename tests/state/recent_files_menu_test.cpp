// The recent-files component on a real menu: entries, separators, clicks,
// and the list's way through the INI file.
#include "state/recent_files_menu.h"

#include <QAction>
#include <QDir>
#include <QMenu>
#include <QPointer>
#include <QTest>
#include <cstdio>
#include <memory>

#include "app/ini_file.h"
#include "common/paths.h"
#include "support/scoped_env.h"
#include "support/temp_files.h"

using kw::TMostRecentFiles;
using kw::test::TempFolder;
using Files = std::vector<std::string>;

namespace {

// The menu drawn as text: captions joined by '|', "-" for a separator, and a
// '*' after each entry that belongs to the component.
QString Layout(const QMenu& menu) {
  QStringList parts;
  for (const QAction* action : menu.actions()) {
    QString part = action->isSeparator() ? QStringLiteral("-") : action->text();
    if (action->data().toUInt() == TMostRecentFiles::kEntryTag) part += '*';
    parts << part;
  }
  return parts.join('|');
}

QAction* Entry(const QMenu& menu, const QString& caption) {
  for (QAction* action : menu.actions())
    if (action->text() == caption) return action;
  return nullptr;
}

struct Click {
  QString caption;  // of the clicked entry, read while the event runs
  std::string fileName;
};

}  // namespace

class RecentFilesMenuTest : public QObject {
  Q_OBJECT

  std::unique_ptr<TempFolder> tmp_;
  std::unique_ptr<QMenu> menu_;
  std::unique_ptr<TMostRecentFiles> mru_;
  std::vector<Click> clicks_;
  std::vector<Click> missing_;

  // The window's settings, with the list in a file of the temporary folder.
  void Make(uint32_t maxFiles = 8, bool fullPath = true) {
    mru_ = std::make_unique<TMostRecentFiles>();
    mru_->BeginLoading();
    mru_->SetMaxFiles(maxFiles);
    mru_->SetShowFullPath(fullPath);
    mru_->SetOwnerMenuItem(menu_.get());
    mru_->SetIniFile(tmp_->File("kwmru.ini"));
    mru_->Loaded();
    mru_->OnMenuClick = [this](QAction* sender, const std::string& f) { clicks_.push_back({sender->text(), f}); };
    mru_->OnFileNotExist = [this](QAction* sender, const std::string& f) { missing_.push_back({sender->text(), f}); };
  }
  void AddAll(const Files& oldestFirst) {
    for (const std::string& file : oldestFirst) mru_->AddFile(file);
  }

 private slots:
  void init() {
    tmp_ = std::make_unique<TempFolder>();
    menu_ = std::make_unique<QMenu>();
    clicks_.clear();
    missing_.clear();
  }
  void cleanup() {
    mru_.reset();
    menu_.reset();
    tmp_.reset();
  }

  void captionsAndOrder_data() {
    QTest::addColumn<bool>("fullPath");
    QTest::addColumn<QStringList>("opened");
    QTest::addColumn<QString>("layout");
    QTest::newRow("nothing opened: no entries") << true << QStringList{} << "";
    QTest::newRow("full paths, newest first") << true << QStringList{"/d/a.htm", "/e/b.htm"}
                                              << "&1  /e/b.htm*|&2  /d/a.htm*";
    QTest::newRow("file names only") << false << QStringList{"/d/a.htm", "/e/b.htm"} << "&1  b.htm*|&2  a.htm*";
    QTest::newRow("reopened third moves up in its new case")
        << true << QStringList{"/d/Third.htm", "/d/b.htm", "/d/a.htm", "/D/THIRD.htm"}
        << "&1  /D/THIRD.htm*|&2  /d/a.htm*|&3  /d/b.htm*";
    QTest::newRow("first again keeps the old case") << true << QStringList{"/d/b.htm", "/d/A.htm", "/d/a.htm"}
                                                    << "&1  /d/A.htm*|&2  /d/b.htm*";
    QTest::newRow("ninth file drops the oldest")
        << false << QStringList{"/1", "/2", "/3", "/4", "/5", "/6", "/7", "/8", "/9"}
        << "&1  9*|&2  8*|&3  7*|&4  6*|&5  5*|&6  4*|&7  3*|&8  2*";
    QTest::newRow("a name with a line break is skipped") << true << QStringList{"/a", "/b\nc"} << "&1  /a*";
  }
  void captionsAndOrder() {
    QFETCH(bool, fullPath);
    QFETCH(QStringList, opened);
    QFETCH(QString, layout);
    Make(8, fullPath);
    for (const QString& file : opened) mru_->AddFile(file.toStdString());
    QCOMPARE(Layout(*menu_), layout);
  }

  void separatorsAroundTheBlock_data() {
    QTest::addColumn<QStringList>("own");  // the menu's own items, "-" a separator
    QTest::addColumn<uint>("position");
    QTest::addColumn<QString>("layout");
    QTest::newRow("at the top, before own items") << QStringList{"A", "B"} << 0u << "&1  /x*|&2  /y*|-*|A|B";
    QTest::newRow("between own items") << QStringList{"A", "B"} << 1u << "A|-*|&1  /x*|&2  /y*|-*|B";
    QTest::newRow("position beyond the end") << QStringList{"A", "B"} << 99u << "A|B|-*|&1  /x*|&2  /y*";
    QTest::newRow("own separators are used") << QStringList{"A", "-", "-", "B"} << 2u << "A|-|&1  /x*|&2  /y*|-|B";
    QTest::newRow("no own items") << QStringList{} << 3u << "&1  /x*|&2  /y*";
  }
  void separatorsAroundTheBlock() {
    QFETCH(QStringList, own);
    QFETCH(uint, position);
    QFETCH(QString, layout);
    for (const QString& text : own) text == "-" ? menu_->addSeparator() : menu_->addAction(text);
    Make();
    mru_->MenuPosition = position;
    AddAll({"/y", "/x"});
    QCOMPARE(Layout(*menu_), layout);
    // A rebuild takes out exactly what the last one put in.
    mru_->SetShowFullPath(false);
    mru_->SetShowFullPath(true);
    QCOMPARE(Layout(*menu_), layout);
  }

  void whatRebuildsTheMenu() {
    Make();
    AddAll({"/b", "/a"});
    QPointer<QAction> first = Entry(*menu_, "&1  /a");
    mru_->AddFile("/A");
    mru_->SetMaxFiles(8);
    QVERIFY2(first && menu_->actions().contains(first.data()), "no change must leave the entries alone");
    mru_->SetMaxFiles(20);
    QVERIFY2(!menu_->actions().contains(first.data()), "20 over 8 compares unclamped and rebuilds");
    QCOMPARE(mru_->MaxFiles(), 8u);
    mru_->SetMaxFiles(0);
    QCOMPARE(mru_->MaxFiles(), 1u);
    QCOMPARE(Layout(*menu_), QString("&1  /a*|&2  /b*"));  // lowering trims nothing yet
    mru_->AddFile("/c");
    QCOMPARE(Layout(*menu_), QString("&1  /c*"));
  }

  void withoutAMenuNothingIsAdded() {
    mru_ = std::make_unique<TMostRecentFiles>();
    mru_->AddFile("/a");
    QVERIFY(mru_->Files().empty());
    mru_->SetOwnerMenuItem(menu_.get());
    mru_->AddFile("/b");
    menu_.reset();
    QVERIFY(!mru_->OwnerMenuItem());
    mru_->AddFile("/c");
    QCOMPARE(mru_->Files(), Files{"/b"});
  }

  void clickingAnExistingFileMovesItUp() {
    Make();
    const std::string a = tmp_->Write("a.htm", "a"), b = tmp_->Write("b.htm", "b");
    AddAll({a, b});
    Entry(*menu_, QString::fromStdString("&2  " + a))->trigger();
    QCOMPARE(clicks_.size(), size_t(1));
    QCOMPARE(clicks_[0].caption, QString::fromStdString("&2  " + a));
    QCOMPARE(clicks_[0].fileName, a);
    QCOMPARE(mru_->Files(), (Files{a, b}));
    QVERIFY(missing_.empty());
  }

  void clickingBehindOwnItemsFindsTheRightEntry() {
    menu_->addAction("Own");
    Make();
    mru_->MenuPosition = 1;
    const std::string a = tmp_->Write("a.htm", "a"), b = tmp_->Write("b.htm", "b");
    AddAll({a, b});
    Entry(*menu_, QString::fromStdString("&1  " + b))->trigger();
    QCOMPARE(clicks_.size(), size_t(1));
    QCOMPARE(clicks_[0].fileName, b);
    menu_->actions().first()->trigger();  // not an entry
    QCOMPARE(clicks_.size(), size_t(1));
  }

  void clickingAGoneFileDropsItsEntry_data() {
    QTest::addColumn<QString>("gone");  // what is left at the path
    QTest::newRow("deleted") << "";
    QTest::newRow("a folder now") << "folder";
  }
  void clickingAGoneFileDropsItsEntry() {
    QFETCH(QString, gone);
    Make();
    const std::string a = tmp_->Write("a.htm", "a"), b = tmp_->Write("b.htm", "b");
    AddAll({a, b});
    std::remove(a.c_str());
    if (gone == "folder") QVERIFY(QDir().mkdir(QString::fromStdString(a)));
    Entry(*menu_, QString::fromStdString("&2  " + a))->trigger();
    QVERIFY(clicks_.empty());
    QCOMPARE(missing_.size(), size_t(1));
    QCOMPARE(missing_[0].caption, QString::fromStdString("&2  " + a));
    QCOMPARE(missing_[0].fileName, a);
    QCOMPARE(Layout(*menu_), QString::fromStdString("&1  " + b + "*"));
    mru_.reset();
    QCOMPARE(kw::IniFile(tmp_->File("kwmru.ini")).ReadString("MRU List", "2", "?"), std::string());
  }

  void withoutAClickHandlerNothingHappens() {
    Make();
    mru_->OnMenuClick = nullptr;
    AddAll({"/gone/a.htm"});
    Entry(*menu_, "&1  /gone/a.htm")->trigger();
    QVERIFY(missing_.empty());
    QCOMPARE(mru_->Files(), Files{"/gone/a.htm"});
  }

  void loadingWaitsForTheEndOfLoading() {
    const std::string first = tmp_->Write("first.ini", "[MRU List]\n1=/f1\n2=/f2\n3=\n4=/f4\n");
    const std::string second = tmp_->Write("second.ini", "[MRU List]\n1=/s1\n2=/s2\n3=/s3\n");
    mru_ = std::make_unique<TMostRecentFiles>();
    mru_->BeginLoading();
    mru_->SetOwnerMenuItem(menu_.get());
    mru_->SetMaxFiles(2);
    mru_->SetIniFile(first);
    QCOMPARE(Layout(*menu_), QString());
    mru_->Loaded();
    QCOMPARE(Layout(*menu_), QString("&1  f1*|&2  f2*"));
    mru_->SetIniFile(second);
    QCOMPARE(Layout(*menu_), QString("&1  s1*|&2  s2*"));
    mru_->SetIniFile(tmp_->File("absent.ini"));
    QCOMPARE(Layout(*menu_), QString());
  }

  void theFirstLoadReadsTheProgramsOwnIni() {
    kw::test::ScopedEnv programDir("KEMPWELL_PROGRAM_DIR", tmp_->Path());
    tmp_->Write("recent_files_menu_test.ini", "[MRU List]\n1=/own\n");
    mru_ = std::make_unique<TMostRecentFiles>();
    mru_->BeginLoading();
    mru_->SetOwnerMenuItem(menu_.get());
    mru_->Loaded();
    QCOMPARE(mru_->Files(), Files{"/own"});
    // Saved while the program folder still points into the temporary one.
    mru_.reset();
    QCOMPARE(kw::IniFile(tmp_->File("recent_files_menu_test.ini")).ReadString("MRU List", "2", "?"), std::string());
  }

  void theListIsSavedAtDestruction() {
    Make(3);
    AddAll({"/a", "/b"});
    tmp_->Write("kwmru.ini", "[MRU List]\n1=/x\n2=/y\n3=/z\n4=/w\n");
    mru_.reset();
    const kw::IniFile ini(tmp_->File("kwmru.ini"));
    const Files want = {"/b", "/a", "", "/w"};
    for (size_t i = 0; i < want.size(); ++i)
      QCOMPARE(ini.ReadString("MRU List", std::to_string(i + 1), "?"), want[i]);
  }

  void aListThatNeverLoadedSavesNothing() {
    mru_ = std::make_unique<TMostRecentFiles>();
    mru_->SetIniFile(tmp_->File("kwmru.ini"));
    mru_.reset();
    QVERIFY(!kw::PathExists(tmp_->File("kwmru.ini")));
  }
};

QTEST_MAIN(RecentFilesMenuTest)
#include "recent_files_menu_test.moc"
