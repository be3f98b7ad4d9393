// One node of an XML document: an element, a comment, a CDATA section, a declaration, a
// processing instruction, a DOCTYPE or one of its markup declarations, or a run of
// character data. A node owns its children and its attribute list; it knows its parent
// and the document whose options apply to it.
//
// Text is 8-bit (std::string): UTF-8 or Windows-1252 as the document's Utf8Encoded says.
// Values and attribute values are kept as written in markup (escaped; attributes also
// quoted) and unescaped when read.
#ifndef VISTREL_XML_XML_NODE_H
#define VISTREL_XML_XML_NODE_H

#include "xml/xml_streams.h"

#include <framework/classes.h>
#include <framework/sysutils.h>
#include <framework/types.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace fw {
class TBrush;
class TFont;
class TPen;
}

namespace vistrel {

class TXmlDocument;
class TXmlNode;

enum TXmlElementType {
    xeNormal,
    xeComment,
    xeCData,
    xeDeclaration,
    xeStylesheet,
    xeDoctype,
    xeElement,
    xeAttList,
    xeEntity,
    xeNotation,
    xeExclam,
    xeQuestion,
    xeCharData,
    xeUnknown
};

enum TXmlFormatType {
    xfReadable,
    xfCompact
};

enum TBinaryEncodingType {
    xbeBinHex,
    xbeBase64
};

enum TXmlCompareOption {
    xcNodeName,
    xcNodeType,
    xcNodeValue,
    xcAttribCount,
    xcAttribNames,
    xcAttribValues,
    xcChildCount,
    xcChildNames,
    xcChildValues,
    xcRecursive
};
using TXmlCompareOptions = fw::TSet<TXmlCompareOption>;

// Orders two children for SortChildNodes: negative, zero or positive.
using TXMLNodeCompareFunction = std::function<int(TXmlNode* node1, TXmlNode* node2, void* info)>;

// Compares two 8-bit texts without regard to case (UTF-8 or Windows-1252 as utf8 says).
int CompareTextIgnoringCase(std::string_view a, std::string_view b, bool utf8);

class TXmlNode : public fw::TPersistent {
public:
    explicit TXmlNode(TXmlDocument* document);
    TXmlNode(TXmlDocument* document, std::string_view name);
    TXmlNode(TXmlDocument* document, std::string_view name, std::string_view value);
    TXmlNode(TXmlDocument* document, TXmlElementType type);
    ~TXmlNode() override;

    // Settings of the document, or their defaults without one.
    TXmlDocument* Document() const { return m_document; }
    void SetDocument(TXmlDocument* document) { m_document = document; }
    TBinaryEncodingType BinaryEncoding() const;
    void SetBinaryEncoding(TBinaryEncodingType encoding);
    bool WriteOnDefault() const;
    bool Utf8Encoded() const;

    TXmlElementType ElementType() const { return m_element_type; }
    void SetElementType(TXmlElementType type) { m_element_type = type; }
    const std::string& Name() const { return m_name; }
    // Raises Exception "Illegal character in node name "%s"" for a name holding a tab,
    // line feed, carriage return or blank.
    void SetName(std::string_view name);
    TXmlNode* Parent() const { return m_parent; }
    void SetParent(TXmlNode* parent) { m_parent = parent; }
    int32_t Tag() const { return m_tag; }
    void SetTag(int32_t tag) { m_tag = tag; }
    const std::string& ValueDirect() const { return m_value; }
    void SetValueDirect(std::string value) { m_value = std::move(value); }

    // The value unescaped, and set escaped.
    std::string ValueAsString() const;
    void SetValueAsString(std::string_view text);

