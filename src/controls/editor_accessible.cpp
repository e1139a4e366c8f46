#include "controls/editor_accessible.h"

#include <QAccessibleWidget>

#include "controls/source_editor.h"
#include "document/typed_text.h"

namespace kw {

namespace {

class EditorAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
 public:
  explicit EditorAccessible(SourceEditor* editor) : QAccessibleWidget(editor, QAccessible::EditableText) {}

  void* interface_cast(QAccessible::InterfaceType type) override {
    if (type == QAccessible::TextInterface) return static_cast<QAccessibleTextInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
  }

  void selection(int selectionIndex, int* startOffset, int* endOffset) const override {
    *startOffset = *endOffset = 0;
    if (selectionIndex != 0) return;
    *startOffset = static_cast<int>(Send(QsciScintillaBase::SCI_GETSELECTIONSTART));
    *endOffset = static_cast<int>(Send(QsciScintillaBase::SCI_GETSELECTIONEND));
  }
  int selectionCount() const override { return Editor()->SelAvail() ? 1 : 0; }
  void addSelection(int startOffset, int endOffset) override { setSelection(0, startOffset, endOffset); }
  void removeSelection(int) override {
    Send(QsciScintillaBase::SCI_SETEMPTYSELECTION, Send(QsciScintillaBase::SCI_GETCURRENTPOS));
  }
  void setSelection(int, int startOffset, int endOffset) override {
    Send(QsciScintillaBase::SCI_SETSEL, static_cast<unsigned long>(startOffset), endOffset);
  }
  int cursorPosition() const override { return static_cast<int>(Send(QsciScintillaBase::SCI_GETCURRENTPOS)); }
  void setCursorPosition(int position) override {
    Send(QsciScintillaBase::SCI_GOTOPOS, static_cast<unsigned long>(position));
  }
  QString text(QAccessible::Text t) const override { return QAccessibleWidget::text(t); }
  QString text(int startOffset, int endOffset) const override {
    const int length = characterCount();
    startOffset = std::clamp(startOffset, 0, length);
    endOffset = std::clamp(endOffset, startOffset, length);
    if (endOffset == startOffset) return {};
    const auto* bytes = reinterpret_cast<const char*>(
        Send(QsciScintillaBase::SCI_GETRANGEPOINTER, static_cast<unsigned long>(startOffset), endOffset - startOffset));
    // Offsets stay byte positions, which the editor answers at once.
    return DecodeFromDocument(std::string_view(bytes, static_cast<size_t>(endOffset - startOffset)),
                              Editor()->Encoding());
  }
  int characterCount() const override { return static_cast<int>(Send(QsciScintillaBase::SCI_GETLENGTH)); }
  QRect characterRect(int offset) const override {
    const auto position = static_cast<unsigned long>(offset);
    const int x = static_cast<int>(Send(QsciScintillaBase::SCI_POINTXFROMPOSITION, 0, offset));
    const int y = static_cast<int>(Send(QsciScintillaBase::SCI_POINTYFROMPOSITION, 0, offset));
    const int line = static_cast<int>(Send(QsciScintillaBase::SCI_LINEFROMPOSITION, position));
    const int height = static_cast<int>(Send(QsciScintillaBase::SCI_TEXTHEIGHT, static_cast<unsigned long>(line)));
    const int width = static_cast<int>(Send(QsciScintillaBase::SCI_POINTXFROMPOSITION, 0, offset + 1)) - x;
    const QPoint topLeft = Editor()->viewport()->mapToGlobal(QPoint(x, y));
    return {topLeft, QSize(std::max(width, 1), height)};
  }
  int offsetAtPoint(const QPoint& point) const override {
    const QPoint local = Editor()->viewport()->mapFromGlobal(point);
    return static_cast<int>(Send(QsciScintillaBase::SCI_POSITIONFROMPOINTCLOSE,
                                 static_cast<unsigned long>(local.x()), local.y()));
  }
  void scrollToSubstring(int startIndex, int endIndex) override {
    Send(QsciScintillaBase::SCI_SCROLLRANGE, static_cast<unsigned long>(endIndex), startIndex);
  }
  QString attributes(int offset, int* startOffset, int* endOffset) const override {
    *startOffset = *endOffset = offset;
    return {};
  }

 private:
  SourceEditor* Editor() const { return static_cast<SourceEditor*>(widget()); }
  long Send(unsigned int msg, unsigned long wParam = 0, long lParam = 0) const {
    return Editor()->SendScintilla(msg, wParam, lParam);
  }
};

QAccessibleInterface* EditorAccessibleFactory(const QString& className, QObject* object) {
  if (className == QLatin1String(SourceEditor::staticMetaObject.className()))
    if (auto* editor = qobject_cast<SourceEditor*>(object)) return new EditorAccessible(editor);
  return nullptr;
}

}  // namespace

void InstallEditorAccessibility() {
  static const bool installed = [] {
    QAccessible::installFactory(EditorAccessibleFactory);
    return true;
  }();
  (void)installed;
}

}  // namespace kw
