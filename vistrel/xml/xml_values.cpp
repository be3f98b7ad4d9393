// Typed values of a node: its own value, its attributes and child elements holding one
// value each, and binary data.

#include "xml/xml_document.h"
#include "xml/xml_encodings.h"
#include "xml/xml_node.h"

#include <cstdio>

namespace vistrel {

namespace {

[[noreturn]] void raise_stream_length()
{
    throw fw::EFilerError("Error while calculating streamlength");
}

// The characters of a code-page text as UTF-16, and back ("?" for what it lacks).
std::u16string ansi_to_wide(std::string_view text)
{
    std::u16string wide;
    wide.reserve(text.size());
    for (const char c : text)
        wide.push_back(AnsiCharToUnicode(static_cast<unsigned char>(c)));
    return wide;
}

std::string wide_to_ansi(std::u16string_view text)
{
    return Utf8ToAnsi(UnicodeToUtf8(text));
}

std::string hex_text(uint64_t value, int digits)
{
    char text[32];
    std::snprintf(text, sizeof text, "$%.*llX", digits < 1 ? 1 : (digits > 16 ? 16 : digits),
                  static_cast<unsigned long long>(value));
    return text;
}

// Whether the first character says yes or no; false for any other text.
bool try_bool(std::string_view text, bool& value)
{
    if (text.empty())
        return false;
    switch (text[0]) {
    case 'F':
    case 'f':
    case 'N':
    case 'n':
        value = false;
        return true;
    case 'T':
    case 't':
    case 'Y':
    case 'y':
        value = true;
        return true;
    default:
        return false;
    }
}

}

// ---- The node's own value -------------------------------------------------------------

std::u16string TXmlNode::ValueAsWidestring() const
{
    return ToWidestring(ValueAsString());
}

void TXmlNode::SetValueAsWidestring(std::u16string_view text)
{
    SetValueAsString(FromWidestring(text));
}

bool TXmlNode::ValueAsBool() const
{
    return StringToBool(ValueDirect());
}

void TXmlNode::SetValueAsBool(bool value)
{
    SetValueDirect(BoolToString(value));
}

int32_t TXmlNode::ValueAsInteger() const
{
    return ParseInteger(ValueDirect());
}

void TXmlNode::SetValueAsInteger(int32_t value)
{
    SetValueDirect(std::to_string(value));
}

int64_t TXmlNode::ValueAsInt64() const
{
    return ParseInt64(ValueDirect());
}

void TXmlNode::SetValueAsInt64(int64_t value)
{
    SetValueDirect(std::to_string(value));
}

double TXmlNode::ValueAsFloat() const
{
    double value = 0;
    if (!TryParseFloat(ValueDirect(), value))
        throw fw::Exception("Cannot convert value to float");
    return value;
}

void TXmlNode::SetValueAsFloat(double value)
{
    const TXmlDocument* document = Document();
    SetValueDirect(FloatToString(value,
                                 document != nullptr ? document->FloatSignificantDigits() : 6,
                                 document == nullptr || document->FloatAllowScientific()));
}

fw::TDateTime TXmlNode::ValueAsDateTime() const
{
    return DateTimeFromString(ValueAsString());
}

void TXmlNode::SetValueAsDateTime(fw::TDateTime value)
{
    SetValueAsString(DateTimeToString(value));
}

bool TXmlNode::ValueAsBoolDef(bool fallback) const
{
    bool value = false;
    return try_bool(ValueDirect(), value) ? value : fallback;
}

int32_t TXmlNode::ValueAsIntegerDef(int32_t fallback) const
{
    int32_t value = 0;
    return TryParseInteger(ValueDirect(), value) ? value : fallback;
}

int64_t TXmlNode::ValueAsInt64Def(int64_t fallback) const
{
    int64_t value = 0;
    return TryParseInt64(ValueDirect(), value) ? value : fallback;
}

double TXmlNode::ValueAsFloatDef(double fallback) const
{
    double value = 0;
    return TryParseFloat(ValueDirect(), value) ? value : fallback;
}

fw::TDateTime TXmlNode::ValueAsDateTimeDef(fw::TDateTime fallback) const
{
    return DateTimeFromStringDefault(ValueAsString(), fallback);
}

std::string TXmlNode::FromAnsiString(std::string_view text) const
{
    return Utf8Encoded() ? AnsiToUtf8(text) : std::string(text);
}

std::string TXmlNode::ToAnsiString(std::string_view text) const
{
    return Utf8Encoded() ? Utf8ToAnsi(text) : std::string(text);
}

std::string TXmlNode::FromWidestring(std::u16string_view text) const
{
    return Utf8Encoded() ? UnicodeToUtf8(text) : wide_to_ansi(text);
}

std::u16string TXmlNode::ToWidestring(std::string_view text) const
{
    return Utf8Encoded() ? Utf8ToUnicode(text) : ansi_to_wide(text);
}

// ---- Attributes -----------------------------------------------------------------------

std::string TXmlNode::ReadAttributeString(std::string_view name, std::string_view fallback) const
{
    std::string value = AttributeByName(name);
    return value.empty() ? std::string(fallback) : value;
}

bool TXmlNode::ReadAttributeBool(std::string_view name, bool fallback) const
{
    bool value = false;
    return try_bool(AttributeByName(name), value) ? value : fallback;
}

int32_t TXmlNode::ReadAttributeInteger(std::string_view name, int32_t fallback) const
{
    int32_t value = 0;
    return TryParseInteger(AttributeByName(name), value) ? value : fallback;
}

int64_t TXmlNode::ReadAttributeInt64(std::string_view name, int64_t fallback) const
{
    int64_t value = 0;
    return TryParseInt64(AttributeByName(name), value) ? value : fallback;
}

double TXmlNode::ReadAttributeFloat(std::string_view name, double fallback) const
{
    double value = 0;
    return TryParseFloat(AttributeByName(name), value) ? value : fallback;
}

fw::TDateTime TXmlNode::ReadAttributeDateTime(std::string_view name, fw::TDateTime fallback) const
{
    return DateTimeFromStringDefault(AttributeByName(name), fallback);
}

void TXmlNode::WriteAttributeString(std::string_view name, std::string_view value,
                                    std::string_view fallback)
{
    if (!WriteOnDefault() && value == fallback)
        return;
    const int index = AttributeIndexByName(name);
    if (index >= 0)
        SetAttributeValue(index, value);
    else
        AttributeAdd(name, value);
}

void TXmlNode::WriteAttributeBool(std::string_view name, bool value, bool fallback)
{
    if (WriteOnDefault() || value != fallback)
        WriteAttributeString(name, BoolToString(value), {});
}

void TXmlNode::WriteAttributeInteger(std::string_view name, int32_t value, int32_t fallback)
{
    if (WriteOnDefault() || value != fallback)
        WriteAttributeString(name, std::to_string(value), {});
}

void TXmlNode::WriteAttributeInt64(std::string_view name, int64_t value, int64_t fallback)
{
    if (WriteOnDefault() || value != fallback)
        WriteAttributeString(name, std::to_string(value), {});
}

void TXmlNode::WriteAttributeFloat(std::string_view name, double value, double fallback)
{
    if (!WriteOnDefault() && value == fallback)
        return;
    const TXmlDocument* document = Document();
    WriteAttributeString(name,
                         FloatToString(value,
                                       document != nullptr ? document->FloatSignificantDigits() : 6,
                                       document == nullptr || document->FloatAllowScientific()),
                         {});
}

void TXmlNode::WriteAttributeDateTime(std::string_view name, fw::TDateTime value,
                                      fw::TDateTime fallback)
{
    if (WriteOnDefault() || value != fallback)
        WriteAttributeString(name, DateTimeToString(value), {});
}

// ---- Child elements -------------------------------------------------------------------

std::string TXmlNode::ReadString(std::string_view name, std::string_view fallback) const
{
    const TXmlNode* child = NodeByName(name);
    return child != nullptr ? child->ValueAsString() : std::string(fallback);
}

std::u16string TXmlNode::ReadWidestring(std::string_view name, std::u16string_view fallback) const
{
    return ToWidestring(ReadString(name, FromWidestring(fallback)));
}

bool TXmlNode::ReadBool(std::string_view name, bool fallback) const
{
    const TXmlNode* child = NodeByName(name);
    return child != nullptr ? child->ValueAsBoolDef(fallback) : fallback;
}

int32_t TXmlNode::ReadInteger(std::string_view name, int32_t fallback) const
{
    const TXmlNode* child = NodeByName(name);
    return child != nullptr ? child->ValueAsIntegerDef(fallback) : fallback;
}

int64_t TXmlNode::ReadInt64(std::string_view name, int64_t fallback) const
{
    const TXmlNode* child = NodeByName(name);
    return child != nullptr ? child->ValueAsInt64Def(fallback) : fallback;
}

double TXmlNode::ReadFloat(std::string_view name, double fallback) const
{
    const TXmlNode* child = NodeByName(name);
    return child != nullptr ? child->ValueAsFloatDef(fallback) : fallback;
}

fw::TDateTime TXmlNode::ReadDateTime(std::string_view name, fw::TDateTime fallback) const
{
    return DateTimeFromStringDefault(ReadString(name, {}), fallback);
}

fw::TColor TXmlNode::ReadColor(std::string_view name, fw::TColor fallback) const
{
    const TXmlNode* child = NodeByName(name);
    return child != nullptr ? ParseInteger(child->ValueAsString()) : fallback;
}

void TXmlNode::WriteString(std::string_view name, std::string_view value, std::string_view fallback)
{
    if (WriteOnDefault() || value != fallback)
        NodeFindOrCreate(name)->SetValueAsString(value);
}

void TXmlNode::WriteWidestring(std::string_view name, std::u16string_view value,
                               std::u16string_view fallback)
{
    WriteString(name, FromWidestring(value), wide_to_ansi(fallback));
}

void TXmlNode::WriteBool(std::string_view name, bool value, bool fallback)
{
    if (WriteOnDefault() || value != fallback)
        NodeFindOrCreate(name)->SetValueAsString(BoolToString(value));
}

void TXmlNode::WriteInteger(std::string_view name, int32_t value, int32_t fallback)
{
    if (WriteOnDefault() || value != fallback)
        NodeFindOrCreate(name)->SetValueAsString(std::to_string(value));
}

void TXmlNode::WriteInt64(std::string_view name, int64_t value, int64_t fallback)
{
    if (WriteOnDefault() || value != fallback)
        NodeFindOrCreate(name)->SetValueAsString(std::to_string(value));
}

void TXmlNode::WriteFloat(std::string_view name, double value, double fallback)
{
    if (WriteOnDefault() || value != fallback)
        NodeFindOrCreate(name)->SetValueAsFloat(value);
}

void TXmlNode::WriteDateTime(std::string_view name, fw::TDateTime value, fw::TDateTime fallback)
{
    if (WriteOnDefault() || value != fallback)
        WriteString(name, DateTimeToString(value), {});
}

void TXmlNode::WriteHex(std::string_view name, uint32_t value, int digits, uint32_t fallback)
{
    if (WriteOnDefault() || value != fallback)
        NodeFindOrCreate(name)->SetValueAsString(hex_text(value, digits));
}

// ---- Binary values --------------------------------------------------------------------

int TXmlNode::BufferLength() const
{
    const std::string text = RemoveControlChars(ValueDirect());
    const size_t length = text.size();
    if (BinaryEncoding() == xbeBinHex) {
        if (length % 2 != 0)
            raise_stream_length();
        return static_cast<int>(length / 2);
    }
    if (length % 4 != 0)
        raise_stream_length();
    int result = static_cast<int>(length / 4 * 3);
    if (length > 0 && text[length - 1] == '=') {
        --result;
        if (length > 1 && text[length - 2] == '=')
            --result;
    }
    return result;
}

void TXmlNode::BufferRead(void* buffer, int count) const
{
    const std::string text = RemoveControlChars(ValueDirect());
    if (BinaryEncoding() == xbeBinHex)
        HexToBuffer(text, buffer, count);
    else
        DecodeBase64(text, buffer, count);
}

void TXmlNode::BufferWrite(const void* buffer, int count)
{
    std::string text;
    if (count > 0)
        text = BinaryEncoding() == xbeBinHex ? BufferToHex(buffer, count)
                                             : EncodeBase64(buffer, count);
    SetValueDirect(AddControlChars(text, GetLineFeed() + GetIndent(), 76));
}

namespace {

// Switches the document's binary encoding to Base64 for as long as it lives.
class Base64Scope {
public:
    explicit Base64Scope(TXmlNode& node) : m_node(node), m_saved(node.BinaryEncoding())
    {
        m_node.SetBinaryEncoding(xbeBase64);
    }
    ~Base64Scope() { m_node.SetBinaryEncoding(m_saved); }

private:
    TXmlNode& m_node;
    TBinaryEncodingType m_saved;
};

}

std::string TXmlNode::BinaryString()
{
    Base64Scope base64(*this);
    std::string bytes(static_cast<size_t>(BufferLength()), '\0');
    BufferRead(bytes.data(), static_cast<int>(bytes.size()));
    return bytes;
}

void TXmlNode::SetBinaryString(std::string_view bytes)
{
    Base64Scope base64(*this);
    if (bytes.empty())
        SetValueDirect({});
    else
        BufferWrite(bytes.data(), static_cast<int>(bytes.size()));
}

}