    // ---- Typed values (the node's own) --------------------------------------------------
    // Reads raise: Exception "Cannot convert value to bool" / "Cannot convert value to
    // float", EConvertError of the integer and date conversions; the Def forms answer
    // their default instead.
    std::u16string ValueAsWidestring() const;
    void SetValueAsWidestring(std::u16string_view text);
    bool ValueAsBool() const;
    void SetValueAsBool(bool value);
    int32_t ValueAsInteger() const;
    void SetValueAsInteger(int32_t value);
    int64_t ValueAsInt64() const;
    void SetValueAsInt64(int64_t value);
    double ValueAsFloat() const;
    void SetValueAsFloat(double value);
    fw::TDateTime ValueAsDateTime() const;
    void SetValueAsDateTime(fw::TDateTime value);
    virtual bool ValueAsBoolDef(bool fallback) const;
    virtual int32_t ValueAsIntegerDef(int32_t fallback) const;
    virtual int64_t ValueAsInt64Def(int64_t fallback) const;
    virtual double ValueAsFloatDef(double fallback) const;
    virtual fw::TDateTime ValueAsDateTimeDef(fw::TDateTime fallback) const;

    // Between the node's text (UTF-8 or Windows-1252) and the system code page or UTF-16.
    std::string FromAnsiString(std::string_view text) const;
    std::string ToAnsiString(std::string_view text) const;
    std::string FromWidestring(std::u16string_view text) const;
    std::u16string ToWidestring(std::string_view text) const;

    // ---- Typed attributes -----------------------------------------------------------------
    // The Read forms answer their default for a missing or unreadable attribute; the
    // Write forms write only when WriteOnDefault is set or the value differs from the
    // default, replacing the attribute in place or adding it.
    virtual std::string ReadAttributeString(std::string_view name,
                                            std::string_view fallback = {}) const;
    virtual bool ReadAttributeBool(std::string_view name, bool fallback = false) const;
    virtual int32_t ReadAttributeInteger(std::string_view name, int32_t fallback = 0) const;
    virtual int64_t ReadAttributeInt64(std::string_view name, int64_t fallback = 0) const;
    double ReadAttributeFloat(std::string_view name, double fallback = 0) const;
    virtual fw::TDateTime ReadAttributeDateTime(std::string_view name,
                                                fw::TDateTime fallback = 0) const;
    virtual void WriteAttributeString(std::string_view name, std::string_view value,
                                      std::string_view fallback = {});
    virtual void WriteAttributeBool(std::string_view name, bool value, bool fallback = false);
    virtual void WriteAttributeInteger(std::string_view name, int32_t value, int32_t fallback = 0);
    virtual void WriteAttributeInt64(std::string_view name, int64_t value, int64_t fallback = 0);
    virtual void WriteAttributeFloat(std::string_view name, double value, double fallback = 0);
    virtual void WriteAttributeDateTime(std::string_view name, fw::TDateTime value,
                                        fw::TDateTime fallback = 0);

    // ---- Typed child elements ---------------------------------------------------------------
    // Values of the first child of that name (without regard to case), one value each.
    virtual std::string ReadString(std::string_view name, std::string_view fallback = {}) const;
    virtual std::u16string ReadWidestring(std::string_view name,
                                          std::u16string_view fallback = {}) const;
    virtual bool ReadBool(std::string_view name, bool fallback = false) const;
    virtual int32_t ReadInteger(std::string_view name, int32_t fallback = 0) const;
    virtual int64_t ReadInt64(std::string_view name, int64_t fallback = 0) const;
    virtual double ReadFloat(std::string_view name, double fallback = 0) const;
    virtual fw::TDateTime ReadDateTime(std::string_view name, fw::TDateTime fallback = 0) const;
    // No default for unreadable text: the conversion's error passes on.
    virtual fw::TColor ReadColor(std::string_view name, fw::TColor fallback = 0) const;
    virtual void WriteString(std::string_view name, std::string_view value,
                             std::string_view fallback = {});
    virtual void WriteWidestring(std::string_view name, std::u16string_view value,
                                 std::u16string_view fallback = {});
    virtual void WriteBool(std::string_view name, bool value, bool fallback = false);
    virtual void WriteInteger(std::string_view name, int32_t value, int32_t fallback = 0);
    virtual void WriteInt64(std::string_view name, int64_t value, int64_t fallback = 0);
    virtual void WriteFloat(std::string_view name, double value, double fallback = 0);
    virtual void WriteDateTime(std::string_view name, fw::TDateTime value,
                               fw::TDateTime fallback = 0);
    // "$" and at least `digits` upper-case hexadecimal digits.
    virtual void WriteHex(std::string_view name, uint32_t value, int digits, uint32_t fallback = 0);

