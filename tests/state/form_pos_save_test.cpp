// The window-position component on a plain window, against the offscreen
// platform's one 800 x 800 screen and a store in a temporary folder. Which
// states and bounds count is the position rules' test.
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
  ~OwnerWindow() override {
    if (OnDestroy) OnDestroy(this);
  }
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

  // A window with its component, loaded from the store of that name.
  void Load(const std::string& name = "pos.ini", TFormPosSave::TNotifyEvent ownerHandler = {}) {
    window_ = std::make_unique<OwnerWindow>();
    window_->OnDestroy = std::move(ownerHandler);
    pos_ = new TFormPosSave(window_.get(), window_->OnDestroy);
    pos_->UseIniFile = true;
    pos_->NameKey = name;
    pos_->Loaded();
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

  // The designed bounds reach past the screen's right edge whatever the state.
  void restoring() {
    const QRect designed({175, 108}, QSize(625, 458));
    const struct { const char* stored; bool minimized; QRect bounds; } rows[] = {
        {nullptr, false, designed},
        {"Left=10\nTop=20\nWidth=700\nHeight=500\nWindowState=1", true, designed},
        {"Left=-200\nTop=-50\nWidth=900\nHeight=500", false, QRect(0, 0, 800, 500)},
        // Width and height of -1 are held up by the window's minimum size.
        {"Left=30\nTop=40", false, QRect(30, 40, 100, 80)},
    };
    for (const auto& r : rows) {
      qInfo() << r.stored;
      if (r.stored) config_->Write("pos.ini", std::string("[Form1]\n") + r.stored + "\n");
      Load();
      QCOMPARE(window_->isMinimized(), r.minimized);
      QCOMPARE(Bounds(*window_), r.bounds);
      pos_->UseIniFile = false;  // the next row's store stays as written
    }
  }

  // Written before the owner's own destroy handler runs, and read back.
  void roundTrips() {
    for (const QRect bounds : {QRect(40, 50, 500, 300), QRect(175, 108, 625, 458)}) {
      const bool maximized = bounds.x() == 175;
      QObject* sender = nullptr;
      std::vector<std::string> keysOnDisk;
      Load("pos.ini", [&](QObject* s) {
        sender = s;
        keysOnDisk = IniFile(config_->File("pos.ini")).ReadSectionKeys("Form1");
      });
      window_->move(bounds.topLeft());
      window_->resize(bounds.size());
      if (maximized) window_->setWindowState(Qt::WindowMaximized);
      OwnerWindow* owner = window_.get();
      window_.reset();
      QCOMPARE(sender, owner);
      QCOMPARE(keysOnDisk, (std::vector<std::string>{"Left", "Top", "Width", "Height", "WindowState"}));
      Load();
      QCOMPARE(window_->isMaximized(), maximized);
      QCOMPARE(Bounds(*window_), bounds);
      window_.reset();
      std::remove(config_->File("pos.ini").c_str());
    }
  }

  // Read as named, written with .ini; the default name is the executable's,
  // in a configuration folder made when missing.
  void storeNames() {
    config_->Write("pos", "[Form1]\nLeft=10\n");
    Load("pos");
    QCOMPARE(Bounds(*window_).x(), 10);
    window_->move(70, 80);
    window_.reset();
    QCOMPARE(IniFile(config_->File("pos.ini")).ReadInteger("Form1", "Left", 0), 70);
    QCOMPARE(IniFile(config_->File("pos")).ReadInteger("Form1", "Left", 0), 10);
    Load("");
    QCOMPARE(pos_->NameKey, std::string("form_pos_save_test.ini"));
    const std::string nested = config_->File("a/b");
    ScopedEnv xdg("XDG_CONFIG_HOME", nested);
    window_.reset();
    QVERIFY(QFile::exists(QString::fromStdString(nested + "/form_pos_save_test.ini")));
  }

  void aFailedWriteStopsBeforeTheOwnersHandler() {
    bool ownerHandlerRan = false;
    const std::string path = config_->Write("file", "") + "/pos.ini";
    Load(path, [&](QObject*) { ownerHandlerRan = true; });
    QCOMPARE(kw::test::ThrownText<kw::EKempwellError>([&] { window_->OnDestroy(window_.get()); }),
             "Unable to write to " + path);
    QVERIFY(!ownerHandlerRan);
    window_->OnDestroy = nullptr;
  }
};

QTEST_MAIN(FormPosSaveTest)
#include "form_pos_save_test.moc"
