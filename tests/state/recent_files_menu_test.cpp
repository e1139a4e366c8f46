// The recent-files component on a real menu: entries, separators, clicks,
// and the list's way through the INI file.
#include "state/recent_files_menu.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QPointer>
#include <QTest>
#include <cstdio>
#include <memory>

#include "state/ini_file.h"
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

QAction* Entry(const QMenu& menu, const std::string& caption) {
  for (QAction* action : menu.actions())
    if (action->text() == QString::fromStdString(caption)) return action;
  return nullptr;
}

// The sender's caption, read while the event runs, and the file.
QString Seen(const std::string& caption, const std::string& file) { return QString::fromStdString(caption + " > " + file); }

}  // namespace

class RecentFilesMenuTest : public QObject {
  Q_OBJECT

  std::unique_ptr<TempFolder> tmp_;
  std::unique_ptr<QMenu> menu_;
  std::unique_ptr<TMostRecentFiles> mru_;
  QStringList clicks_, missing_;

  // The window's settings, with the list in a file of the temporary folder.
  void Make(bool fullPath = true) {
    mru_ = std::make_unique<TMostRecentFiles>();
    mru_->BeginLoading();
    mru_->SetShowFullPath(fullPath);
    mru_->SetOwnerMenuItem(menu_.get());
    mru_->SetIniFile(tmp_->File("kwmru.ini"));
    mru_->Loaded();
    mru_->OnMenuClick = [this](QAction* s, const std::string& f) { clicks_ << Seen(s->text().toStdString(), f); };
    mru_->OnFileNotExist = [this](QAction* s, const std::string& f) { missing_ << Seen(s->text().toStdString(), f); };
  }
  void AddAll(const Files& oldestFirst) { for (const std::string& file : oldestFirst) mru_->AddFile(file); }

 private slots:
  void init() {
    tmp_ = std::make_unique<TempFolder>();
    menu_ = std::make_unique<QMenu>();
    clicks_ = missing_ = {};
  }
  void cleanup() { mru_.reset(); }

  void layout_data() {
    QTest::addColumn<QStringList>("own");  // the menu's own items, "-" a separator
    QTest::addColumn<uint>("position");
    QTest::addColumn<bool>("fullPath");
    QTest::addColumn<QStringList>("opened");
    QTest::addColumn<QString>("layout");
    const QStringList ab{"A", "B"}, two{"/d/a.htm", "/e/b.htm"};
    QTest::newRow("nothing opened: no entries, no separator") << ab << 1u << true << QStringList{} << "A|B";
    QTest::newRow("at the top, newest first") << ab << 0u << true << two << "&1  /e/b.htm*|&2  /d/a.htm*|-*|A|B";
    QTest::newRow("between own items, names only") << ab << 1u << false << two << "A|-*|&1  b.htm*|&2  a.htm*|-*|B";
    QTest::newRow("position beyond the end") << ab << 99u << false << two << "A|B|-*|&1  b.htm*|&2  a.htm*";
    QTest::newRow("own separators are used") << QStringList{"A", "-", "-", "B"} << 2u << false << two
                                             << "A|-|&1  b.htm*|&2  a.htm*|-|B";
  }
  void layout() {
    QFETCH(QStringList, own);
    QFETCH(uint, position);
    QFETCH(bool, fullPath);
    QFETCH(QStringList, opened);
    QFETCH(QString, layout);
    for (const QString& text : own) text == "-" ? menu_->addSeparator() : menu_->addAction(text);
    Make(fullPath);
    mru_->MenuPosition = position;
    for (const QString& file : opened) mru_->AddFile(file.toStdString());
    QCOMPARE(Layout(*menu_), layout);
    // A rebuild takes out exactly what the last one put in.
    mru_->SetShowFullPath(!fullPath);
    mru_->SetShowFullPath(fullPath);
    QCOMPARE(Layout(*menu_), layout);
  }

  void whatRebuildsTheMenu() {
    Make();
    AddAll({"/b", "/a"});
    QPointer<QAction> first = Entry(*menu_, "&1  /a");
    mru_->AddFile("/a");
    mru_->SetMaxFiles(4);
    QVERIFY2(first && menu_->actions().contains(first.data()), "no change must leave the entries alone");
    mru_->SetMaxFiles(20);
    QVERIFY2(!menu_->actions().contains(first.data()), "20 over 8 compares unclamped and rebuilds");
  }

  void aMenuDestroyedFirstIsLetGo() {
    Make();
    menu_.reset();
    mru_->AddFile("/c");
    QVERIFY(mru_->Files().empty());
  }

  void clickingAnEntryBehindOwnItemsMovesItUp() {
    menu_->addAction("Own");
    Make();
    mru_->MenuPosition = 1;
    const std::string a = tmp_->Write("a.htm", "a"), b = tmp_->Write("b.htm", "b");
    AddAll({a, b});
    Entry(*menu_, "&2  " + a)->trigger();
    menu_->actions().first()->trigger();  // not an entry
    QCOMPARE(clicks_, QStringList{Seen("&2  " + a, a)});
    QCOMPARE(mru_->Files(), (Files{a, b}));
    QVERIFY(missing_.empty());
  }

  void clickingAGoneFileDropsItsEntry_data() {
    QTest::addColumn<QString>("gone");  // what is left at the path
    QTest::newRow("deleted") << "";
    QTest::newRow("a folder now") << "folder";
    QTest::newRow("a link to nothing now") << "link";
  }
  void clickingAGoneFileDropsItsEntry() {
    QFETCH(QString, gone);
    Make();
    const std::string a = tmp_->Write("a.htm", "a"), b = tmp_->Write("b.htm", "b");
    AddAll({a, b});
    std::remove(a.c_str());
    if (gone == "folder") QVERIFY(QDir().mkdir(QString::fromStdString(a)));
    if (gone == "link") QVERIFY(QFile::link(QString::fromStdString(tmp_->File("nothing")), QString::fromStdString(a)));
    Entry(*menu_, "&2  " + a)->trigger();
    QVERIFY(clicks_.empty());
    QCOMPARE(missing_, QStringList{Seen("&2  " + a, a)});
    QCOMPARE(Layout(*menu_), QString::fromStdString("&1  " + b + "*"));
  }

  void loadedAtTheEndOfLoadingAndOnlyThenSaved() {
    mru_ = std::make_unique<TMostRecentFiles>();
    mru_->SetIniFile(tmp_->File("kwmru.ini"));
    mru_.reset();
    QVERIFY(!kw::PathExists(tmp_->File("kwmru.ini")));

    // No INI file named: the program's own, in the program folder.
    kw::test::ScopedEnv programDir("KEMPWELL_PROGRAM_DIR", tmp_->Path());
    const std::string own = tmp_->Write("recent_files_menu_test.ini", "[MRU List]\n1=/f1\n2=/f2\n3=/f3\n");
    mru_ = std::make_unique<TMostRecentFiles>();
    mru_->BeginLoading();
    mru_->SetOwnerMenuItem(menu_.get());
    mru_->SetMaxFiles(2);
    QCOMPARE(Layout(*menu_), QString());
    mru_->Loaded();
    QCOMPARE(Layout(*menu_), QString("&1  f1*|&2  f2*"));
    mru_->AddFile("/new");
    mru_.reset();  // while the program folder still points into the temporary one
    QCOMPARE(kw::IniFile(own).ReadString("MRU List", "2", "?"), std::string("/f1"));
  }
};

QTEST_MAIN(RecentFilesMenuTest)
#include "recent_files_menu_test.moc"
