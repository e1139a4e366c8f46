// The window-position component on a plain window, against the offscreen
// platform's one 800 x 800 screen and a store in a temporary folder.
#include <QFile>
#include <QTest>
#include <QWidget>

#include "state/ini_file.h"
#include "common/error.h"
#include "state/form_pos_save.h"
#include "support/scoped_env.h"
#include "support/temp_files.h"
#include "support/thrown.h"

using kw::IniFile;
using kw::TFormPosSave;
using kw::test::ScopedEnv;
using kw::test::TempFolder;

namespace {

// A window that raises its destroy event first thing in its destructor, as the main window does.
struct OwnerWindow : QWidget {
  OwnerWindow() {
    setObjectName(QStringLiteral("Form1"));
    setMinimumSize(100, 80);
    move(347, 108);
    resize(625, 458);
  }
  ~OwnerWindow() override { if (OnDestroy) OnDestroy(this); }
  TFormPosSave::TNotifyEvent OnDestroy;
};

// Not x() and y(): a platform may give a hidden window a frame once it has a state.
QRect Bounds(const QWidget& w) { return w.normalGeometry(); }

}  // namespace

class FormPosSaveTest : public QObject {
  Q_OBJECT

  std::unique_ptr<TempFolder> config_;
  std::unique_ptr<ScopedEnv> xdg_;
  std::unique_ptr<OwnerWindow> window_;
  TFormPosSave* pos_ = nullptr;

  std::string Store() const { return config_->File("pos.ini"); }
  // "Left,Top,Width,Height,WindowState" into the store's file; an empty field is a missing key.
  void Put(const QString& values, const std::string& file = "pos.ini") {
    const char* keys[] = {"Left", "Top", "Width", "Height", "WindowState"};
    std::string text = "[Form1]\n";
    const QStringList fields = values.split(',');
    for (qsizetype i = 0; i < fields.size(); ++i)
      if (!fields[i].isEmpty()) text += keys[i] + ("=" + fields[i].toStdString()) + "\n";
    config_->Write(file, text);
  }

  // A window with its component, not yet loaded.
  void Make() {
    window_ = std::make_unique<OwnerWindow>();
    pos_ = new TFormPosSave(window_.get(), window_->OnDestroy);
    pos_->UseIniFile = true;
    pos_->NameKey = "pos.ini";
  }

 private slots:
  void init() {
    config_ = std::make_unique<TempFolder>();
    xdg_ = std::make_unique<ScopedEnv>("XDG_CONFIG_HOME", config_->Path());
  }
  void cleanup() {
    window_.reset();
    xdg_.reset();  // before the next test sets its own
  }

  void restoring_data() {
    QTest::addColumn<QString>("stored");
    QTest::addColumn<int>("state");
    QTest::addColumn<QRect>("bounds");
    // The designed bounds reach past the screen's right edge whatever the state;
    // which states and bounds count is the position rules' test.
    const QSize designed(625, 458);
    QTest::newRow("first run: designed bounds") << "" << 0 << QRect({175, 108}, designed);
    QTest::newRow("minimized") << "10,20,700,500,1" << 1 << QRect({175, 108}, designed);
    QTest::newRow("beyond the screen's edges and size") << "-200,-50,900,500" << 0 << QRect(0, 0, 800, 500);
    // Width and height of -1 are held up by the window's minimum size.
    QTest::newRow("only left and top") << "30,40" << 0 << QRect(30, 40, 100, 80);
  }
  void restoring() {
    QFETCH(QString, stored);
    QFETCH(int, state);
    QFETCH(QRect, bounds);
    if (!stored.isEmpty()) Put(stored);
    Make();
    pos_->Loaded();
    QCOMPARE(window_->isMinimized(), state == 1);
    QCOMPARE(window_->isMaximized(), state == 2);
    QCOMPARE(Bounds(*window_), bounds);
  }

  void roundTripsWrittenBeforeTheOwnersDestroyHandler_data() {
    QTest::addColumn<int>("state");
    QTest::addColumn<QRect>("bounds");
    QTest::newRow("normal") << 0 << QRect(40, 50, 500, 300);
    QTest::newRow("maximized") << 2 << QRect(175, 108, 625, 458);
  }
  void roundTripsWrittenBeforeTheOwnersDestroyHandler() {
    QFETCH(int, state);
    QFETCH(QRect, bounds);
    Make();
    QObject* sender = nullptr;
    std::vector<std::string> keysOnDisk;
    window_->OnDestroy = [&](QObject* s) { sender = s, keysOnDisk = IniFile(Store()).ReadSectionKeys("Form1"); };
    pos_->Loaded();
    window_->move(bounds.topLeft());
    window_->resize(bounds.size());
    if (state == 2) window_->setWindowState(Qt::WindowMaximized);
    QVERIFY(!QFile::exists(QString::fromStdString(Store())));
    OwnerWindow* owner = window_.get();
    window_.reset();
    QCOMPARE(sender, owner);
    QCOMPARE(keysOnDisk, (std::vector<std::string>{"Left", "Top", "Width", "Height", "WindowState"}));
    Make();
    pos_->Loaded();
    QCOMPARE(window_->isMaximized(), state == 2);
    QCOMPARE(Bounds(*window_), bounds);
  }

  void aNameWithoutIniReadsItAndWritesWithIni() {
    Put("10,20,700,500", "pos");
    Make();
    pos_->NameKey = "pos";
    pos_->Loaded();
    QCOMPARE(Bounds(*window_), QRect(10, 20, 700, 500));
    window_->move(70, 80);
    pos_->OwnerDestroyed(window_.get());
    QCOMPARE(pos_->NameKey, std::string("pos.ini"));
    QCOMPARE(IniFile(config_->File("pos.ini")).ReadInteger("Form1", "Left", 0), 70);
    QCOMPARE(IniFile(config_->File("pos")).ReadInteger("Form1", "Left", 0), 10);
  }

  void theDefaultNameIsTheExecutablesInTheConfigFolder() {
    Make();
    pos_->NameKey.clear();
    pos_->Loaded();
    QCOMPARE(pos_->NameKey, std::string("form_pos_save_test.ini"));
    // The configuration folder is made when it is missing.
    const std::string nested = config_->File("a/b");
    ScopedEnv xdg("XDG_CONFIG_HOME", nested);
    window_.reset();
    QVERIFY(QFile::exists(QString::fromStdString(nested + "/form_pos_save_test.ini")));
  }

  void aFailedWriteStopsBeforeTheOwnersHandler() {
    Make();
    const std::string path = config_->Write("file", "") + "/pos.ini";
    pos_->NameKey = path;
    bool ownerHandlerRan = false;
    window_->OnDestroy = [&](QObject*) { ownerHandlerRan = true; };
    pos_->Loaded();
    QCOMPARE(kw::test::ThrownText<kw::EKempwellError>([&] { window_->OnDestroy(window_.get()); }),
             "Unable to write to " + path);
    QVERIFY(!ownerHandlerRan);
    window_->OnDestroy = nullptr;
  }
};

QTEST_MAIN(FormPosSaveTest)
#include "form_pos_save_test.moc"