    // Colours as "$" and eight hexadecimal digits of their colour reference; fonts, pens
    // and brushes as a child element with one element per property. A missing child
    // reads as the defaults: font Arial, black, 14 points, no styles; pen black, copy
    // mode, solid, width 1; brush white and solid. Writing leaves out the properties
    // equal to those defaults unless WriteOnDefault is set.
    virtual void WriteColor(std::string_view name, fw::TColor value, fw::TColor fallback = 0);
    virtual void ReadFont(std::string_view name, fw::TFont* font) const;
    virtual void WriteFont(std::string_view name, fw::TFont* font);
    virtual void ReadPen(std::string_view name, fw::TPen* pen) const;
    virtual void WritePen(std::string_view name, fw::TPen* pen);
    virtual void ReadBrush(std::string_view name, fw::TBrush* brush) const;
    virtual void WriteBrush(std::string_view name, fw::TBrush* brush);

    // ---- Binary values ----------------------------------------------------------------------
    // In the document's binary encoding (hexadecimal without a document), broken into
    // lines of 76 characters in readable output. BufferLength raises EFilerError "Error
    // while calculating streamlength" for text of a length no encoding makes;
    // BufferRead raises "Missing data in binary stream" before writing when the text
    // holds fewer bytes than asked.
    virtual int BufferLength() const;
    virtual void BufferRead(void* buffer, int count) const;
    virtual void BufferWrite(const void* buffer, int count);
    // The value as bytes, always in Base64 where the node has a document.
    std::string BinaryString();
    void SetBinaryString(std::string_view bytes);
    // The value's text with references resolved by the document's encoding.
    std::string UnescapeString(std::string_view text) const;

    // Empties name, value, attributes and children.
    void Clear();
    bool IsClear() const { return m_name.empty() && IsEmpty(); }
    bool IsEmpty() const { return m_value.empty() && NodeCount() == 0 && AttributeCount() == 0; }

    // ---- Children ---------------------------------------------------------------------
    // The child at index, nullptr outside 0 .. NodeCount - 1.
    virtual TXmlNode* Nodes(int index) const;
    virtual int NodeCount() const { return static_cast<int>(m_nodes.size()); }
    int TotalNodeCount() const;
    int TreeDepth() const;
    int IndexInParent() const;
    std::string FullPath() const;
    std::string CascadedName() const;

    // Appends node (it and its descendants join this node's document); its index, or -1
    // for nullptr.
    int NodeAdd(TXmlNode* node);
    // Puts node at index 0 .. NodeCount; nothing for another index or nullptr.
    void NodeInsert(int index, TXmlNode* node);
    TXmlNode* NodeNew(std::string_view name);
    TXmlNode* NodeNewAtIndex(int index, std::string_view name);
    void NodeDelete(int index);
    int NodeRemove(TXmlNode* node);
    // Takes a child out of the list without freeing it; it has no parent afterwards.
    TXmlNode* NodeExtract(TXmlNode* node);
    void NodeExchange(int index1, int index2);
    void NodesClear();
    // Removes this node from its parent and frees it.
    void Delete();
    // Frees every descendant that is empty once its own empty descendants are gone.
    void DeleteEmptyNodes();

