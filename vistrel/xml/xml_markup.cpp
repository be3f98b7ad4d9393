// The parser and writer of one node.

#include "xml/xml_markup.h"

#include "xml/xml_document.h"
#include "xml/xml_encodings.h"
#include "xml/xml_node.h"

#include <framework/sysutils.h>

#include <initializer_list>
#include <string_view>

namespace vistrel {

namespace {

struct TTagType {
    std::string_view FStart;
    std::string_view FClose;
    TXmlElementType FStyle;
};

constexpr TTagType kTagTable[12] = {
    {"<![CDATA[", "]]>", xeCData},
    {"<!DOCTYPE", ">", xeDoctype},
    {"<!ELEMENT", ">", xeElement},
    {"<!ATTLIST", ">", xeAttList},
    {"<!ENTITY", ">", xeEntity},
    {"<!NOTATION", ">", xeNotation},
    {"<?xml-stylesheet", "?>", xeStylesheet},
    {"<?xml", "?>", xeDeclaration},
    {"<!--", "-->", xeComment},
    {"<!", ">", xeExclam},
    {"<?", "?>", xeQuestion},
    {"<", ">", xeNormal},
};
constexpr int kPlainElementRow = 11;

bool is_blank(char c)
{
    return c == '\t' || c == '\n' || c == '\r' || c == ' ';
}

bool is_quote(char c)
{
    return c == '"' || c == '\'';
}

QString name_text(const std::string& name)
{
    return QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
}

[[noreturn]] void raise_in_element(const char* format, const std::string& name)
{
    throw fw::EFilerError(format, {name_text(name)});
}

// After a "<": the row of the tag table whose opening text the next characters
// complete, the longest one winning. Characters read beyond it go back to the reader.
int ReadOpenTag(TxdSurplusReader& reader)
{
    bool candidate[12];
    std::fill(std::begin(candidate), std::end(candidate), true);
    int result = kPlainElementRow;
    std::string read;
    for (size_t k = 1;; ++k) {
        char c = 0;
        if (!reader.ReadChar(c))
            return result;
        read.push_back(c);
        bool matched = false;
        for (int row = 11; row >= 0; --row) {
            const std::string_view start = kTagTable[row].FStart;
            if (!candidate[row] || start.size() <= k)
                continue;
            if (start[k] != c) {
                candidate[row] = false;
                continue;
            }
            matched = true;
            if (start.size() == k + 1)
                result = row;
        }
        if (!matched) {
            reader.SetSurplus(read.substr(kTagTable[result].FStart.size() - 1) + reader.Surplus());
            return result;
        }
    }
}

// Name and attributes of a node from its tag's inside, text[start, close).
void ParseTag(TXmlNode& node, std::string_view text, size_t start, size_t close)
{
    std::vector<std::string> items;
    ParseAttributes(text, start, close, items);
    if (node.ElementType() == xeDeclaration) {
        node.SetName("xml");
    } else if (node.ElementType() == xeStylesheet) {
        node.SetName("xml-stylesheet");
        node.SetValueDirect(TrimControls(text.substr(start, close - start)));
    } else {
        if (items.empty())
            throw fw::EFilerError("Missing element name");
        node.SetName(items.front());
        items.erase(items.begin());
    }
    for (const std::string& item : items)
        node.AttributeAddPair(item);
}

// Runs the end of a node's parse when it leaves, also by an error.
class ParseEnd {
public:
    ParseEnd(TXmlNode& node, fw::TStream* stream) : m_node(node), m_stream(stream) {}

    void Finish()
    {
        TXmlDocument* document = m_node.Document();
        if (document == nullptr || document->AbortParsing())
            return;
        document->DoProgress(m_stream->Position());
        document->DoNodeLoaded(&m_node);
    }

private:
    TXmlNode& m_node;
    fw::TStream* m_stream;
};

bool aborted(const TXmlNode& node)
{
    return node.Document() != nullptr && node.Document()->AbortParsing();
}

void announce(TXmlNode& node)
{
    if (node.Document() != nullptr)
        node.Document()->DoNodeNew(&node);
}

std::string trailing_trimmed(std::string text)
{
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' '))
        text.pop_back();
    return text;
}

}

bool TrimPos(std::string_view text, size_t& start, size_t& close)
{
    close = std::min(close, text.size());
    while (start < close && is_blank(text[start]))
        ++start;
    while (close > start && is_blank(text[close - 1]))
        --close;
    return start < close;
}

