// Text between the user and the document's bytes: what is typed, pasted or
// dropped, as bytes of the document's encoding, and bytes shown as text.
#pragma once

#include <QString>
#include <string>
#include <string_view>

#include "document/text_encoding.h"

namespace kw {

// UTF-8 as it is. In ISO-8859-1 every character the encoding has is its one
// byte, and any other becomes an HTML character reference ("&#8364;" for €),
// so that no character is lost and the page still shows it.
std::string EncodeForDocument(const QString& text, TextEncoding encoding);

// The document's bytes as the characters the editor shows for them.
QString DecodeFromDocument(std::string_view bytes, TextEncoding encoding);

// True when the text holds a character that ISO-8859-1 cannot carry.
bool NeedsCharacterReferences(const QString& text);

}  // namespace kw
