#include "xml/xml_node.h"

#include "xml/xml_document.h"
#include "xml/xml_encodings.h"

#include <framework/sysutils.h>

#include <algorithm>
#include <cstdio>

namespace vistrel {

namespace {

bool is_ascii(std::string_view text)
{
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

QString to_qstring(std::string_view text, bool utf8)
{
    if (utf8)
        return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    QString result;
    result.reserve(static_cast<qsizetype>(text.size()));
    for (const char c : text)
        result.append(QChar(AnsiCharToUnicode(static_cast<unsigned char>(c))));
    return result;
}

char ascii_upper(char c)
{
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// The name part of a stored attribute entry: the text before its first "=".
std::string_view entry_name(std::string_view entry)
{
    return entry.substr(0, std::min(entry.find('='), entry.size()));
}

std::string make_entry(std::string_view name, std::string_view value)
{
    std::string entry(name);
    entry += '=';
    entry += QuoteString(EscapeString(value));
    return entry;
}

[[noreturn]] void raise_sorted_list()
{
    throw fw::EStringListError("Operation not allowed on sorted list");
}

}

int CompareTextIgnoringCase(std::string_view a, std::string_view b, bool utf8)
{
    if (is_ascii(a) && is_ascii(b)) {
        const size_t common = std::min(a.size(), b.size());
        for (size_t i = 0; i < common; ++i) {
            const char x = ascii_upper(a[i]);
            const char y = ascii_upper(b[i]);
            if (x != y)
                return x < y ? -1 : 1;
        }
        return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
    }
    return fw::CompareText(to_qstring(a, utf8), to_qstring(b, utf8));
}

// ---- Construction ---------------------------------------------------------------------

TXmlNode::TXmlNode(TXmlDocument* document) : m_document(document)
{
}

TXmlNode::TXmlNode(TXmlDocument* document, std::string_view name) : TXmlNode(document)
{
    SetName(name);
}

TXmlNode::TXmlNode(TXmlDocument* document, std::string_view name, std::string_view value)
    : TXmlNode(document, name)
{
    SetValueAsString(value);
}

TXmlNode::TXmlNode(TXmlDocument* document, TXmlElementType type) : TXmlNode(document)
{
    m_element_type = type;
}

TXmlNode::~TXmlNode()
{
    NodesClear();
}

void TXmlNode::Clear()
{
    m_name.clear();
    m_value.clear();
    AttributesClear();
    NodesClear();
}

// ---- Settings -------------------------------------------------------------------------

TBinaryEncodingType TXmlNode::BinaryEncoding() const
{
    return m_document != nullptr ? m_document->BinaryEncoding() : xbeBinHex;
}

void TXmlNode::SetBinaryEncoding(TBinaryEncodingType encoding)
{
    if (m_document != nullptr)
        m_document->SetBinaryEncoding(encoding);
}

bool TXmlNode::WriteOnDefault() const
{
    return m_document == nullptr || m_document->WriteOnDefault();
}

bool TXmlNode::Utf8Encoded() const
{
    return m_document != nullptr && m_document->Utf8Encoded();
}

int TXmlNode::CompareNames(std::string_view a, std::string_view b) const
{
    return CompareTextIgnoringCase(a, b, Utf8Encoded());
}

// ---- Name and value -------------------------------------------------------------------

void TXmlNode::SetName(std::string_view name)
{
    if (name == m_name)
        return;
    if (name.find_first_of("\t\n\r ") != std::string_view::npos)
        throw fw::Exception("Illegal character in node name \"%s\"",
                            {QString::fromStdString(std::string(name))});
    m_name = name;
}

std::string TXmlNode::UnescapeString(std::string_view text) const
{
    return Utf8Encoded() ? UnescapeStringUtf8(text) : UnescapeStringAnsi(text);
}

std::string TXmlNode::ValueAsString() const
{
    return UnescapeString(m_value);
}

void TXmlNode::SetValueAsString(std::string_view text)
{
    m_value = EscapeString(text);
}

// ---- Tree -----------------------------------------------------------------------------

TXmlNode* TXmlNode::Nodes(int index) const
{
    return index >= 0 && index < NodeCount() ? m_nodes[static_cast<size_t>(index)] : nullptr;
}

int TXmlNode::TotalNodeCount() const
{
    int total = NodeCount();
    for (const TXmlNode* child : m_nodes)
        total += child->TotalNodeCount();
    return total;
}

int TXmlNode::TreeDepth() const
{
    int depth = -1;
    for (const TXmlNode* node = m_parent; node != nullptr; node = node->m_parent)
        ++depth;
    return depth;
}

int TXmlNode::IndexInParent() const
{
    return m_parent != nullptr ? m_parent->NodeIndexOf(this) : -1;
}

std::string TXmlNode::FullPath() const
{
    std::string path = "/" + m_name;
    if (TreeDepth() > 0)
        path = m_parent->FullPath() + path;
    return path;
}

std::string TXmlNode::CascadedName() const
{
    int32_t index = 0;
    if (!TryParseInteger(AttributeByName("Index"), index))
        index = 0;
    char number[16];
    std::snprintf(number, sizeof number, "%.4d", index);
    std::string name = m_name + number;
    if (m_parent != nullptr)
        name = m_parent->CascadedName() + "_" + name;
    return name;
}

void TXmlNode::SetDocumentOfTree(TXmlDocument* document)
{
    m_document = document;
    for (TXmlNode* child : m_nodes)
        child->SetDocumentOfTree(document);
}

int TXmlNode::NodeAdd(TXmlNode* node)
{
    if (node == nullptr)
        return -1;
    node->m_parent = this;
    node->SetDocumentOfTree(m_document);
    m_nodes.push_back(node);
    return NodeCount() - 1;
}

void TXmlNode::NodeInsert(int index, TXmlNode* node)
{
    if (node == nullptr || index < 0 || index > NodeCount())
        return;
    node->m_parent = this;
    m_nodes.insert(m_nodes.begin() + index, node);
}

TXmlNode* TXmlNode::NodeNew(std::string_view name)
{
    auto node = fw::TOwned<TXmlNode>(new TXmlNode(m_document, name));
    NodeAdd(node.get());
    return node.release();
}

TXmlNode* TXmlNode::NodeNewAtIndex(int index, std::string_view name)
{
    if (index < 0 || index > NodeCount())
        return nullptr;
    auto node = fw::TOwned<TXmlNode>(new TXmlNode(m_document, name));
    NodeInsert(index, node.get());
    return node.release();
}

void TXmlNode::NodeDelete(int index)
{
    if (index < 0 || index >= NodeCount())
        return;
    TXmlNode* const doomed = m_nodes[static_cast<size_t>(index)];
    m_nodes.erase(m_nodes.begin() + index);
    fw::Free(doomed);
}

int TXmlNode::NodeRemove(TXmlNode* node)
{
    const int index = NodeIndexOf(node);
    NodeDelete(index);
    return index;
}

TXmlNode* TXmlNode::NodeExtract(TXmlNode* node)
{
    const int index = NodeIndexOf(node);
    if (index < 0)
        return nullptr;
    m_nodes.erase(m_nodes.begin() + index);
    node->m_parent = nullptr;
    return node;
}

void TXmlNode::NodeExchange(int index1, int index2)
{
    if (index1 < 0 || index1 >= NodeCount() || index2 < 0 || index2 >= NodeCount())
        return;
    std::swap(m_nodes[static_cast<size_t>(index1)], m_nodes[static_cast<size_t>(index2)]);
}

void TXmlNode::NodesClear()
{
    // Taken out first, so that a child's destructor never sees a half-cleared list.
    std::vector<TXmlNode*> doomed;
    doomed.swap(m_nodes);
    for (TXmlNode* child : doomed)
        fw::Free(child);
}

void TXmlNode::Delete()
{
    if (m_parent != nullptr)
        m_parent->NodeRemove(this);
}

void TXmlNode::DeleteEmptyNodes()
{
    for (int i = NodeCount() - 1; i >= 0; --i) {
        TXmlNode* const child = m_nodes[static_cast<size_t>(i)];
        child->DeleteEmptyNodes();
        if (child->IsEmpty())
            NodeDelete(i);
    }
}

// ---- Search ---------------------------------------------------------------------------

TXmlNode* TXmlNode::NodeByName(std::string_view name) const
{
    return Nodes(NodeIndexByName(name));
}

int TXmlNode::NodeIndexByName(std::string_view name) const
{
    return NodeIndexByNameFrom(name, 0);
}

int TXmlNode::NodeIndexByNameFrom(std::string_view name, int from) const
{
    for (int i = std::max(from, 0); i < NodeCount(); ++i)
        if (CompareNames(m_nodes[static_cast<size_t>(i)]->m_name, name) == 0)
            return i;
    return -1;
}

int TXmlNode::NodeIndexOf(const TXmlNode* node) const
{
    if (node == nullptr)
        return -1;
    const auto found = std::find(m_nodes.begin(), m_nodes.end(), node);
    return found == m_nodes.end() ? -1 : static_cast<int>(found - m_nodes.begin());
}

TXmlNode* TXmlNode::NodeFindOrCreate(std::string_view name)
{
    TXmlNode* node = NodeByName(name);
    return node != nullptr ? node : NodeNew(name);
}

TXmlNode* TXmlNode::NodeByElementType(TXmlElementType type) const
{
    for (TXmlNode* child : m_nodes)
        if (child->m_element_type == type)
            return child;
    return nullptr;
}

void TXmlNode::NodesByName(std::string_view name, std::vector<TXmlNode*>* list) const
{
    if (list == nullptr)
        return;
    list->clear();
    for (TXmlNode* child : m_nodes)
        if (CompareNames(child->m_name, name) == 0)
            list->push_back(child);
}

int TXmlNode::CompareNodeName(std::string_view node_name) const
{
    if (!node_name.empty() && node_name[0] == '/')
        return CompareNames(FullPath(), node_name);
    return CompareNames(m_name, node_name);
}

TXmlNode* TXmlNode::FindNode(std::string_view node_name) const
{
    for (TXmlNode* child : m_nodes) {
        if (child->CompareNodeName(node_name) == 0)
            return child;
        if (TXmlNode* found = child->FindNode(node_name))
            return found;
    }
    return nullptr;
}

void TXmlNode::FindNodes(std::string_view node_name, std::vector<TXmlNode*>& list) const
{
    list.clear();
    // Depth first, a node before its descendants.
    std::vector<const TXmlNode*> pending{this};
    while (!pending.empty()) {
        const TXmlNode* node = pending.back();
        pending.pop_back();
        for (auto child = node->m_nodes.rbegin(); child != node->m_nodes.rend(); ++child)
            pending.push_back(*child);
        if (node != this && node->CompareNodeName(node_name) == 0)
            list.push_back(const_cast<TXmlNode*>(node));
    }
}

TXmlNode* TXmlNode::NodeByAttributeValue(std::string_view node_name,
                                         std::string_view attribute_name,
                                         std::string_view attribute_value, bool recurse) const
{
    for (TXmlNode* child : m_nodes) {
        if (CompareNames(child->m_name, node_name) == 0 && child->HasAttribute(attribute_name) &&
            CompareNames(child->AttributeByName(attribute_name), attribute_value) == 0)
            return child;
        if (recurse) {
            if (TXmlNode* found =
                    child->NodeByAttributeValue(node_name, attribute_name, attribute_value, true))
                return found;
        }
    }
    return nullptr;
}

// ---- Attributes -----------------------------------------------------------------------

TXmlNode::AttributeList& TXmlNode::Attributes()
{
    if (m_attributes == nullptr) {
        m_attributes = std::make_unique<AttributeList>();
        m_attributes->sorted = m_document != nullptr && m_document->SortAttributes();
    }
    return *m_attributes;
}

int TXmlNode::AttributeCount() const
{
    return m_attributes != nullptr ? static_cast<int>(m_attributes->entries.size()) : 0;
}

std::string TXmlNode::AttributePair(int index) const
{
    return index >= 0 && index < AttributeCount()
               ? m_attributes->entries[static_cast<size_t>(index)]
               : std::string();
}

std::string TXmlNode::AttributeName(int index) const
{
    return std::string(entry_name(AttributePair(index)));
}

std::string TXmlNode::AttributeValue(int index) const
{
    const std::string entry = AttributePair(index);
    const size_t equals = entry.find('=');
    if (equals == std::string::npos)
        return {};
    return UnescapeString(UnquoteString(std::string_view(entry).substr(equals + 1)));
}

void TXmlNode::ReplaceAttribute(int index, std::string entry)
{
    if (m_attributes->sorted)
        raise_sorted_list();
    m_attributes->entries[static_cast<size_t>(index)] = std::move(entry);
}

void TXmlNode::SetAttributeValue(int index, std::string_view value)
{
    if (index < 0 || index >= AttributeCount())
        return;
    ReplaceAttribute(index, make_entry(AttributeName(index), value));
}

std::string TXmlNode::AttributeByName(std::string_view name) const
{
    return AttributeValue(AttributeIndexByName(name));
}

void TXmlNode::SetAttributeByName(std::string_view name, std::string_view value)
{
    Attributes();
    const int index = AttributeIndexByName(name);
    if (index >= 0)
        ReplaceAttribute(index, make_entry(name, value));
    else
        AttributeAddPair(make_entry(name, value));
}

void TXmlNode::AttributeAdd(std::string_view name, std::string_view value)
{
    AttributeAddPair(make_entry(name, value));
}

void TXmlNode::AttributeAdd(std::string_view name, int32_t value)
{
    AttributeAdd(name, std::to_string(value));
}

void TXmlNode::AttributeAddPair(std::string_view entry)
{
    AttributeList& list = Attributes();
    if (!list.sorted) {
        list.entries.emplace_back(entry);
        return;
    }
    // Kept in order without regard to case; an entry equal to one there is dropped.
    const bool utf8 = Utf8Encoded();
    const auto place = std::lower_bound(list.entries.begin(), list.entries.end(), entry,
                                        [utf8](const std::string& a, std::string_view b) {
                                            return CompareTextIgnoringCase(a, b, utf8) < 0;
                                        });
    if (place != list.entries.end() && CompareTextIgnoringCase(*place, entry, utf8) == 0)
        return;
    list.entries.emplace(place, entry);
}

void TXmlNode::AttributeDelete(int index)
{
    if (index < 0 || index >= AttributeCount())
        return;
    m_attributes->entries.erase(m_attributes->entries.begin() + index);
}

void TXmlNode::AttributeExchange(int index1, int index2)
{
    if (index1 == index2 || index1 < 0 || index1 >= AttributeCount() || index2 < 0 ||
        index2 >= AttributeCount())
        return;
    if (m_attributes->sorted)
        raise_sorted_list();
    std::swap(m_attributes->entries[static_cast<size_t>(index1)],
              m_attributes->entries[static_cast<size_t>(index2)]);
}

int TXmlNode::AttributeIndexByName(std::string_view name) const
{
    for (int i = 0; i < AttributeCount(); ++i)
        if (CompareNames(entry_name(m_attributes->entries[static_cast<size_t>(i)]), name) == 0)
            return i;
    return -1;
}

void TXmlNode::AttributesClear()
{
    m_attributes.reset();
}

// ---- Comparison, order and copies -----------------------------------------------------

bool TXmlNode::IsEqualTo(TXmlNode* node, TXmlCompareOptions options, fw::TList* mismatch_nodes)
{
    if (node == nullptr)
        return false;
    bool child_result = true;
    if (options.Contains(xcChildNames) || options.Contains(xcChildValues) ||
        options.Contains(xcRecursive)) {
        for (TXmlNode* child : m_nodes) {
            TXmlNode* const other = node->Nodes(node->NodeIndexByName(child->m_name));
            if (other == nullptr) {
                if (options.Contains(xcChildNames)) {
                    if (mismatch_nodes != nullptr)
                        mismatch_nodes->Add(child);
                    child_result = false;
                }
                continue;
            }
            if (options.Contains(xcChildValues) &&
                CompareNames(child->ValueAsString(), other->ValueAsString()) != 0) {
                if (mismatch_nodes != nullptr)
                    mismatch_nodes->Add(child);
                child_result = false;
            }
            if (options.Contains(xcRecursive) && !child->IsEqualTo(other, options, mismatch_nodes))
                child_result = false;
        }
    }

    bool node_result = false;
    auto record_mismatch = [&] {
        if (!node_result && mismatch_nodes != nullptr)
            mismatch_nodes->Insert(0, this);
    };
    try {
        node_result = [&] {
            if (options.Contains(xcNodeName) && CompareNames(m_name, node->m_name) != 0)
                return false;
            if (options.Contains(xcNodeType) && m_element_type != node->m_element_type)
                return false;
            if (options.Contains(xcNodeValue) &&
                CompareNames(ValueAsString(), node->ValueAsString()) != 0)
                return false;
            if (options.Contains(xcAttribCount) && AttributeCount() != node->AttributeCount())
                return false;
            if (options.Contains(xcAttribNames) || options.Contains(xcAttribValues)) {
                for (int i = 0; i < AttributeCount(); ++i) {
                    const int other = node->AttributeIndexByName(AttributeName(i));
                    if (other < 0) {
                        if (options.Contains(xcAttribNames))
                            return false;
                        continue;
                    }
                    if (options.Contains(xcAttribValues) &&
                        CompareNames(AttributeValue(i), node->AttributeValue(other)) != 0)
                        return false;
                }
            }
            return !options.Contains(xcChildCount) || NodeCount() == node->NodeCount();
        }();
    } catch (...) {
        record_mismatch();
        throw;
    }
    record_mismatch();
    return child_result && node_result;
}

int TXmlNode::CompareForSort(TXmlNode* node1, TXmlNode* node2,
                             const TXMLNodeCompareFunction& compare, void* info)
{
    if (compare)
        return compare(node1, node2, info);
    if (m_document != nullptr && m_document->OnNodeCompare)
        return m_document->OnNodeCompare(m_document, node1, node2, info);
    return CompareNames(node1->m_name, node2->m_name);
}

void TXmlNode::SortRange(int first, int last, const TXMLNodeCompareFunction& compare, void* info)
{
    int lo = first;
    int hi = last;
    int mid = (first + last) / 2;
    do {
        // The bounds only matter to a compare function that contradicts itself.
        while (lo < last && CompareForSort(Nodes(lo), Nodes(mid), compare, info) < 0)
            ++lo;
        while (hi > first && CompareForSort(Nodes(hi), Nodes(mid), compare, info) > 0)
            --hi;
        if (lo <= hi) {
            NodeExchange(lo, hi);
            // The pivot is followed by its place, not copied.
            if (mid == lo)
                mid = hi;
            else if (mid == hi)
                mid = lo;
            ++lo;
            --hi;
        }
    } while (lo <= hi);
    if (first < hi)
        SortRange(first, hi, compare, info);
    if (lo < last)
        SortRange(lo, last, compare, info);
}

void TXmlNode::SortChildNodes(const TXMLNodeCompareFunction& compare, void* info)
{
    if (NodeCount() > 1)
        SortRange(0, NodeCount() - 1, compare, info);
}

void TXmlNode::Assign(fw::TPersistent* source)
{
    if (auto* document = dynamic_cast<TXmlDocument*>(source)) {
        Assign(document->RootNodeList());
        return;
    }
    auto* node = dynamic_cast<TXmlNode*>(source);
    if (node == nullptr) {
        fw::TPersistent::Assign(source);
        return;
    }
    if (node == this)
        return;
    for (const TXmlNode* ancestor = node->m_parent; ancestor != nullptr;
         ancestor = ancestor->m_parent) {
        if (ancestor == this) {
            // The source lives in the subtree that Clear frees: copy it out first.
            TXmlNode copy(m_document);
            copy.Assign(node);
            Assign(&copy);
            return;
        }
    }
    Clear();
    m_element_type = node->m_element_type;
    m_name = node->m_name;
    m_tag = node->m_tag;
    m_value = node->m_value;
    if (node->m_attributes != nullptr)
        Attributes().entries = node->m_attributes->entries;
    for (TXmlNode* child : node->m_nodes)
        NodeNew("")->Assign(child);
}

}
