#include "xml/xml_document.h"

#include "xml/xml_encodings.h"
#include "xml/xml_markup.h"

#include <algorithm>

namespace vistrel {

TXmlDocument::TXmlDocument() : m_root_nodes(new TXmlNode(this))
{
    Clear();
}

TXmlDocument::TXmlDocument(std::string_view root_name) : TXmlDocument()
{
    Root()->SetName(root_name);
}

TXmlDocument::~TXmlDocument() = default;

void TXmlDocument::SetDefaults()
{
    m_external_encoding = se8Bit;
    m_xml_format = xfCompact;
    m_write_on_default = true;
    m_binary_encoding = xbeBase64;
    m_utf8_encoded = false;
    m_indent_string = "  ";
    m_drop_comments_on_parse = false;
    m_use_full_nodes = false;
    m_sort_attributes = false;
    m_float_allow_scientific = true;
    m_float_significant_digits = 6;
    OnNodeNew = nullptr;
    OnNodeLoaded = nullptr;
}

void TXmlDocument::Clear()
{
    SetDefaults();
    m_root_nodes->Clear();
    TXmlNode* declaration = m_root_nodes->NodeNew("xml");
    declaration->SetElementType(xeDeclaration);
    declaration->AttributeAdd("version", "1.0");
    declaration->AttributeAdd("encoding", "windows-1252");
    m_root_nodes->NodeNew("");
}

bool TXmlDocument::IsEmpty() const
{
    const TXmlNode* root = Root();
    return root == nullptr || root->IsClear();
}

void TXmlDocument::Assign(fw::TPersistent* source)
{
    if (auto* document = dynamic_cast<TXmlDocument*>(source)) {
        if (document == this)
            return;
        m_binary_encoding = document->m_binary_encoding;
        m_drop_comments_on_parse = document->m_drop_comments_on_parse;
        m_external_encoding = document->m_external_encoding;
        m_parser_warnings = document->m_parser_warnings;
        m_indent_string = document->m_indent_string;
        m_use_full_nodes = document->m_use_full_nodes;
        m_utf8_encoded = document->m_utf8_encoded;
        m_write_on_default = document->m_write_on_default;
        m_xml_format = document->m_xml_format;
        m_sort_attributes = document->m_sort_attributes;
        m_root_nodes->Assign(document->m_root_nodes.get());
        return;
    }
    if (auto* node = dynamic_cast<TXmlNode*>(source)) {
        m_root_nodes->Assign(node);
        return;
    }
    fw::TPersistent::Assign(source);
}

void TXmlDocument::CopyFrom(TXmlDocument* source)
{
    if (source != nullptr)
        Assign(source);
}

TXmlNode* TXmlDocument::Declaration() const
{
    TXmlNode* first = m_root_nodes->Nodes(0);
    return first != nullptr && first->ElementType() == xeDeclaration ? first : nullptr;
}

std::string TXmlDocument::VersionString() const
{
    const TXmlNode* declaration = Declaration();
    return declaration != nullptr ? declaration->AttributeByName("version") : std::string();
}

void TXmlDocument::SetVersionString(std::string_view version)
{
    if (version == VersionString())
        return;
    if (Declaration() == nullptr && !version.empty())
        m_root_nodes->NodeNewAtIndex(0, "xml")->SetElementType(xeDeclaration);
    if (TXmlNode* declaration = Declaration())
        declaration->SetAttributeByName("version", version);
}

std::string TXmlDocument::EncodingString() const
{
    const TXmlNode* declaration = Declaration();
    return declaration != nullptr ? declaration->AttributeByName("encoding") : std::string();
}

void TXmlDocument::SetEncodingString(std::string_view encoding)
{
    if (encoding == EncodingString())
        return;
    if (Declaration() == nullptr)
        m_root_nodes->NodeNewAtIndex(0, "xml")->SetElementType(xeDeclaration);
    Declaration()->SetAttributeByName("encoding", encoding);
}

std::string TXmlDocument::CommentString() const
{
    const TXmlNode* comment = m_root_nodes->NodeByElementType(xeComment);
    return comment != nullptr ? comment->ValueAsString() : std::string();
}

void TXmlDocument::SetCommentString(std::string_view comment)
{
    TXmlNode* node = m_root_nodes->NodeByElementType(xeComment);
    if (node == nullptr && !comment.empty()) {
        node = m_root_nodes->NodeNewAtIndex(1, "");
        if (node != nullptr)
            node->SetElementType(xeComment);
    }
    if (node != nullptr)
        node->SetValueAsString(comment);
}

TXmlNode* TXmlDocument::Root() const
{
    return m_root_nodes->NodeByElementType(xeNormal);
}

TXmlNode* TXmlDocument::StyleSheetNode()
{
    if (TXmlNode* found = m_root_nodes->NodeByElementType(xeStylesheet))
        return found;
    if (m_root_nodes->NodeCount() >= 1) {
        TXmlNode* node = m_root_nodes->NodeNewAtIndex(1, "");
        node->SetElementType(xeStylesheet);
        return node;
    }
    // No place at position 1: the node stays the document's, outside the tree.
    m_detached_nodes.emplace_back(new TXmlNode(this, xeStylesheet));
    return m_detached_nodes.back().get();
}

void TXmlDocument::DoNodeNew(TXmlNode* node)
{
    if (OnNodeNew)
        OnNodeNew(this, node);
}

void TXmlDocument::DoNodeLoaded(TXmlNode* node)
{
    if (OnNodeLoaded)
        OnNodeLoaded(this, node);
}

void TXmlDocument::DoProgress(int64_t size)
{
    if (OnProgress)
        OnProgress(this, size);
}

void TXmlDocument::DoUnicodeLoss(fw::TObject*)
{
    if (OnUnicodeLoss)
        OnUnicodeLoss(this);
}


// ---- Loading --------------------------------------------------------------------------

namespace {

// Frees the codec stream of a load or save and forgets it, also on an error.
class CodecStreamScope {
public:
    CodecStreamScope(TxdCodecStream*& slot, TxdCodecStream* codec) : m_slot(slot), m_codec(codec)
    {
        m_slot = codec;
    }
    ~CodecStreamScope() { m_slot = nullptr; }
    TxdCodecStream* get() const { return m_codec.get(); }

private:
    TxdCodecStream*& m_slot;
    fw::TOwned<TxdCodecStream> m_codec;
};

TxdCodecStream* new_codec_stream(bool utf8, fw::TStream* stream)
{
    if (utf8)
        return new TxdUtf8Stream(stream);
    return new TxdAnsiStream(stream);
}

}

void TXmlDocument::LoadFromFile(const QString& file_name)
{
    fw::TFileStream file(file_name, fw::fmOpenRead | fw::fmShareDenyWrite);
    LoadFromStream(&file);
}

void TXmlDocument::LoadFromStream(fw::TStream* stream)
{
    TxdBufferedReadStream buffered(stream);
    CodecStreamScope codec(m_codec_stream, new_codec_stream(m_utf8_encoded, &buffered));
    codec.get()->OnUnicodeLoss = [this](fw::TObject* sender) { DoUnicodeLoss(sender); };
    ReadFromStream(codec.get());
    m_external_encoding = codec.get()->Encoding();
    if (m_external_encoding == seUTF8 ||
        CompareTextIgnoringCase(EncodingString(), "UTF-8", false) == 0)
        m_utf8_encoded = true;
}

void TXmlDocument::ReadFromString(std::string_view text)
{
    TxdStringStream stream(text);
    ReadFromStream(&stream);
}

void TXmlDocument::ReadFromStream(fw::TStream* stream)
{
    m_abort_parsing = false;
    m_root_nodes->Clear();
    DoProgress(0);
    do {
        TXmlNode* node = m_root_nodes->NodeNew("");
        node->ReadFromStream(stream);
        if (m_abort_parsing)
            return;
        // A declaration of UTF-8 in an 8-bit stream: the rest is read as UTF-8. A stream
        // found to be UTF-16 by its bytes stays so, whatever it declares.
        if (node->ElementType() == xeDeclaration && m_codec_stream != nullptr &&
            m_codec_stream->Encoding() == se8Bit && node->HasAttribute("encoding") &&
            node->AttributeByName("encoding") == "UTF-8")
            m_codec_stream->SetEncoding(seUTF8);
        if (node->IsClear())
            m_root_nodes->NodeDelete(m_root_nodes->NodeCount() - 1);
    } while (stream->Position() < stream->Size());
    DoProgress(stream->Size());

    int elements = 0;
    int last_element = -1;
    int cdata = 0;
    int declarations = 0;
    int doctypes = 0;
    int last_doctype = -1;
    for (int i = 0; i < m_root_nodes->NodeCount(); ++i) {
        switch (m_root_nodes->Nodes(i)->ElementType()) {
        case xeNormal:
            ++elements;
            last_element = i;
            break;
        case xeCData:
            ++cdata;
            break;
        case xeDeclaration:
            ++declarations;
            break;
        case xeDoctype:
            ++doctypes;
            last_doctype = i;
            break;
        default:
            break;
        }
    }
    if (elements == 0)
        throw fw::EFilerError("No root element found in xml");
    if (!m_parser_warnings)
        return;
    if (elements > 1)
        throw fw::EFilerError("More than one root element found in xml");
    if (declarations > 1)
        throw fw::EFilerError("More than one xml declaration found in xml");
    if (declarations == 1 && m_root_nodes->Nodes(0)->ElementType() != xeDeclaration)
        throw fw::EFilerError("Xml declaration must be first element");
    if (doctypes > 1)
        throw fw::EFilerError("More than one doctype declaration found in root");
    if (doctypes == 1 && last_element < last_doctype)
        throw fw::EFilerError("Doctype declaration found after root element");
    if (cdata > 0)
        throw fw::EFilerError("No CDATA allowed in root");
}

void TXmlDocument::ParseDTD(TXmlNode* node, fw::TStream* stream)
{
    std::string text;
    char c = 0;
    bool found = false;
    while (stream->Read(&c, 1) == 1) {
        if (c == '>' || c == '[') {
            found = true;
            break;
        }
        text.push_back(c);
    }
    if (!found)
        return;
    std::vector<std::string> items;
    ParseAttributes(text, 0, text.size(), items);
    if (!items.empty()) {
        node->SetName(items.front());
        std::string value;
        for (size_t i = 1; i < items.size(); ++i)
            value += (i > 1 ? "\r\n" : "") + items[i];
        for (size_t at = value.find("\r\n"); at != std::string::npos; at = value.find("\r\n", at))
            value.replace(at, 2, " ");
        node->SetValueDirect(TrimControls(value));
    }
    if (c == '[') {
        for (;;) {
            node->NodeNew("")->ReadFromStream(stream);
            bool more = false;
            while (stream->Read(&c, 1) == 1) {
                if (c == '\t' || c == '\n' || c == '\r' || c == ' ')
                    continue;
                more = true;
                break;
            }
            if (!more || c == ']')
                break;
            stream->Seek(-1, fw::soCurrent);
        }
        while (stream->Read(&c, 1) == 1 && c != '>') {
        }
    }
}

// ---- Saving ---------------------------------------------------------------------------

void TXmlDocument::SaveToFile(const QString& file_name)
{
    fw::TFileStream file(file_name, fw::fmCreate);
    SaveToStream(&file);
}

void TXmlDocument::SaveToStream(fw::TStream* stream)
{
    TxdBufferedWriteStream buffered(stream);
    {
        CodecStreamScope codec(m_codec_stream, new_codec_stream(m_utf8_encoded, &buffered));
        codec.get()->SetEncoding(m_external_encoding);
        WriteToStream(codec.get());
    }
    // Flushed here, so that a stream that takes too little is reported.
    buffered.FlushBuffer();
}

std::string TXmlDocument::WriteToString()
{
    TxdStringStream stream("");
    WriteToStream(&stream);
    return stream.DataString();
}

std::string TXmlDocument::GetLineFeed() const
{
    return m_xml_format == xfReadable ? "\r\n" : "\n";
}

void TXmlDocument::WriteToStream(fw::TStream* stream)
{
    if (Root() == nullptr && m_parser_warnings)
        throw fw::EFilerError("XML root element not defined.");
    DoProgress(0);
    const std::string line_feed = GetLineFeed();
    for (int i = 0; i < m_root_nodes->NodeCount(); ++i) {
        m_root_nodes->Nodes(i)->WriteToStream(stream);
        WriteStringToStream(stream, line_feed);
    }
    DoProgress(stream->Size());
}

// ---- Entities -------------------------------------------------------------------------

namespace {

// Nodes an entity expansion may add before the expansion is refused, and how many
// entities may be expanded one inside another.
constexpr int kMaxEntityNodes = 100000;
constexpr size_t kMaxEntityNesting = 8;

struct ParsedEntity {
    std::string before;
    std::string reference;
    std::string after;
};

ParsedEntity ParseEntity(std::string_view text)
{
    ParsedEntity parts;
    const size_t ampersand = text.find('&');
    if (ampersand == std::string_view::npos) {
        parts.after = text;
        return parts;
    }
    parts.before = text.substr(0, ampersand);
    const size_t semicolon = text.find(';', ampersand + 1);
    if (semicolon == std::string_view::npos) {
        parts.after = text.substr(ampersand + 1);
        return parts;
    }
    parts.reference = text.substr(ampersand + 1, semicolon - ampersand - 1);
    parts.after = text.substr(semicolon + 1);
    return parts;
}

}

std::string TXmlDocument::EntityByName(std::string_view name) const
{
    for (int i = 0; i < m_root_nodes->NodeCount(); ++i) {
        const TXmlNode* doctype = m_root_nodes->Nodes(i);
        if (doctype->ElementType() != xeDoctype)
            continue;
        for (int j = 0; j < doctype->NodeCount(); ++j) {
            const TXmlNode* entity = doctype->Nodes(j);
            if (entity->ElementType() == xeEntity && entity->Name() == name)
                return UnquoteString(TrimControls(entity->ValueDirect()));
        }
    }
    return {};
}

struct TXmlDocument::EntityExpansion {
    // The entities being expanded around the nodes an expansion made.
    std::vector<std::pair<const TXmlNode*, std::vector<std::string>>> chains;
    int nodes_added = 0;

