// An XML document: its top-level nodes (declaration, comments, style sheet, DOCTYPE, the
// root element), the options that steer parsing and writing, and the events raised
// while it is parsed or written.
#ifndef VISTREL_XML_XML_DOCUMENT_H
#define VISTREL_XML_XML_DOCUMENT_H

#include "xml/xml_node.h"

#include <framework/classes.h>

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vistrel {

using TXmlNodeEvent = std::function<void(fw::TObject* sender, TXmlNode* node)>;
using TXmlProgressEvent = std::function<void(fw::TObject* sender, int64_t size)>;
using TXmlNodeCompareEvent =
    std::function<int(fw::TObject* sender, TXmlNode* node1, TXmlNode* node2, void* info)>;

class TXmlDocument : public fw::TPersistent {
public:
    TXmlDocument();
    // A new document whose root element is named root_name.
    explicit TXmlDocument(std::string_view root_name);
    ~TXmlDocument() override;

    // Options back to their defaults, the tree back to a declaration (version 1.0,
    // encoding windows-1252) and an unnamed root element.
    virtual void Clear();
    virtual void SetDefaults();
    // No root element, or one that holds nothing.
    virtual bool IsEmpty() const;
    // From a document: its options (not the float options, not the events) and a deep
    // copy of its nodes; from a node: a copy of that node as the container.
    void Assign(fw::TPersistent* source) override;
    virtual void CopyFrom(TXmlDocument* source);

    bool AbortParsing() const { return m_abort_parsing; }
    void SetAbortParsing(bool abort) { m_abort_parsing = abort; }
    TBinaryEncodingType BinaryEncoding() const { return m_binary_encoding; }
    void SetBinaryEncoding(TBinaryEncodingType encoding) { m_binary_encoding = encoding; }
    bool DropCommentsOnParse() const { return m_drop_comments_on_parse; }
    void SetDropCommentsOnParse(bool drop) { m_drop_comments_on_parse = drop; }
    TStringEncodingType ExternalEncoding() const { return m_external_encoding; }
    void SetExternalEncoding(TStringEncodingType encoding) { m_external_encoding = encoding; }
    bool FloatAllowScientific() const { return m_float_allow_scientific; }
    void SetFloatAllowScientific(bool allow) { m_float_allow_scientific = allow; }
    int FloatSignificantDigits() const { return m_float_significant_digits; }
    void SetFloatSignificantDigits(int digits) { m_float_significant_digits = digits; }
    bool ParserWarnings() const { return m_parser_warnings; }
    void SetParserWarnings(bool warnings) { m_parser_warnings = warnings; }
    const std::string& IndentString() const { return m_indent_string; }
    void SetIndentString(std::string indent) { m_indent_string = std::move(indent); }
    bool UseFullNodes() const { return m_use_full_nodes; }
    void SetUseFullNodes(bool full) { m_use_full_nodes = full; }
    bool Utf8Encoded() const { return m_utf8_encoded; }
    void SetUtf8Encoded(bool utf8) { m_utf8_encoded = utf8; }
    bool WriteOnDefault() const { return m_write_on_default; }
    void SetWriteOnDefault(bool write) { m_write_on_default = write; }
    TXmlFormatType XmlFormat() const { return m_xml_format; }
    void SetXmlFormat(TXmlFormatType format) { m_xml_format = format; }
    bool SortAttributes() const { return m_sort_attributes; }
    void SetSortAttributes(bool sort) { m_sort_attributes = sort; }

    // The attributes "version" and "encoding" of the declaration (node 0); setting one
    // inserts a declaration when there is none.
    std::string VersionString() const;
    void SetVersionString(std::string_view version);
    std::string EncodingString() const;
    void SetEncodingString(std::string_view encoding);
    // The value of the first top-level comment; setting it inserts one at position 1.
    std::string CommentString() const;
    void SetCommentString(std::string_view comment);
    // The first top-level element, nullptr without one.
    TXmlNode* Root() const;
    // The container whose children are the top-level nodes.
    TXmlNode* RootNodeList() const { return m_root_nodes.get(); }
    // The first top-level style-sheet instruction, made at position 1 when there is
    // none. In a document without top-level nodes the new one cannot be placed: it is
    // kept by the document, outside the tree, and freed with it.
    TXmlNode* StyleSheetNode();

    // Loading: the encoding is found from the bytes (and a declaration of "UTF-8"); the
    // tree keeps what was parsed before an error. Saving writes ExternalEncoding.
    void LoadFromFile(const QString& file_name);
    virtual void LoadFromStream(fw::TStream* stream);
    // The bytes of text are the tree's characters: no encoding is looked for.
    virtual void ReadFromString(std::string_view text);
    void SaveToFile(const QString& file_name);
    virtual void SaveToStream(fw::TStream* stream);
    virtual std::string WriteToString();
    // Parses the top-level nodes from a stream of 8-bit characters, and writes them.
    virtual void ReadFromStream(fw::TStream* stream);
    virtual void WriteToStream(fw::TStream* stream);
    // Reads the rest of a DOCTYPE (its name, external identifier and internal subset)
    // into node.
    virtual void ParseDTD(TXmlNode* node, fw::TStream* stream);
    // Replaces references to the DOCTYPE's entities in the root element's values (an
    // entity holding markup becomes nodes) and attribute values. An entity is never
    // expanded inside its own expansion; EFilerError "Too many entity expansions" ends
    // expansions that would grow the tree past a fixed size.
    void ResolveEntityReferences();
    // The line break of the document's output: CR LF when readable, LF when compact.
    virtual std::string GetLineFeed() const;

    TXmlNodeCompareEvent OnNodeCompare;
    TXmlNodeEvent OnNodeNew;
    TXmlNodeEvent OnNodeLoaded;
    TXmlProgressEvent OnProgress;
    fw::TNotifyEvent OnUnicodeLoss;

    // Raise the events with the document as sender.
    void DoNodeNew(TXmlNode* node);
    void DoNodeLoaded(TXmlNode* node);
    void DoProgress(int64_t size);
    void DoUnicodeLoss(fw::TObject* sender);

    // The value of the DOCTYPE's entity of that name (trimmed and unquoted), empty
    // without one.
    std::string EntityByName(std::string_view name) const;

private:
    struct EntityExpansion;

    TXmlNode* Declaration() const;
    int ExpandEntity(const std::string& markup, TXmlNode* receiver, int index,
                     const std::vector<std::string>& chain, EntityExpansion& expansion);
    void ResolveNodeEntities(TXmlNode* node, const std::vector<std::string>& outer_chain,
                             EntityExpansion& expansion);

    bool m_abort_parsing = false;
    TBinaryEncodingType m_binary_encoding = xbeBase64;
    TxdCodecStream* m_codec_stream = nullptr;
    bool m_drop_comments_on_parse = false;
    TStringEncodingType m_external_encoding = se8Bit;
    bool m_float_allow_scientific = true;
    int m_float_significant_digits = 6;
    bool m_parser_warnings = false;
    fw::TOwned<TXmlNode> m_root_nodes;
    std::string m_indent_string = "  ";
    bool m_use_full_nodes = false;
    bool m_utf8_encoded = false;
    bool m_write_on_default = true;
    TXmlFormatType m_xml_format = xfCompact;
    bool m_sort_attributes = false;
    // Style-sheet nodes made for a document without top-level nodes.
    std::vector<fw::TOwned<TXmlNode>> m_detached_nodes;
};

}

#endif