void ParseAttributes(std::string_view text, size_t start, size_t close,
                     std::vector<std::string>& items)
{
    if (!TrimPos(text, start, close))
        return;
    items.clear();
    char quote = 0;
    size_t item_start = start;
    for (size_t i = start; i < close; ++i) {
        const char c = text[i];
        if (quote != 0) {
            if (c == quote)
                quote = 0;
        } else if (is_quote(c)) {
            quote = c;
        } else if (is_blank(c)) {
            if (i > item_start)
                items.emplace_back(text.substr(item_start, i - item_start));
            item_start = i + 1;
        }
    }
    if (close > item_start)
        items.emplace_back(text.substr(item_start, close - item_start));

    for (size_t i = items.size(); i-- > 1;) {
        if (items[i][0] == '=') {
            items[i - 1] += items[i];
            items.erase(items.begin() + static_cast<std::ptrdiff_t>(i));
        }
    }
    for (size_t i = items.size(); i-- > 1;) {
        if (is_quote(items[i][0]) && items[i - 1].find('=') != std::string::npos) {
            items[i - 1] += items[i];
            items.erase(items.begin() + static_cast<std::ptrdiff_t>(i));
        }
    }
}

bool ReadStringFromStreamUntil(TxdSurplusReader& reader, std::string_view search,
                               std::string& value, bool skip_quotes)
{
    std::string text;
    char quote = 0;
    char c = 0;
    while (reader.ReadChar(c)) {
        text.push_back(c);
        if (skip_quotes) {
            if (quote != 0) {
                if (c == quote)
                    quote = 0;
                continue;
            }
            if (is_quote(c)) {
                quote = c;
                continue;
            }
        }
        if (c == search.back() && text.size() >= search.size() &&
            std::string_view(text).substr(text.size() - search.size()) == search) {
            text.resize(text.size() - search.size());
            value = std::move(text);
            return true;
        }
    }
    return false;
}

bool ReadStringFromStreamWithQuotes(fw::TStream* stream, char terminator, std::string& value)
{
    std::string text;
    char quote = 0;
    char c = 0;
    while (stream->Read(&c, 1) == 1) {
        if (quote != 0) {
            if (c == quote)
                quote = 0;
        } else if (is_quote(c)) {
            quote = c;
        } else if (c == terminator) {
            value = std::move(text);
            return true;
        }
        text.push_back(c);
    }
    return false;
}

void WriteStringToStream(fw::TStream* stream, std::string_view text)
{
    if (!text.empty())
        stream->Write(text.data(), static_cast<int32_t>(text.size()));
}

// ---- Reading --------------------------------------------------------------------------

void TXmlNode::ReadFromString(std::string_view text)
{
    TxdStringStream stream(text);
    ReadFromStream(&stream);
}

