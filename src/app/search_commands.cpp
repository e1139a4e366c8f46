// The main window's search commands: Find through the dialog, and Find next
// and Find previous with the stored settings.
#include <memory>

#include "app/main_window.h"
#include "controls/source_editor.h"
#include "search/editor_find.h"
#include "search/search_dialog.h"

namespace kw {

void TForm1::ShowSearchDialog() {
  // Owned here so that it goes on every path, an error included.
  const auto dialog = std::make_unique<TTextSearchDialog>(this);
  dialog->SetSearchBackwards(SearchSettings.Backwards);
  dialog->SetSearchCaseSensitive(SearchSettings.CaseSensitive);
  dialog->SetSearchFromCursor(SearchSettings.FromCaret);
  dialog->SetSearchInSelectionOnly(SearchSettings.SelectedOnly);
  dialog->SetSearchText(SearchSettings.SearchText);
  dialog->SetSearchTextHistory(SearchSettings.SearchHistory);
  dialog->SetSearchWholeWords(SearchSettings.WholeWords);
  if (!dialogs_->RunSearchDialog(this, *dialog)) return;

  SearchSettings.Backwards = dialog->SearchBackwards();
  SearchSettings.CaseSensitive = dialog->SearchCaseSensitive();
  SearchSettings.FromCaret = dialog->SearchFromCursor();
  SearchSettings.SelectedOnly = dialog->SearchInSelectionOnly();
  SearchSettings.WholeWords = dialog->SearchWholeWords();
  SearchSettings.SearchText = dialog->SearchText();
  SearchSettings.SearchHistory = dialog->SearchTextHistory();

  SearchFromCaret = SearchSettings.FromCaret;
  if (!SearchSettings.SearchText.empty()) {
    DoSearchText(SearchSettings.Backwards);
    // Find next and Find previous go on from the match.
    SearchFromCaret = true;
  }
}

void TForm1::DoSearchText(bool backwards) {
  const unsigned options = SearchOptions(SearchSettings, backwards, SearchFromCaret);
  if (FindInEditor(*Editor, EditSearch, SearchSettings.SearchText, options) != 0) return;
  dialogs_->Beep();
  dialogs_->Inform(this, QStringLiteral("Not found."));
  // No wrap-around: the selection collapses toward the search direction.
  TextPos start = Editor->SelStart();
  TextPos end = Editor->SelEnd();
  if (backwards) end = start;
  else start = end;
  Editor->Select(start, end);
  Editor->SetCaretPos(start);
}

}  // namespace kw