    const std::vector<std::string>* chain_of(const TXmlNode* node) const
    {
        for (const auto& [made, chain] : chains)
            if (made == node)
                return &chain;
        return nullptr;
    }
};

// Parses an entity's markup into nodes placed among receiver's children from index on;
// the count placed.
int TXmlDocument::ExpandEntity(const std::string& markup, TXmlNode* receiver, int index,
                               const std::vector<std::string>& chain, EntityExpansion& expansion)
{
    int placed = 0;
    TxdStringStream stream(markup);
    while (stream.Position() < stream.Size()) {
        fw::TOwned<TXmlNode> node(new TXmlNode(this));
        node->ReadFromStream(&stream);
        if (node->IsEmpty())
            continue;
        expansion.nodes_added += 1 + node->TotalNodeCount();
        if (expansion.nodes_added > kMaxEntityNodes)
            throw fw::EFilerError("Too many entity expansions");
        expansion.chains.emplace_back(node.get(), chain);
        receiver->NodeInsert(index + placed, node.release());
        ++placed;
    }
    return placed;
}

void TXmlDocument::ResolveNodeEntities(TXmlNode* node, const std::vector<std::string>& outer_chain,
                                       EntityExpansion& expansion)
{
    const std::vector<std::string>* made_chain = expansion.chain_of(node);
    const std::vector<std::string> chain = made_chain != nullptr ? *made_chain : outer_chain;

    auto expandable = [&](const ParsedEntity& parts, std::string& markup) {
        if (parts.reference.empty() ||
            std::find(chain.begin(), chain.end(), parts.reference) != chain.end())
            return false;
        markup = EntityByName(parts.reference);
        if (markup.find('<') == std::string::npos)
            return false;
        if (chain.size() >= kMaxEntityNesting)
            throw fw::EFilerError("Too many entity expansions");
        return true;
    };

    if (!node->ValueDirect().empty()) {
        const ParsedEntity parts = ParseEntity(node->ValueDirect());
        std::string markup;
        TXmlNode* receiver = node->ElementType() == xeNormal     ? node
                             : node->ElementType() == xeCharData ? node->Parent()
                                                                 : nullptr;
        if (receiver != nullptr && expandable(parts, markup)) {
            std::vector<std::string> inner_chain = chain;
            inner_chain.push_back(parts.reference);
            const int start = receiver == node ? 0 : node->IndexInParent() + 1;
            const int placed = ExpandEntity(markup, receiver, start, inner_chain, expansion);
            if (placed > 0) {
                const bool only_blanks = TrimControls(parts.before).empty();
                node->SetValueDirect(node->ElementType() == xeCharData && only_blanks
                                         ? std::string()
                                         : parts.before);
                if (!TrimControls(parts.after).empty()) {
                    auto* rest = new TXmlNode(this, xeCharData);
                    rest->SetValueDirect(parts.after);
                    receiver->NodeInsert(start + placed, rest);
                    expansion.chains.emplace_back(rest, chain);
                }
            }
        }
    }

    for (int i = 0; i < node->AttributeCount(); ++i) {
        std::string remaining = node->AttributeValue(i);
        if (remaining.find('&') == std::string::npos)
            continue;
        std::string rebuilt;
        for (;;) {
            ParsedEntity parts = ParseEntity(remaining);
            rebuilt += parts.before;
            if (parts.reference.empty()) {
                // An ampersand without a semicolon stays as it was.
                if (remaining.find('&') != std::string::npos)
                    rebuilt += "&";
                remaining = std::move(parts.after);
                break;
            }
            const std::string value = EntityByName(parts.reference);
            rebuilt += value.empty() ? "&" + parts.reference + ";" : value;
            remaining = std::move(parts.after);
        }
        rebuilt += remaining;
        node->SetAttributeValue(i, rebuilt);
    }

    for (int i = 0; i < node->NodeCount(); ++i)
        ResolveNodeEntities(node->Nodes(i), chain, expansion);
    for (int i = node->NodeCount() - 1; i >= 0; --i)
        if (node->Nodes(i)->ElementType() == xeCharData && node->Nodes(i)->ValueDirect().empty())
            node->NodeDelete(i);
}

void TXmlDocument::ResolveEntityReferences()
{
    TXmlNode* root = Root();
    if (root == nullptr)
        return;
    EntityExpansion expansion;
    ResolveNodeEntities(root, {}, expansion);
}
}
