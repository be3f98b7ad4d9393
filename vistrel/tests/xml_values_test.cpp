// Typed values of nodes: their own value, attributes, child elements and binary data.

#include "xml/xml_document.h"

#include <framework/graphics.h>

#include <gtest/gtest.h>

#include <string>

using namespace vistrel;

namespace {

std::string message_of(const std::function<void()>& call)
{
    try {
        call();
    } catch (const fw::Exception& error) {
        return error.Message().toStdString();
    }
    return "(none)";
}

}

TEST(XmlValues, TheNodesOwnValue)
{
    TXmlDocument document("r");
    TXmlNode* node = document.Root();
    node->SetValueAsString("a<b & c");
    EXPECT_EQ(node->ValueDirect(), "a&lt;b &amp; c");
    EXPECT_EQ(node->ValueAsString(), "a<b & c");

    node->SetValueAsBool(true);
    EXPECT_EQ(node->ValueDirect(), "True");
    struct BoolRow {
        const char* text;
        const char* error; // nullptr: reads as `value`
        bool value;
    };
    const BoolRow bools[] = {{"yes", nullptr, true},
                             {"no", nullptr, false},
                             {"False", nullptr, false},
                             {"1", "Cannot convert value to bool", false},
                             {"", "Cannot convert value to bool", false}};
    for (const BoolRow& row : bools) {
        node->SetValueDirect(row.text);
        if (row.error == nullptr) {
            EXPECT_EQ(node->ValueAsBool(), row.value) << row.text;
        } else {
            EXPECT_EQ(message_of([&] { node->ValueAsBool(); }), row.error) << row.text;
            EXPECT_TRUE(node->ValueAsBoolDef(true)) << row.text;
        }
    }

    node->SetValueDirect("3,5");
    EXPECT_EQ(node->ValueAsFloat(), 3.5);
    node->SetValueDirect("3,5,5");
    EXPECT_EQ(message_of([&] { node->ValueAsFloat(); }), "Cannot convert value to float");
    EXPECT_EQ(node->ValueAsFloatDef(-1), -1);
    document.SetFloatSignificantDigits(3);
    node->SetValueAsFloat(3.14159);
    EXPECT_EQ(node->ValueDirect(), "3.14");

    node->SetValueAsInt64(-9000000000LL);
    EXPECT_EQ(node->ValueAsInt64(), -9000000000LL);
    EXPECT_EQ(message_of([&] { node->ValueAsInteger(); }),
              "'-9000000000' is not a valid integer value");
    EXPECT_EQ(node->ValueAsIntegerDef(7), 7);
    node->SetValueDirect("$FF");
    EXPECT_EQ(node->ValueAsInteger(), 255);

    const fw::TDateTime moment = fw::EncodeDate(2024, 2, 29) + fw::EncodeTime(23, 59, 1, 5);
    node->SetValueAsDateTime(moment);
    EXPECT_EQ(node->ValueDirect(), "2024-02-29T23:59:01.005Z");
    EXPECT_NEAR(node->ValueAsDateTime(), moment, 1e-9);
    node->SetValueDirect("someday");
    EXPECT_EQ(node->ValueAsDateTimeDef(2.0), 2.0);

    // Wide text in either form of the tree.
    node->SetValueAsWidestring(u"\u00E9\u20AC\u4E2D");
    EXPECT_EQ(node->ValueDirect(), "\xE9\x80?");
    document.SetUtf8Encoded(true);
    node->SetValueAsWidestring(u"\u00E9\U0001F600");
    EXPECT_EQ(node->ValueDirect(), "\xC3\xA9\xF0\x9F\x98\x80");
    EXPECT_EQ(node->ValueAsWidestring(), u"\u00E9\U0001F600");
}

