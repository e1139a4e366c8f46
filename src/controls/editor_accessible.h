// Accessibility for the source editor, in constant time per query.
#pragma once

namespace kw {

// Makes assistive technology talk to SourceEditor through an interface whose
// offsets are byte positions (one byte is one character here). The toolkit's
// own interface for the editor counts characters from the start of the text
// on every caret move, which makes large documents crawl. Call before the
// first editor is shown; later calls do nothing.
void InstallEditorAccessibility();

}  // namespace kw
