// The recent-files component on a real menu: entries, separators, clicks,
// and when the list is loaded and saved. The list's own rules are the recent
// file list's test.
#include "state/recent_files_menu.h"

#include <QAction>
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

}  // namespace

class RecentFilesMenuTest : public QObject {
  Q_OBJECT

  std::unique_ptr<TempFolder> tmp_;
  std::unique_ptr<QMenu> menu_;
  std::unique_ptr<TMostRecentFiles> mru_;
  QStringList events_;  // "click" or "missing", the sender's caption as the event runs, the file

  // The window's settings, with the list in a file of the temporary folder,
  // and the menu's own items ("-" a separator).
  void Make(const QStringList& own = {}, uint32_t position = 0, bool fullPath = true) {
    menu_ = std::make_unique<QMenu>();
    for (const QString& text : own) text == "-" ? menu_->addSeparator() : menu_->addAction(text);
    mru_ = std::make_unique<TMostRecentFiles>();
    mru_->BeginLoading();
    mru_->SetShowFullPath(fullPath);
    mru_->SetOwnerMenuItem(menu_.get());
    mru_->SetIniFile(tmp_->File("kwmru.ini"));
    mru_->Loaded();
    mru_->MenuPosition = position;
    const auto record = [this](const char* what) {
      return [this, what](QAction* s, const std::string& f) {
        events_ << what + (" " + s->text()) + " " + f.c_str();
      };
    };
    mru_->OnMenuClick = record("click");
    mru_->OnFileNotExist = record("missing");
  }
  void AddAll(const Files& oldestFirst) {
    for (const std::string& file : oldestFirst) mru_->AddFile(file);
  }

 private slots:
  void init() {
    tmp_ = std::make_unique<TempFolder>();
    events_.clear();
  }
  void cleanup() { mru_.reset(); }

  void layout() {
    const QStringList ab{"A", "B"};
    const struct { QStringList own; uint32_t position; bool fullPath; QString layout; } rows[] = {
        {ab, 0, true, "&1  /e/b.htm*|&2  /d/a.htm*|-*|A|B"},
        {ab, 1, false, "A|-*|&1  b.htm*|&2  a.htm*|-*|B"},
        {ab, 99, false, "A|B|-*|&1  b.htm*|&2  a.htm*"},
        {{"A", "-", "-", "B"}, 2, false, "A|-|&1  b.htm*|&2  a.htm*|-|B"},  // its own separators are used
    };
    for (const auto& r : rows) {
      qInfo() << r.layout;
      mru_.reset();
      std::remove(tmp_->File("kwmru.ini").c_str());
      Make(r.own, r.position, r.fullPath);
      QCOMPARE(Layout(*menu_), r.own.join('|'));  // nothing opened: no entries, no separator
      AddAll({"/d/a.htm", "/e/b.htm"});
      QCOMPARE(Layout(*menu_), r.layout);
      // A rebuild takes out exactly what the last one put in.
      mru_->SetShowFullPath(!r.fullPath);
      mru_->SetShowFullPath(r.fullPath);
      QCOMPARE(Layout(*menu_), r.layout);
      // A click finds its file wherever the entries start.
      for (QAction* action : menu_->actions())
        if (action->text().startsWith("&2")) action->trigger();
      QVERIFY(events_.takeLast().endsWith(" /d/a.htm"));
    }
  }

  // Only a change rebuilds the menu; once the menu is gone nothing is added.
  void whatRebuildsTheMenu() {
    Make();
    AddAll({"/b", "/a"});
    QPointer<QAction> first = Entry(*menu_, "&1  /a");
    mru_->AddFile("/a");
    mru_->SetMaxFiles(4);
    QVERIFY2(first && menu_->actions().contains(first.data()), "no change must leave the entries alone");
    mru_->SetMaxFiles(20);
    QVERIFY(!menu_->actions().contains(first.data()));
    menu_.reset();
    mru_->AddFile("/c");
    QCOMPARE(mru_->Files(), (Files{"/a", "/b"}));
  }

  // Behind the menu's own items: an entry clicked moves up, one whose file is
  // gone is dropped; the menu's own item is no entry.
  void clickingAnEntry() {
    Make({"Own"}, 1);
    const std::string a = tmp_->Write("a.htm", "a"), b = tmp_->Write("b.htm", "b"), c = tmp_->File("c.htm");
    AddAll({c, a, b});
    Entry(*menu_, "&2  " + a)->trigger();
    menu_->actions().first()->trigger();
    Entry(*menu_, "&3  " + c)->trigger();
    QCOMPARE(events_, (QStringList{QString::fromStdString("click &2  " + a + " " + a),
                                   QString::fromStdString("missing &3  " + c + " " + c)}));
    QCOMPARE(Layout(*menu_), QString::fromStdString("Own|-*|&1  " + a + "*|&2  " + b + "*"));
  }

  // Saved only once loaded; with no INI file named, the program's own in the
  // program folder, loaded only as loading ends.
  void loadedAtTheEndOfLoadingAndOnlyThenSaved() {
    mru_ = std::make_unique<TMostRecentFiles>();
    mru_->SetIniFile(tmp_->File("kwmru.ini"));
    mru_.reset();
    QVERIFY(!kw::PathExists(tmp_->File("kwmru.ini")));

    kw::test::ScopedEnv programDir("KEMPWELL_PROGRAM_DIR", tmp_->Path());
    const std::string own = tmp_->Write("recent_files_menu_test.ini", "[MRU List]\n1=/f1\n2=/f2\n3=/f3\n");
    menu_ = std::make_unique<QMenu>();
    menu_->addAction("A");
    mru_ = std::make_unique<TMostRecentFiles>();
    mru_->BeginLoading();
    mru_->SetIniFile("");
    mru_->SetOwnerMenuItem(menu_.get());
    mru_->SetMaxFiles(2);
    QCOMPARE(Layout(*menu_), QString("A"));
    mru_->Loaded();
    QCOMPARE(Layout(*menu_), QString("&1  f1*|&2  f2*|-*|A"));  // at the top unless told otherwise
    mru_->AddFile("/new");
    mru_.reset();  // while the program folder still points into the temporary one
    QCOMPARE(kw::IniFile(own).ReadString("MRU List", "2", "?"), std::string("/f1"));
  }
};

QTEST_MAIN(RecentFilesMenuTest)
#include "recent_files_menu_test.moc"
