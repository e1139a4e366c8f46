// The window-position component on a plain window, against a chosen screen
// size and a store in a temporary folder.
#include <QFile>
#include <QTest>
#include <QWidget>

#include "app/ini_file.h"
#include "common/error.h"
#include "state/form_pos_save.h"
#include "support/scoped_env.h"
#include "support/temp_files.h"
#include "support/thrown.h"

using kw::IniFile;
using kw::TFormPosSave;
using kw::TWindowState;
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
  ~OwnerWindow() override {
    if (OnDestroy) OnDestroy(this);
  }
  TFormPosSave::TNotifyEvent OnDestroy;
};

// The bounds a normal window has, or a maximized or minimized one returns to.
// (Not x() and y(): a platform may give a hidden window a frame once it has a state.)
QRect Bounds(const QWidget& w) { return w.normalGeometry(); }

}  // namespace

class FormPosSaveTest : public QObject {
  Q_OBJECT

  std::unique_ptr<TempFolder> config_;
  std::unique_ptr<ScopedEnv> xdg_;
  std::unique_ptr<OwnerWindow> window_;
  TFormPosSave* pos_ = nullptr;

  std::string Store() const { return config_->File("pos.ini"); }

  // A window with its component, not yet loaded.
  void Make(QSize screen = {1024, 768}) {
    window_ = std::make_unique<OwnerWindow>();
    pos_ = new TFormPosSave(window_.get(), window_->OnDestroy);
    pos_->UseIniFile = true;
    pos_->NameKey = "pos.ini";
    pos_->ScreenSize = [screen] { return screen; };
  }

 private slots:
  void init() {
    config_ = std::make_unique<TempFolder>();
    xdg_ = std::make_unique<ScopedEnv>("XDG_CONFIG_HOME", config_->Path());
  }
  void cleanup() {
    window_.reset();
    xdg_.reset();
    config_.reset();
  }

  void restoring_data() {
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QSize>("screen");
    QTest::addColumn<int>("state");
    QTest::addColumn<QRect>("bounds");
    const QSize big(1920, 1080);
    QTest::newRow("first run: designed bounds") << "" << big << 0 << QRect(347, 108, 625, 458);
    QTest::newRow("normal") << "Left=10\nTop=20\nWidth=700\nHeight=500\nWindowState=0" << big << 0
                            << QRect(10, 20, 700, 500);
    QTest::newRow("maximized keeps the designed bounds underneath")
        << "Left=0\nTop=0\nWidth=1920\nHeight=1080\nWindowState=2" << big << 2 << QRect(347, 108, 625, 458);
    QTest::newRow("minimized") << "Left=10\nTop=20\nWidth=700\nHeight=500\nWindowState=1" << big << 1
                               << QRect(347, 108, 625, 458);
    QTest::newRow("a state of 7 is normal with the bounds")
        << "Left=10\nTop=20\nWidth=700\nHeight=500\nWindowState=7" << big << 0 << QRect(10, 20, 700, 500);
    QTest::newRow("right and bottom beyond a smaller screen")
        << "Left=1500\nTop=900\nWidth=700\nHeight=500" << QSize(1024, 768) << 0 << QRect(324, 268, 700, 500);
    QTest::newRow("wider than the screen") << "Left=50\nTop=0\nWidth=900\nHeight=300" << QSize(800, 600) << 0
                                           << QRect(-100, 0, 900, 300);
    QTest::newRow("beyond the left and top stays") << "Left=-200\nTop=-50\nWidth=700\nHeight=500" << big << 0
                                                   << QRect(-200, -50, 700, 500);
    QTest::newRow("maximized on a small screen clamps the designed bounds")
        << "WindowState=2" << QSize(800, 500) << 2 << QRect(175, 42, 625, 458);
    // Width and height of -1 are held up by the window's minimum size.
    QTest::newRow("only left and top") << "Left=30\nTop=40" << big << 0 << QRect(30, 40, 100, 80);
    QTest::newRow("only width") << "Width=400" << big << 0 << QRect(-1, -1, 400, 80);
    QTest::newRow("values that are no numbers are defaults")
        << "Left=x\nTop=y\nWidth=z\nHeight=w\nWindowState=max" << big << 0 << QRect(347, 108, 625, 458);
  }
  void restoring() {
    QFETCH(QString, stored);
    QFETCH(QSize, screen);
    QFETCH(int, state);
    QFETCH(QRect, bounds);
    if (!stored.isEmpty()) config_->Write("pos.ini", "[Form1]\n" + stored.toStdString() + "\n");
    Make(screen);
    pos_->Loaded();
    QCOMPARE(window_->isMinimized(), state == 1);
    QCOMPARE(window_->isMaximized(), state == 2);
    QCOMPARE(Bounds(*window_), bounds);
  }

