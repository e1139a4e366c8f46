#include "about/about_box.h"

#include <algorithm>

#include <QApplication>
#include <QFrame>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QUrl>
#include <memory>

#include "widgets/icons.h"
#include "widgets/user_dialogs.h"

namespace kw {

namespace {

constexpr int kPhysMemRightEdge = 329;
constexpr int kBoxWidth = 342;
constexpr int kBoxHeight = 250;
constexpr int kBevelWidth = 251;
constexpr int kOkLeft = 256;
const QColor kNavy(0, 0, 128);
const QColor kGray(128, 128, 128);

QFont PixelFont(int pixels, bool bold = false) {
  QFont font = QApplication::font();
  font.setPixelSize(pixels);
  font.setBold(bold);
  return font;
}

QFont ProductNameFont() {
  QFont font = PixelFont(24, true);
  font.setFamily(QStringLiteral("Sans Serif"));
  font.setStyleHint(QFont::SansSerif);
  return font;
}

void SetColor(QWidget* widget, const QColor& color) {
  QPalette palette = widget->palette();
  palette.setColor(QPalette::WindowText, color);
  widget->setPalette(palette);
}

QLabel* AutoLabel(QWidget* parent, const QString& text, int left, int top) {
  auto* label = new QLabel(text, parent);
  label->move(left, top);
  label->adjustSize();
  return label;
}

QLabel* ProductLabel(QWidget* parent, const QColor& color, int left, int top) {
  auto* label = new QLabel(QStringLiteral("ProductName..."), parent);
  label->setGeometry(left, top, 209, 29);
  label->setFont(ProductNameFont());
  SetColor(label, color);
  return label;
}

TLinkLabel* LinkLabel(QWidget* parent, const QString& text, int top) {
  auto* label = new TLinkLabel(text, parent);
  QFont font = PixelFont(11);
  font.setUnderline(true);
  label->setFont(font);
  SetColor(label, kNavy);
  label->setCursor(Qt::PointingHandCursor);
  label->move(82, top);
  label->adjustSize();
  return label;
}

}  // namespace

void TLinkLabel::mouseReleaseEvent(QMouseEvent* e) {
  QLabel::mouseReleaseEvent(e);
  if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint()) && OnClick) OnClick(*this);
}

TAboutBox::TAboutBox(UserDialogs& dialogs, QWidget* parent, const SystemFacts& facts)
    : QDialog(parent), dialogs_(dialogs) {
  setWindowTitle(QStringLiteral("About"));
  setFixedSize(kBoxWidth, kBoxHeight);

  ProgramIcon = new QLabel(this);
  ProgramIcon->setGeometry(16, 19, 41, 41);
  Company = AutoLabel(this, QStringLiteral("Company"), 82, 19);
  Company->setFont(PixelFont(13));
  Company->adjustSize();
  // Made in this order so that each lies above the one before: a black name
  // with a gray and a white edge.
  ProductName1 = ProductLabel(this, Qt::white, 82, 36);
  ProductName3 = ProductLabel(this, kGray, 82, 34);
  ProductName2 = ProductLabel(this, Qt::black, 81, 34);
  Version = AutoLabel(this, QStringLiteral("Version..."), 82, 67);
  Copyright = AutoLabel(this, QStringLiteral("Copyright..."), 82, 86);
  for (QLabel* label : {Company, Version, Copyright}) SetColor(label, Qt::black);
  for (QLabel* label : {Version, Copyright}) {
    label->setFont(PixelFont(11));
    label->adjustSize();
  }
  URL = LinkLabel(this, QStringLiteral("URL..."), 109);
  URL->OnClick = [this](TLinkLabel&) { URLClick(); };
  EMAIL = LinkLabel(this, QStringLiteral("EMAIL"), 134);
  EMAIL->OnClick = [this](TLinkLabel&) { EMAILClick(); };

  Bevel1 = new QFrame(this);
  Bevel1->setFrameStyle(QFrame::HLine | QFrame::Sunken);
  Bevel1->setGeometry(82, 158, kBevelWidth, 2);
  OS = AutoLabel(this, QStringLiteral("OS"), 82, 167);
  Label3 = AutoLabel(this, QStringLiteral("Memory Available to Windows:"), 82, 184);
  PhysMem = AutoLabel(this, QStringLiteral("0"), 82, 184);
  PhysMem->setAlignment(Qt::AlignRight | Qt::AlignTop);
  TidyVersion = AutoLabel(this, QStringLiteral("tidy:"), 82, 200);
  for (QLabel* label : {OS, Label3, PhysMem, TidyVersion}) label->setFont(PixelFont(11));
  SetLabelText(PhysMem, PhysMem->text());

  OKButton = new QPushButton(QStringLiteral("OK"), this);
  OKButton->setGeometry(kOkLeft, 215, 75, 25);
  OKButton->setDefault(true);
  connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);

  FormCreate(facts);
}