TEST(XmlValues, Attributes)
{
    TXmlDocument document("r");
    TXmlNode* node = document.Root();
    node->WriteAttributeInteger("n", 5);
    node->WriteAttributeBool("b", true);
    node->WriteAttributeFloat("f", 0.25);
    node->WriteAttributeString("s", "x\"y");
    node->WriteAttributeInteger("n", 6); // in place
    EXPECT_EQ(node->AttributeCount(), 4);
    EXPECT_EQ(node->AttributePair(0), "n=\"6\"");
    EXPECT_EQ(node->AttributePair(2), "f=\".25\"");
    EXPECT_EQ(node->AttributePair(3), "s=\"x&quot;y\"");
    EXPECT_EQ(node->ReadAttributeInteger("N"), 6);
    EXPECT_TRUE(node->ReadAttributeBool("b"));
    EXPECT_EQ(node->ReadAttributeFloat("f"), 0.25);
    EXPECT_EQ(node->ReadAttributeString("s"), "x\"y");
    EXPECT_EQ(node->ReadAttributeString("missing", "dflt"), "dflt");
    EXPECT_EQ(node->ReadAttributeInteger("s", -1), -1);
    EXPECT_EQ(node->ReadAttributeInt64("missing", 9), 9);
    EXPECT_EQ(node->ReadAttributeDateTime("s", 4.0), 4.0);

    document.SetWriteOnDefault(false);
    node->WriteAttributeInteger("zero", 0, 0);
    EXPECT_FALSE(node->HasAttribute("zero"));
    node->WriteAttributeInteger("n", 0, 0); // left untouched
    EXPECT_EQ(node->ReadAttributeInteger("n"), 6);
}

TEST(XmlValues, ChildElements)
{
    TXmlDocument document("r");
    TXmlNode* node = document.Root();
    document.SetWriteOnDefault(false);
    node->WriteInteger("count", 3, 3);
    EXPECT_EQ(node->NodeCount(), 0);
    document.SetWriteOnDefault(true);
    node->WriteInteger("count", 3, 3);
    EXPECT_EQ(node->ReadString("count"), "3");

    node->WriteString("empty", "");
    node->WriteBool("flag", true);
    node->WriteFloat("ratio", 1e10);
    node->WriteHex("mask", 0xBEEF, 6);
    node->WriteWidestring("wide", u"\u00E9t\u00E9");
    node->WriteDateTime("day", fw::EncodeDate(2026, 12, 11));
    node->WriteInt64("big", 1LL << 40);
    EXPECT_EQ(node->ReadString("missing", "dflt"), "dflt");
    EXPECT_EQ(node->ReadString("empty", "dflt"), "");
    EXPECT_TRUE(node->ReadBool("FLAG"));
    EXPECT_EQ(node->ReadString("ratio"), "1.00000E10");
    EXPECT_EQ(node->ReadFloat("ratio"), 1e10);
    EXPECT_EQ(node->ReadString("mask"), "$00BEEF");
    EXPECT_EQ(node->ReadInteger("mask"), 0xBEEF);
    EXPECT_EQ(node->ReadWidestring("wide"), u"\u00E9t\u00E9");
    EXPECT_EQ(node->ReadString("day"), "2026-12-11");
    EXPECT_EQ(node->ReadDateTime("day"), fw::EncodeDate(2026, 12, 11));
    EXPECT_EQ(node->ReadInt64("big"), 1LL << 40);
    EXPECT_EQ(node->ReadInteger("flag", -5), -5);
    EXPECT_EQ(node->ReadColor("missing", 77), 77);
    EXPECT_EQ(message_of([&] { node->ReadColor("flag"); }), "'True' is not a valid integer value");
}

TEST(XmlValues, BinaryData)
{
    TXmlDocument document("r");
    TXmlNode* node = document.Root()->NodeNew("data");
    node->SetBinaryString("Man");
    EXPECT_EQ(node->ValueDirect(), "TWFu");
    EXPECT_EQ(node->BufferLength(), 3);
    EXPECT_EQ(node->BinaryString(), "Man");

    // Readable output puts the text on lines of its own, indented; it still reads back.
    document.SetXmlFormat(xfReadable);
    node->SetBinaryString("Man");
    EXPECT_EQ(node->ValueDirect(), "\r\n  TWFu\r\n  ");
    EXPECT_EQ(node->BufferLength(), 3);
    EXPECT_EQ(document.Root()->WriteToString(), "<r>\r\n  <data>\r\n  TWFu\r\n  </data>\r\n</r>");
    const std::string long_bytes(100, '\x7F');
    node->SetBinaryString(long_bytes);
    EXPECT_EQ(node->BinaryString(), long_bytes);

    // Hexadecimal in the document's encoding; BinaryString stays Base64 and restores it.
    document.SetXmlFormat(xfCompact);
    document.SetBinaryEncoding(xbeBinHex);
    const unsigned char bytes[] = {0x01, 0xAB};
    node->BufferWrite(bytes, 2);
    EXPECT_EQ(node->ValueDirect(), "01AB");
    node->SetBinaryString("Ma");
    EXPECT_EQ(node->ValueDirect(), "TWE=");
    EXPECT_EQ(document.BinaryEncoding(), xbeBinHex);
    node->SetBinaryString("");
    EXPECT_EQ(node->ValueDirect(), "");

    document.SetBinaryEncoding(xbeBase64);
    node->SetValueDirect("TWFuTW");
    EXPECT_EQ(message_of([&] { node->BufferLength(); }), "Error while calculating streamlength");
    unsigned char out[8];
    node->SetValueDirect("TWFu");
    EXPECT_EQ(message_of([&] { node->BufferRead(out, 4); }), "Missing data in binary stream");

    // Without a document the encoding is hexadecimal.
    TXmlNode loose(nullptr);
    loose.SetBinaryString("Hi");
    EXPECT_EQ(loose.ValueDirect(), "4869");
    EXPECT_EQ(loose.BinaryString(), "Hi");
}

