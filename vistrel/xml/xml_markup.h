// Pieces of the markup reader shared by nodes and the document: splitting a tag's
// inside into items and reading up to a closing text.
#ifndef VISTREL_XML_XML_MARKUP_H
#define VISTREL_XML_XML_MARKUP_H

#include "xml/xml_streams.h"

#include <string>
#include <string_view>
#include <vector>

namespace vistrel {

// Elements nested deeper than this are a parse error rather than a risk to the stack.
constexpr int kMaxXmlTreeDepth = 512;

// Narrows [start, close) (0-based) to the text without blanks at either end; false
// when nothing is left.
bool TrimPos(std::string_view text, size_t& start, size_t& close);

// The items of text[start, close): split at blanks outside quotes, then an item
// starting with "=" joined to the one before, then a quoted item joined to an item
// before it that holds "=". The list is left as it was for a range of blanks only.
void ParseAttributes(std::string_view text, size_t start, size_t close,
                     std::vector<std::string>& items);

// Reads characters up to the closing text; false at the end of the stream (value then
// unchanged). With skip_quotes the closing text is not looked for inside quotes.
bool ReadStringFromStreamUntil(TxdSurplusReader& reader, std::string_view search,
                               std::string& value, bool skip_quotes);

// Reads characters from the stream itself up to the terminator outside quotes.
bool ReadStringFromStreamWithQuotes(fw::TStream* stream, char terminator, std::string& value);

void WriteStringToStream(fw::TStream* stream, std::string_view text);

}

#endif