void TAboutBox::FormCreate(const SystemFacts& facts) {
  SetLabelText(OS, QString::fromStdString(OsLine(facts.Os)));
  SetLabelText(PhysMem, PhysMemText(facts.PhysicalMemory, QLocale()));
}

void TAboutBox::SetLabelText(QLabel* label, const QString& text) {
  label->setText(text);
  label->adjustSize();
  FitWidth();
}

// The layout was made for narrower fonts than a Linux desktop's: the box
// grows so that the system line is not cut and the memory figure does not
// run into its caption; with room to spare it keeps its designed width.
void TAboutBox::FitWidth() {
  if (!OKButton) return;  // still being built
  const int memoryRight = std::max(kPhysMemRightEdge, Label3->x() + Label3->width() + 6 + PhysMem->width());
  const int extra = std::max({0, memoryRight - kPhysMemRightEdge, OS->x() + OS->width() + 13 - kBoxWidth,
                              TidyVersion->x() + TidyVersion->width() + 13 - kBoxWidth});
  setFixedSize(kBoxWidth + extra, kBoxHeight);
  PhysMem->move(kPhysMemRightEdge + extra - PhysMem->width(), PhysMem->y());
  Bevel1->resize(kBevelWidth + extra, Bevel1->height());
  OKButton->move(kOkLeft + extra, OKButton->y());
}

void TAboutBox::keyPressEvent(QKeyEvent* e) {
  // The OK button is the cancel button too: Esc closes with OK. Only the
  // title bar's close gives another result.
  if (e->key() == Qt::Key_Escape && e->modifiers() == Qt::NoModifier) {
    OKButton->click();
    return;
  }
  QDialog::keyPressEvent(e);
}

void TAboutBox::URLClick() {
  dialogs_.OpenInDesktop(QUrl::fromUserInput(URL->text()), this,
                         [this] { dialogs_.ShowError(this, QStringLiteral("Couldn't launch default browser")); });
}

void TAboutBox::EMAILClick() {
  const QUrl address(QStringLiteral("mailto:") + EMAIL->text());
  dialogs_.OpenOrSayWhyNot(this, address, address.toString());
}

TAboutInfoDialog::TAboutInfoDialog(UserDialogs& dialogs, QObject* owner) : QObject(owner), dialogs_(dialogs) {}

bool TAboutInfoDialog::Execute(QWidget* parent) {
  const auto box = std::make_unique<TAboutBox>(dialogs_, parent);
  if (ProductName.isEmpty()) ProductName = QGuiApplication::applicationDisplayName();
  box->SetLabelText(box->Company, Company);
  for (QLabel* name : {box->ProductName1, box->ProductName2, box->ProductName3}) name->setText(ProductName);
  box->SetLabelText(box->Version, Version);
  box->SetLabelText(box->Copyright, Copyright);
  box->SetLabelText(box->URL, URL);
  box->SetLabelText(box->EMAIL, EMail);
  box->SetLabelText(box->TidyVersion, QString::fromLocal8Bit(TidyVersionLine(ProgramDir)));
  box->setWindowTitle(QStringLiteral("About ") + ProductName);
  box->ProgramIcon->setPixmap(WindowIcon().pixmap(box->ProgramIcon->size()));
  if (const QScreen* screen = parent ? parent->screen() : QGuiApplication::primaryScreen())
    box->move(screen->availableGeometry().center() - box->rect().center());
  return dialogs_.RunAboutBox(parent, *box);
}

}  // namespace kw
