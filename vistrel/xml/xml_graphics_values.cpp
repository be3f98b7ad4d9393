// Colours, fonts, pens and brushes as child elements of a node: one grandchild element
// per property.

#include "xml/xml_encodings.h"
#include "xml/xml_node.h"

#include <framework/graphics.h>

#include <cstdio>
#include <string>

namespace vistrel {

namespace {

// An ordinal read from a file as a member of E, or the fallback when E has no such
// member.
template <typename E>
E ordinal_or(int32_t ordinal, E last, E fallback)
{
    return ordinal >= 0 && ordinal <= static_cast<int32_t>(last) ? static_cast<E>(ordinal)
                                                                 : fallback;
}

// "$" and the eight hexadecimal digits of a colour reference.
std::string color_text(fw::TColor rgb)
{
    char text[16];
    std::snprintf(text, sizeof text, "$%.8X", static_cast<unsigned>(rgb));
    return text;
}

constexpr const char* kDefaultFontName = "Arial";
constexpr int kDefaultFontSize = 14;
constexpr fw::TColor kDefaultBrushColor = 0xFFFFFF;

struct FontStyleName {
    fw::TFontStyle style;
    const char* name;
};
constexpr FontStyleName kFontStyles[] = {{fw::fsBold, "Bold"},
                                         {fw::fsItalic, "Italic"},
                                         {fw::fsUnderline, "Underline"},
                                         {fw::fsStrikeOut, "Strikeout"}};

}

void TXmlNode::WriteColor(std::string_view name, fw::TColor value, fw::TColor fallback)
{
    // Written whenever the test passes, also for black: a second test against black
    // would leave the caller's other default to be read back.
    if (WriteOnDefault() || value != fallback)
        NodeFindOrCreate(name)->SetValueAsString(color_text(fw::ColorToRGB(value)));
}

void TXmlNode::ReadFont(std::string_view name, fw::TFont* font) const
{
    if (font == nullptr)
        return;
    const TXmlNode* child = NodeByName(name);
    fw::TFontStyles styles;
    if (child == nullptr) {
        font->SetName(QString::fromLatin1(kDefaultFontName));
        font->SetColor(0);
        font->SetSize(kDefaultFontSize);
        font->SetStyle(styles);
        return;
    }
    const std::u16string font_name = child->ReadWidestring("Name", u"Arial");
    font->SetName(QString::fromStdU16String(font_name));
    font->SetColor(child->ReadColor("Color", 0));
    font->SetSize(child->ReadInteger("Size", kDefaultFontSize));
    for (const FontStyleName& entry : kFontStyles)
        if (child->ReadBool(entry.name, false))
            styles.Include(entry.style);
    font->SetStyle(styles);
}

void TXmlNode::WriteFont(std::string_view name, fw::TFont* font)
{
    if (font == nullptr)
        return;
    TXmlNode* child = NodeFindOrCreate(name);
    child->WriteWidestring("Name", font->Name().toStdU16String(), u"Arial");
    child->WriteColor("Color", font->Color(), 0);
    child->WriteInteger("Size", font->Size(), kDefaultFontSize);
    for (const FontStyleName& entry : kFontStyles)
        child->WriteBool(entry.name, font->Style().Contains(entry.style), false);
}

void TXmlNode::ReadPen(std::string_view name, fw::TPen* pen) const
{
    if (pen == nullptr)
        return;
    const TXmlNode* child = NodeByName(name);
    pen->SetColor(child != nullptr ? child->ReadColor("Color", 0) : 0);
    pen->SetMode(ordinal_or(child != nullptr ? child->ReadInteger("Mode", fw::pmCopy) : fw::pmCopy,
                            fw::pmNotXor, fw::pmCopy));
    pen->SetStyle(
        ordinal_or(child != nullptr ? child->ReadInteger("Style", fw::psSolid) : fw::psSolid,
                   fw::psAlternate, fw::psSolid));
    pen->SetWidth(child != nullptr ? child->ReadInteger("Width", 1) : 1);
}

void TXmlNode::WritePen(std::string_view name, fw::TPen* pen)
{
    if (pen == nullptr)
        return;
    TXmlNode* child = NodeFindOrCreate(name);
    child->WriteColor("Color", pen->Color(), 0);
    child->WriteInteger("Mode", pen->Mode(), fw::pmCopy);
    child->WriteInteger("Style", pen->Style(), fw::psSolid);
    child->WriteInteger("Width", pen->Width(), 1);
}

void TXmlNode::ReadBrush(std::string_view name, fw::TBrush* brush) const
{
    if (brush == nullptr)
        return;
    const TXmlNode* child = NodeByName(name);
    brush->SetColor(child != nullptr ? child->ReadColor("Color", kDefaultBrushColor)
                                     : kDefaultBrushColor);
    brush->SetStyle(
        ordinal_or(child != nullptr ? child->ReadInteger("Style", fw::bsSolid) : fw::bsSolid,
                   fw::bsDiagCross, fw::bsSolid));
}

void TXmlNode::WriteBrush(std::string_view name, fw::TBrush* brush)
{
    if (brush == nullptr)
        return;
    TXmlNode* child = NodeFindOrCreate(name);
    child->WriteColor("Color", brush->Color(), kDefaultBrushColor);
    child->WriteInteger("Style", brush->Style(), fw::bsSolid);
}

}