  void theReadEventMayChangeEveryValue() {
    config_->Write("pos.ini", "[Form1]\nLeft=10\nTop=20\nWidth=700\nHeight=500\nWindowState=2\n");
    Make();
    std::vector<int> seen;
    pos_->OnReadIni = [&](int32_t& l, int32_t& t, int32_t& w, int32_t& h, TWindowState& s) {
      seen = {l, t, w, h, static_cast<int>(s)};
      l = 1, t = 2, w = 300, h = 200, s = TWindowState::wsNormal;
    };
    pos_->Loaded();
    QCOMPARE(seen, (std::vector<int>{10, 20, 700, 500, 2}));
    QVERIFY(!window_->isMaximized());
    QCOMPARE(Bounds(*window_), QRect(1, 2, 300, 200));
  }

  void theOwnersDestroyHandlerRunsAfterThePositionIsWritten() {
    Make();
    std::vector<int> onDisk;
    QObject* sender = nullptr;
    window_->OnDestroy = [&](QObject* s) {
      sender = s;
      onDisk = {IniFile(Store()).ReadInteger("Form1", "Left", 0), IniFile(Store()).ReadInteger("Form1", "Width", 0)};
    };
    pos_->Loaded();
    QVERIFY(!QFile::exists(QString::fromStdString(Store())));  // nothing is written before destruction
    window_->move(12, 34);
    window_->resize(560, 420);
    OwnerWindow* owner = window_.get();
    window_.reset();
    QCOMPARE(sender, owner);
    QCOMPARE(onDisk, (std::vector<int>{12, 560}));
    const IniFile ini(Store());
    QCOMPARE(ini.ReadSectionKeys("Form1"), (std::vector<std::string>{"Left", "Top", "Width", "Height", "WindowState"}));
    QCOMPARE(ini.ReadInteger("Form1", "Top", 0), 34);
    QCOMPARE(ini.ReadInteger("Form1", "Height", 0), 420);
    QCOMPARE(ini.ReadInteger("Form1", "WindowState", -1), 0);
  }

  void roundTrips_data() {
    QTest::addColumn<int>("state");
    QTest::addColumn<QRect>("bounds");
    QTest::newRow("normal") << 0 << QRect(40, 50, 500, 300);
    QTest::newRow("off the left edge") << 0 << QRect(-40, 10, 500, 300);
    QTest::newRow("maximized") << 2 << QRect(347, 108, 625, 458);
  }
  void roundTrips() {
    QFETCH(int, state);
    QFETCH(QRect, bounds);
    Make();
    pos_->Loaded();
    window_->move(bounds.topLeft());
    window_->resize(bounds.size());
    if (state == 2) window_->setWindowState(Qt::WindowMaximized);
    window_.reset();
    Make();
    pos_->Loaded();
    QCOMPARE(window_->isMaximized(), state == 2);
    QCOMPARE(Bounds(*window_), bounds);
  }

  void theWriteEventMayChangeEveryValue() {
    Make();
    pos_->Loaded();
    window_->move(5, 6);
    std::vector<int> seen;
    pos_->OnWriteIni = [&](int32_t& l, int32_t& t, int32_t& w, int32_t& h, TWindowState& s) {
      seen = {l, t, w, h, static_cast<int>(s)};
      l = -1, t = -1, w = -1, h = -1, s = TWindowState::wsMaximized;
    };
    window_.reset();
    QCOMPARE(seen, (std::vector<int>{5, 6, 625, 458, 0}));
    const IniFile ini(Store());
    QCOMPARE(ini.ReadInteger("Form1", "Left", 0), -1);
    QCOMPARE(ini.ReadInteger("Form1", "WindowState", 0), 2);
  }

  void aNameWithoutIniReadsItAndWritesWithIni() {
    config_->Write("pos", "[Form1]\nLeft=10\nTop=20\nWidth=700\nHeight=500\n");
    Make();
    pos_->NameKey = "pos";
    pos_->Loaded();
    QCOMPARE(pos_->NameKey, std::string("pos"));
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

  void withoutTheIniStoreNothingIsReadOrWritten() {
    config_->Write("pos.ini", "[Form1]\nLeft=10\nTop=20\nWidth=700\nHeight=500\n");
    Make();
    pos_->UseIniFile = false;
    pos_->Loaded();
    QCOMPARE(Bounds(*window_), QRect(347, 108, 625, 458));
    window_->move(1, 1);
    window_.reset();
    QCOMPARE(IniFile(Store()).ReadInteger("Form1", "Left", 0), 10);
  }
};

QTEST_MAIN(FormPosSaveTest)
#include "form_pos_save_test.moc"
