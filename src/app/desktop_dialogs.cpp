#include "app/desktop_dialogs.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QPointer>
#include <QProcess>
#include <QStandardPaths>

#include "about/about_box.h"
#include "options/tidy_options_dialog.h"
#include "search/search_dialog.h"

namespace kw {

namespace {

class DesktopDialogs : public UserDialogs {
 public:
  SaveAnswer AskToSave(QWidget* parent, const QString& text) override {
    QMessageBox box(QMessageBox::Question, QStringLiteral("Confirm"), text,
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, parent);
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::Cancel);
    switch (box.exec()) {
      case QMessageBox::Yes: return SaveAnswer::Yes;
      case QMessageBox::No: return SaveAnswer::No;
      default: return SaveAnswer::Cancel;
    }
  }

  void Inform(QWidget* parent, const QString& text) override {
    QMessageBox box(QMessageBox::NoIcon, QString::fromLatin1(kApplicationTitle), text, QMessageBox::Ok, parent);
    box.exec();
  }

  void ShowError(QWidget* parent, const QString& text) override {
    QMessageBox box(QMessageBox::Critical, QString::fromLatin1(kApplicationTitle), text, QMessageBox::Ok, parent);
    box.exec();
  }

  bool RunSearchDialog(QWidget*, TTextSearchDialog& dialog) override { return dialog.exec() == QDialog::Accepted; }
  void Beep() override { QApplication::beep(); }
  bool RunAboutBox(QWidget*, TAboutBox& box) override { return box.exec() == QDialog::Accepted; }
  bool RunTidyOptionsDialog(QWidget*, TTidyOptionsDialog& dialog) override {
    return dialog.exec() == QDialog::Accepted;
  }

  // The desktop's opener reports "nothing can open this" only by its exit
  // status, which the toolkit's call does not wait for: it is run here and
  // watched without blocking. It may also run as long as the application it
  // started, which is not a failure.
  void OpenInDesktop(const QUrl& url, QObject* context, std::function<void()> onFailure) override {
    const QString opener = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (opener.isEmpty()) {
      if (!QDesktopServices::openUrl(url)) onFailure();
      return;
    }
    auto* process = new QProcess(qApp);
    process->setProgram(opener);
    process->setArguments({QString::fromLatin1(url.toEncoded())});
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QObject::connect(process, &QProcess::finished, context, [process, onFailure](int code, QProcess::ExitStatus end) {
      process->deleteLater();
      if (end != QProcess::NormalExit || code != 0) onFailure();
    });
    QObject::connect(process, &QProcess::errorOccurred, context, [process, onFailure](QProcess::ProcessError error) {
      if (error != QProcess::FailedToStart) return;
      process->deleteLater();
      onFailure();
    });
    process->start();
  }

  std::optional<std::string> AskOpenFileName(QWidget* parent, const std::string& startFolder) override {
    QFileDialog& dialog = Dialog(openDialog_, parent);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters({QStringLiteral("Html files (*.html *.htm)"), QStringLiteral("All files (*)")});
    dialog.selectNameFilter(QStringLiteral("Html files (*.html *.htm)"));
    return Run(dialog, startFolder);
  }

  std::optional<std::string> AskSaveFileName(QWidget* parent, const std::string& startFolder) override {
    QFileDialog& dialog = Dialog(saveDialog_, parent);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    return Run(dialog, startFolder);
  }

 private:
  static QFileDialog& Dialog(QPointer<QFileDialog>& dialog, QWidget* parent) {
    if (!dialog) dialog = new QFileDialog(parent);
    return *dialog;
  }

  static std::optional<std::string> Run(QFileDialog& dialog, const std::string& startFolder) {
    if (!startFolder.empty()) dialog.setDirectory(QFile::decodeName(QByteArray::fromStdString(startFolder)));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return QFile::encodeName(dialog.selectedFiles().first()).toStdString();
  }

  // Owned by their parent window, which outlives every use.
  QPointer<QFileDialog> openDialog_;
  QPointer<QFileDialog> saveDialog_;
};

}  // namespace

std::unique_ptr<UserDialogs> MakeDesktopDialogs() { return std::make_unique<DesktopDialogs>(); }

}  // namespace kw