    TXmlNode* NodeByName(std::string_view name) const;
    int NodeIndexByName(std::string_view name) const;
    int NodeIndexByNameFrom(std::string_view name, int from) const;
    int NodeIndexOf(const TXmlNode* node) const;
    TXmlNode* NodeFindOrCreate(std::string_view name);
    TXmlNode* NodeByElementType(TXmlElementType type) const;
    void NodesByName(std::string_view name, std::vector<TXmlNode*>* list) const;
    // By name, or by full path when the text starts with "/"; depth first, in document
    // order.
    TXmlNode* FindNode(std::string_view node_name) const;
    void FindNodes(std::string_view node_name, std::vector<TXmlNode*>& list) const;
    TXmlNode* NodeByAttributeValue(std::string_view node_name, std::string_view attribute_name,
                                   std::string_view attribute_value, bool recurse = true) const;
    int CompareNodeName(std::string_view node_name) const;

    // ---- Attributes ---------------------------------------------------------------------
    int AttributeCount() const;
    std::string AttributeName(int index) const;
    std::string AttributeValue(int index) const;
    void SetAttributeValue(int index, std::string_view value);
    std::string AttributePair(int index) const;
    std::string AttributeByName(std::string_view name) const;
    void SetAttributeByName(std::string_view name, std::string_view value);
    void AttributeAdd(std::string_view name, std::string_view value);
    void AttributeAdd(std::string_view name, int32_t value);
    // Adds a stored entry as markup wrote it (name, "=", quoted and escaped value).
    void AttributeAddPair(std::string_view entry);
    void AttributeDelete(int index);
    void AttributeExchange(int index1, int index2);
    int AttributeIndexByName(std::string_view name) const;
    bool HasAttribute(std::string_view name) const { return AttributeIndexByName(name) >= 0; }
    void AttributesClear();

    // ---- Markup -------------------------------------------------------------------------
    // Parses one node (an element with its whole subtree) from the 8-bit characters of
    // the stream. Errors are EFilerError with the element's name.
    virtual void ReadFromStream(fw::TStream* stream);
    virtual void ReadFromString(std::string_view text);
    virtual void WriteToStream(fw::TStream* stream);
    virtual std::string WriteToString();
    // The attribute entries, each after a blank, and "/" for a short tag.
    virtual std::string WriteInner();
    // An element with nothing inside below the root, written as "<name/>".
    bool IsShortTag() const;
    // The indentation and the line break of readable output (empty in compact output).
    std::string GetIndent() const;
    std::string GetLineFeed() const;
    // Removes every attribute whose value is empty.
    void DeleteEmptyAttributes();

    // ---- Comparison, order and copies -------------------------------------------------
    bool IsEqualTo(TXmlNode* node, TXmlCompareOptions options, fw::TList* mismatch_nodes = nullptr);
    void SortChildNodes(const TXMLNodeCompareFunction& compare = nullptr, void* info = nullptr);
    // From a node: a deep copy (the node keeps its document and parent); from a document:
    // a copy of its top-level nodes.
    void Assign(fw::TPersistent* source) override;

protected:
    int CompareNames(std::string_view a, std::string_view b) const;

private:
    struct AttributeList {
        std::vector<std::string> entries;
        bool sorted = false;
    };

    AttributeList& Attributes();
    void ReplaceAttribute(int index, std::string entry);
    void SetDocumentOfTree(TXmlDocument* document);
    void SortRange(int first, int last, const TXMLNodeCompareFunction& compare, void* info);
    int CompareForSort(TXmlNode* node1, TXmlNode* node2, const TXMLNodeCompareFunction& compare,
                       void* info);

    std::unique_ptr<AttributeList> m_attributes;
    TXmlDocument* m_document;
    TXmlElementType m_element_type = xeNormal;
    std::string m_name;
    std::vector<TXmlNode*> m_nodes;
    TXmlNode* m_parent = nullptr;
    int32_t m_tag = 0;
    std::string m_value;
};

}

#endif
