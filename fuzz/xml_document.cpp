// Fuzz target of the XML documents: any bytes loaded as a file (with an 8-bit and with a
// UTF-8 text side) and as a string, written back, each value read as binary, and the
// DOCTYPE's entities resolved.
//
// Input: a control byte, then the document's bytes. Control bit 0 picks the load road
// (file bytes or string), bit 1 the text side, bit 2 the output format, bit 3 the
// binary encoding.

#include "xml/xml_document.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace {

void read_values(vistrel::TXmlNode* node)
{
    node->ValueAsString();
    for (int i = 0; i < node->AttributeCount(); ++i)
        node->AttributeValue(i);
    try {
        const int length = node->BufferLength();
        std::vector<unsigned char> bytes(static_cast<size_t>(length > 0 ? length : 0));
        node->BufferRead(bytes.data(), length);
    } catch (const fw::Exception&) {
        // Text that is no binary value is refused by name.
    }
    for (int i = 0; i < node->NodeCount(); ++i)
        read_values(node->Nodes(i));
}

}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const uint8_t control = data[0];
    const std::string bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    vistrel::TXmlDocument document;
    document.SetUtf8Encoded((control & 2) != 0);
    try {
        if ((control & 1) != 0) {
            vistrel::TxdStringStream stream(bytes);
            document.LoadFromStream(&stream);
        } else {
            document.ReadFromString(bytes);
        }
    } catch (const fw::Exception&) {
        // A damaged document keeps what was read before the damage.
    }
    document.SetXmlFormat((control & 4) != 0 ? vistrel::xfReadable : vistrel::xfCompact);
    document.SetBinaryEncoding((control & 8) != 0 ? vistrel::xbeBinHex : vistrel::xbeBase64);
    try {
        read_values(document.RootNodeList());
        document.ResolveEntityReferences();
        vistrel::TxdStringStream out("");
        document.SaveToStream(&out);
        document.WriteToString();
    } catch (const fw::Exception&) {
    }
    return 0;
}