TEST(XmlValues, ColoursFontsPensAndBrushes)
{
    TXmlDocument document("r");
    TXmlNode* node = document.Root();
    node->WriteColor("c", fw::clRed);
    EXPECT_EQ(node->ReadString("c"), "$000000FF");
    EXPECT_EQ(node->ReadColor("c"), fw::clRed);

    // Black against another default is written even without WriteOnDefault, so that it
    // reads back as black rather than as that default.
    document.SetWriteOnDefault(false);
    node->WriteColor("black", fw::clBlack, fw::clWhite);
    EXPECT_EQ(node->ReadColor("black", fw::clWhite), fw::clBlack);
    node->WriteColor("skipped", fw::clWhite, fw::clWhite);
    EXPECT_EQ(node->NodeByName("skipped"), nullptr);
    document.SetWriteOnDefault(true);

    fw::TFont font;
    font.SetName("Courier New");
    font.SetColor(fw::clBlue);
    font.SetSize(11);
    font.SetStyle({fw::fsBold, fw::fsStrikeOut});
    node->WriteFont("font", &font);
    fw::TFont read;
    node->ReadFont("font", &read);
    EXPECT_EQ(read.Name(), "Courier New");
    EXPECT_EQ(read.Color(), fw::clBlue);
    EXPECT_EQ(read.Size(), 11);
    EXPECT_EQ(read.Style(), (fw::TFontStyles{fw::fsBold, fw::fsStrikeOut}));
    node->ReadFont("missing", &read);
    EXPECT_EQ(read.Name(), "Arial");
    EXPECT_EQ(read.Size(), 14);
    EXPECT_TRUE(read.Style().Empty());

    // Pens and brushes use one set of defaults on both sides: a pen or brush at its
    // defaults, written without WriteOnDefault, reads back the same.
    document.SetWriteOnDefault(false);
    fw::TPen pen;
    fw::TBrush brush;
    node->WritePen("pen", &pen);
    node->WriteBrush("brush", &brush);
    EXPECT_EQ(node->NodeByName("pen")->NodeCount(), 0);
    fw::TPen pen_read;
    pen_read.SetWidth(5);
    pen_read.SetMode(fw::pmXor);
    node->ReadPen("pen", &pen_read);
    EXPECT_EQ(pen_read.Width(), 1);
    EXPECT_EQ(pen_read.Mode(), fw::pmCopy);
    fw::TBrush brush_read;
    brush_read.SetColor(fw::clRed);
    node->ReadBrush("brush", &brush_read);
    EXPECT_EQ(brush_read.Color(), fw::clWhite);

    pen.SetColor(fw::clGreen);
    pen.SetStyle(fw::psDot);
    pen.SetWidth(3);
    pen.SetMode(fw::pmNotXor);
    node->WritePen("pen", &pen);
    node->ReadPen("pen", &pen_read);
    EXPECT_EQ(pen_read.Color(), fw::clGreen);
    EXPECT_EQ(pen_read.Style(), fw::psDot);
    EXPECT_EQ(pen_read.Width(), 3);
    EXPECT_EQ(pen_read.Mode(), fw::pmNotXor);

    // Ordinals a file makes up fall back to the defaults.
    node->NodeByName("pen")->WriteInteger("Mode", 99);
    node->NodeByName("brush")->WriteInteger("Style", -3);
    node->ReadPen("pen", &pen_read);
    node->ReadBrush("brush", &brush_read);
    EXPECT_EQ(pen_read.Mode(), fw::pmCopy);
    EXPECT_EQ(brush_read.Style(), fw::bsSolid);
}