void TXmlNode::ReadFromStream(fw::TStream* stream)
{
    if (aborted(*this))
        return;
    Clear();
    if (TreeDepth() >= kMaxXmlTreeDepth)
        raise_in_element("Elements nested too deeply in element %s",
                         Parent() != nullptr ? Parent()->Name() : "");
    TxdSurplusReader reader(stream);
    char c = 0;
    if (!reader.ReadCharSkipBlanks(c) || c != '<')
        return;
    const TTagType& tag = kTagTable[ReadOpenTag(reader)];
    SetElementType(tag.FStyle);
    ParseEnd end(*this, stream);
    try {
        switch (tag.FStyle) {
        case xeNormal:
        case xeDeclaration:
        case xeStylesheet: {
            std::string text;
            ReadStringFromStreamUntil(reader, tag.FClose, text, true);
            bool closed = false;
            if (tag.FStyle == xeNormal && !text.empty() && text.back() == '/') {
                text.pop_back();
                closed = true;
            }
            ParseTag(*this, text, 0, text.size());
            announce(*this);
            if (aborted(*this) || closed || tag.FStyle != xeNormal)
                break;

            // The content: text runs between child elements, up to the close tag.
            std::string run;
            bool has_children = false;
            bool saw_carriage_return = false;
            auto add_char_data = [&] {
                if (!run.empty() && !TrimControls(run).empty()) {
                    auto* data = new TXmlNode(Document(), xeCharData);
                    data->SetValueDirect(run);
                    NodeAdd(data);
                }
                run.clear();
            };
            for (;;) {
                if (stream->Read(&c, 1) != 1)
                    raise_in_element("Missing close tag in element %s", Name());
                if (c != '<') {
                    run.push_back(c);
                    saw_carriage_return |= c == '\r';
                } else {
                    if (!reader.ReadCharSkipBlanks(c))
                        raise_in_element("Missing data after \"<\" in element %s", Name());
                    if (c == '/') {
                        std::string close_name;
                        if (!ReadStringFromStreamUntil(reader, ">", close_name, true))
                            raise_in_element("Missing \">\" in close tag of element %s", Name());
                        if (CompareNames(TrimControls(close_name), Name()) != 0)
                            raise_in_element("Incorrect close tag in element %s", Name());
                        break;
                    }
                    add_char_data();
                    has_children = true;
                    stream->Seek(-2, fw::soCurrent);
                    auto* child = new TXmlNode(Document());
                    NodeAdd(child);
                    child->ReadFromStream(stream);
                    if (Document() != nullptr && Document()->DropCommentsOnParse() &&
                        child->ElementType() == xeComment)
                        NodeDelete(NodeIndexOf(child));
                }
                if (aborted(*this))
                    break;
            }
            add_char_data();
            if (has_children && saw_carriage_return) {
                for (int i = 0; i < NodeCount(); ++i)
                    if (Nodes(i)->ElementType() == xeCharData)
                        Nodes(i)->SetValueDirect(trailing_trimmed(Nodes(i)->ValueDirect()));
            }
            if (NodeCount() > 0 && Nodes(0)->ElementType() == xeCharData) {
                SetValueDirect(Nodes(0)->ValueDirect());
                NodeDelete(0);
            }
            break;
        }
        case xeDoctype:
            SetName("DTD");
            announce(*this);
            if (!aborted(*this) && Document() != nullptr)
                Document()->ParseDTD(this, stream);
            break;
        case xeElement:
        case xeAttList:
        case xeEntity:
        case xeNotation: {
            std::string text;
            ReadStringFromStreamWithQuotes(stream, '>', text);
            std::vector<std::string> items;
            ParseAttributes(text, 0, text.size(), items);
            if (!items.empty()) {
                SetName(items.front());
                std::string value;
                for (size_t i = 1; i < items.size(); ++i)
                    value += items[i] + "\r\n";
                SetValueDirect(TrimControls(value));
            }
            announce(*this);
            break;
        }
        default: {
            const char* name = "Unknown";
            if (tag.FStyle == xeComment)
                name = "Comment";
            else if (tag.FStyle == xeCData)
                name = "CData";
            else if (tag.FStyle == xeExclam || tag.FStyle == xeQuestion)
                name = "Special";
            SetName(name);
            announce(*this);
            if (aborted(*this))
                break;
            std::string text;
            ReadStringFromStreamUntil(reader, tag.FClose, text, false);
            SetValueDirect(std::move(text));
            break;
        }
        }
    } catch (...) {
        end.Finish();
        throw;
    }
    end.Finish();
}

// ---- Writing --------------------------------------------------------------------------

std::string TXmlNode::GetIndent() const
{
    if (Document() == nullptr || Document()->XmlFormat() != xfReadable)
        return {};
    const std::string& step = Document()->IndentString();
    const int depth = TreeDepth();
    std::string indent;
    if (depth <= 0)
        return indent;
    indent.reserve(step.size() * static_cast<size_t>(depth));
    for (int i = 0; i < depth; ++i)
        indent += step;
    return indent;
}

std::string TXmlNode::GetLineFeed() const
{
    return Document() != nullptr && Document()->XmlFormat() == xfReadable ? "\r\n" : "";
}

bool TXmlNode::IsShortTag() const
{
    return ElementType() == xeNormal && ValueDirect().empty() && NodeCount() == 0 &&
           (Document() == nullptr || !Document()->UseFullNodes()) && TreeDepth() > 0;
}

std::string TXmlNode::WriteInner()
{
    const bool short_tag = IsShortTag();
    size_t size = short_tag ? 1 : 0;
    if (m_attributes != nullptr)
        for (const std::string& entry : m_attributes->entries)
            size += 1 + entry.size();
    std::string inner;
    inner.reserve(size);
    if (m_attributes != nullptr) {
        for (const std::string& entry : m_attributes->entries) {
            inner += ' ';
            inner += entry;
        }
    }
    if (short_tag)
        inner += '/';
    return inner;
}

