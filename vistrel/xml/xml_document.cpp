#include "xml/xml_document.h"

#include "xml/xml_encodings.h"

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

}
