#include "search/editor_find.h"

#include "controls/source_editor.h"
#include "search/edit_search.h"
#include "search/find_operation.h"
#include "search/search_settings.h"

namespace kw {

namespace {

// The editor's lines in place in its whole text. The walk asks for one line
// after another, found in the text; the editor is asked only where it starts.
class EditorLines final : public FindView {
 public:
  explicit EditorLines(SourceEditor& editor)
      : editor_(editor), lineCount_(editor.LineCount()), text_(editor.Text()), lines_(text_) {}

  int LineCount() override { return lineCount_; }

  std::string_view Line(int index) override {
    if (const std::optional<std::string_view> line = lines_.Adjacent(index)) return *line;
    return lines_.LineAt(index, static_cast<size_t>(editor_.LineStart(index)));
  }

  bool SelAvail() override { return editor_.SelAvail(); }
  TextPos SelStart() override { return editor_.SelStart(); }
  TextPos SelEnd() override { return editor_.SelEnd(); }
  TextPos CaretPos() override { return editor_.CaretPos(); }
  void Select(TextPos anchor, TextPos caret) override { editor_.Select(anchor, caret); }
  std::optional<std::string_view> Lines(int first, int last) override {
    const size_t start = static_cast<size_t>(editor_.LineStart(first));
    const size_t end = last + 1 < lineCount_ ? static_cast<size_t>(editor_.LineStart(last + 1)) : text_.size();
    return text_.substr(start, end - start);
  }

 private:
  SourceEditor& editor_;
  int lineCount_;
  std::string_view text_;
  TextLines lines_;
};

}  // namespace

int FindInEditor(SourceEditor& editor, TEditSearch& engine, std::string_view searchText, unsigned options) {
  const std::optional<std::string> pattern = SearchBytes(searchText, editor.Encoding());
  if (!pattern) return 0;
  engine.SetEncoding(editor.Encoding());
  EditorLines lines(editor);
  return FindInView(lines, engine, *pattern, options);
}

}  // namespace kw