void TXmlNode::DeleteEmptyAttributes()
{
    for (int i = AttributeCount() - 1; i >= 0; --i)
        if (AttributeValue(i).empty())
            AttributeDelete(i);
}

namespace {

// The pieces one after another, the line sized once for all of them.
void append_pieces(std::string& line, std::initializer_list<std::string_view> pieces)
{
    size_t size = line.size();
    for (const std::string_view piece : pieces)
        size += piece.size();
    line.reserve(size);
    for (const std::string_view piece : pieces)
        line += piece;
}

// Values up to this length go out in their tag's line; longer ones are written as they
// stand, without a copy.
constexpr size_t kValueInLine = 1024;

}

void TXmlNode::WriteToStream(fw::TStream* stream)
{
    const std::string indent = GetIndent();
    const std::string line_feed = GetLineFeed();
    const std::string& name = Name();
    const std::string& value = ValueDirect();
    // Each node's markup is gathered into few lines, one write each: every write goes
    // through the codec and the buffer below it.
    std::string line;
    switch (ElementType()) {
    case xeNormal: {
        append_pieces(line, {indent, "<", name, WriteInner(), ">"});
        if (value.size() <= kValueInLine) {
            line += value;
        } else {
            WriteStringToStream(stream, line);
            line.clear();
            WriteStringToStream(stream, value);
        }
        const int count = NodeCount();
        if (count > 0) {
            line += line_feed;
            WriteStringToStream(stream, line);
            line.clear();
        }
        for (int i = 0; i < count; ++i) {
            TXmlNode* child = Nodes(i);
            child->WriteToStream(stream);
            const TXmlNode* next = Nodes(i + 1);
            if (child->ElementType() != xeCharData &&
                (next == nullptr || next->ElementType() != xeCharData))
                WriteStringToStream(stream, line_feed);
        }
        if (!IsShortTag()) {
            const std::string_view close_indent =
                count > 0 ? std::string_view(indent) : std::string_view();
            append_pieces(line, {close_indent, "</", name, ">"});
        }
        break;
    }
    case xeComment:
        append_pieces(line, {indent, "<!--", value, "-->"});
        break;
    case xeCData:
        append_pieces(line, {indent, "<![CDATA[", value, "]]>"});
        break;
    case xeDeclaration:
        DeleteEmptyAttributes();
        append_pieces(line, {indent, "<?xml", WriteInner(), "?>"});
        break;
    case xeStylesheet:
        append_pieces(line, {indent, "<?xml-stylesheet", WriteInner(), "?>"});
        break;
    case xeDoctype:
        if (NodeCount() == 0) {
            append_pieces(line, {indent, "<!DOCTYPE ", name, " ", value, ">"});
            break;
        }
        append_pieces(line, {indent, "<!DOCTYPE ", name, " ", value, " [", line_feed});
        WriteStringToStream(stream, line);
        line.clear();
        for (int i = 0; i < NodeCount(); ++i) {
            Nodes(i)->WriteToStream(stream);
            WriteStringToStream(stream, line_feed);
        }
        line = "]>";
        break;
    case xeElement:
        append_pieces(line, {indent, "<!ELEMENT ", name, " ", value, ">"});
        break;
    case xeAttList:
        append_pieces(line, {indent, "<!ATTLIST ", name, " ", value, ">"});
        break;
    case xeEntity:
        append_pieces(line, {indent, "<!ENTITY ", name, " ", value, ">"});
        break;
    case xeNotation:
        append_pieces(line, {indent, "<!NOTATION ", name, " ", value, ">"});
        break;
    case xeExclam:
        append_pieces(line, {indent, "<!", value, ">"});
        break;
    case xeQuestion:
        append_pieces(line, {indent, "<?", value, "?>"});
        break;
    case xeCharData:
        WriteStringToStream(stream, value);
        break;
    case xeUnknown:
        append_pieces(line, {indent, "<", value, ">"});
        break;
    default:
        throw fw::EFilerError("Illegal element type");
    }
    WriteStringToStream(stream, line);
    // Asking the stream where it stands costs a call through every layer; only a
    // listener needs it.
    if (Document() != nullptr && Document()->OnProgress)
        Document()->DoProgress(stream->Position());
}

std::string TXmlNode::WriteToString()
{
    TxdStringStream stream("");
    WriteToStream(&stream);
    return stream.DataString();
}

}
