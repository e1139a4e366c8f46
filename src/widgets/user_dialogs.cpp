#include "widgets/user_dialogs.h"

#include <QUrl>
#include <QWidget>

namespace kw {

void UserDialogs::OpenOrSayWhyNot(QWidget* parent, const QUrl& url, const QString& shown) {
  OpenInDesktop(url, parent, [this, parent, shown] {
    ShowError(parent, QStringLiteral("No application could open \"%1\".").arg(shown));
  });
}

}  // namespace kw
