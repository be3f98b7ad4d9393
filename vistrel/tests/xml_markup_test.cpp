// Reading and writing markup: nodes, documents, encodings on the load and save roads,
// DOCTYPEs and entities, events, and hostile input.

#include "xml/xml_document.h"
#include "xml/xml_markup.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

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

std::string saved(TXmlDocument& document)
{
    TxdStringStream stream("");
    document.SaveToStream(&stream);
    return stream.DataString();
}

void load(TXmlDocument& document, const std::string& bytes)
{
    TxdStringStream stream(bytes);
    document.LoadFromStream(&stream);
}

std::string utf16le(const std::u16string& text)
{
    std::string bytes;
    for (const char16_t unit : text) {
        bytes.push_back(static_cast<char>(unit & 0xFF));
        bytes.push_back(static_cast<char>(unit >> 8));
    }
    return bytes;
}

}

TEST(XmlMarkup, SplitsTagsIntoItems)
{
    struct Row {
        const char* text;
        std::vector<std::string> items;
    };
    const std::vector<Row> rows = {
        {"a b=\"1 2\" c", {"a", "b=\"1 2\"", "c"}},
        {"a b = '1 2'", {"a", "b='1 2'"}},
        {"a  b", {"a", "b"}},
        {"x='>' y=\"it's\"", {"x='>'", "y=\"it's\""}},
        {"'lone'", {"'lone'"}},
        {"n ='v'", {"n='v'"}},
    };
    for (const Row& row : rows) {
        std::vector<std::string> items{"old"};
        const std::string text = row.text;
        ParseAttributes(text, 0, text.size(), items);
        EXPECT_EQ(items, row.items) << row.text;
    }
    std::vector<std::string> untouched{"old"};
    ParseAttributes("   ", 0, 3, untouched);
    EXPECT_EQ(untouched, std::vector<std::string>{"old"});
}

TEST(XmlMarkup, ElementsTextAndChildren)
{
    TXmlDocument document;
    document.ReadFromString("<r>text<c/>text2</r>");
    TXmlNode* root = document.Root();
    EXPECT_EQ(root->ValueDirect(), "text");
    ASSERT_EQ(root->NodeCount(), 2);
    EXPECT_EQ(root->Nodes(0)->Name(), "c");
    EXPECT_EQ(root->Nodes(1)->ElementType(), xeCharData);
    EXPECT_EQ(root->Nodes(1)->ValueDirect(), "text2");
    EXPECT_EQ(root->WriteToString(), "<r>text<c/>text2</r>");

    // A quoted ">" belongs to the value; the close tag may differ in case; blanks between
    // elements make no nodes.
    document.ReadFromString(
        "<?xml version=\"1.0\"?>  <R a='x>y' b=\"&amp;\">\n  <c/>\n  <d>v</d>\n</r>  ");
    ASSERT_EQ(document.RootNodeList()->NodeCount(), 2);
    root = document.Root();
    EXPECT_EQ(root->AttributeValue(0), "x>y");
    EXPECT_EQ(root->AttributePair(0), "a='x>y'");
    EXPECT_EQ(root->AttributeValue(1), "&");
    EXPECT_EQ(root->NodeCount(), 2);
    EXPECT_EQ(root->Nodes(1)->ValueAsString(), "v");
    EXPECT_EQ(root->ValueDirect(), "");

    document.ReadFromString("<r><!-- kept --><!x y></r>");
    EXPECT_EQ(document.Root()->Nodes(0)->ElementType(), xeComment);
    EXPECT_EQ(document.Root()->Nodes(0)->ValueDirect(), " kept ");
    EXPECT_EQ(document.Root()->Nodes(1)->ElementType(), xeExclam);
    EXPECT_EQ(document.Root()->Nodes(1)->Name(), "Special");
    EXPECT_EQ(document.Root()->Nodes(1)->ValueDirect(), "x y");
    document.SetDropCommentsOnParse(true);
    document.ReadFromString("<!-- top --><r><!-- dropped --><![CDATA[<raw>]]></r>");
    EXPECT_EQ(document.RootNodeList()->Nodes(0)->ElementType(), xeComment); // top level stays
    ASSERT_EQ(document.Root()->NodeCount(), 1);
    EXPECT_EQ(document.Root()->Nodes(0)->ValueDirect(), "<raw>");
}

TEST(XmlMarkup, ParseErrors)
{
    struct Row {
        const char* text;
        const char* message;
    };
    const Row rows[] = {
        {"<r><a></b></r>", "Incorrect close tag in element a"},
        {"<r><a>", "Missing close tag in element a"},
        {"<r>text", "Missing close tag in element r"},
        {"<r></r", "Missing \">\" in close tag of element r"},
        {"<r><", "Missing data after \"<\" in element r"},
        {"<!-- only -->", "No root element found in xml"},
        {"", "No root element found in xml"},
        {"< >", "Missing element name"},
        {"<r a='1", "Missing element name"},
    };
    for (const Row& row : rows) {
        TXmlDocument document;
        EXPECT_EQ(message_of([&] { document.ReadFromString(row.text); }), row.message) << row.text;
    }
}

TEST(XmlMarkup, WarningsOnTheDocumentsShape)
{
    struct Row {
        const char* text;
        const char* message;
    };
    const Row rows[] = {
        {"<a/><b/>", "More than one root element found in xml"},
        {"<?xml version='1'?><?xml version='1'?><a/>",
         "More than one xml declaration found in xml"},
        {"<!-- c --><?xml version='1'?><a/>", "Xml declaration must be first element"},
        {"<!DOCTYPE a><!DOCTYPE a><a/>", "More than one doctype declaration found in root"},
        {"<a/><!DOCTYPE a>", "Doctype declaration found after root element"},
        {"<![CDATA[x]]><a/>", "No CDATA allowed in root"},
    };
    for (const Row& row : rows) {
        TXmlDocument document;
        document.ReadFromString(row.text); // tolerated without warnings
        document.SetParserWarnings(true);
        EXPECT_EQ(message_of([&] { document.ReadFromString(row.text); }), row.message) << row.text;
    }
}

TEST(XmlMarkup, WritesCompactAndReadableDocuments)
{
    TXmlDocument document;
    EXPECT_EQ(document.WriteToString(),
              "<?xml version=\"1.0\" encoding=\"windows-1252\"?>\n<></>\n");

    TXmlDocument readable("r");
    readable.SetXmlFormat(xfReadable);
    readable.Root()->NodeNew("c")->SetValueAsString("a<b");
    EXPECT_EQ(
        readable.WriteToString(),
        "<?xml version=\"1.0\" encoding=\"windows-1252\"?>\r\n<r>\r\n  <c>a&lt;b</c>\r\n</r>\r\n");
    readable.Root()->Nodes(0)->NodeNew("e");
    readable.SetUseFullNodes(true);
    EXPECT_EQ(readable.Root()->WriteToString(),
              "<r>\r\n  <c>a&lt;b\r\n    <e></e>\r\n  </c>\r\n</r>");
    // A long value goes out in its place, before the children, however it is written.
    const std::string long_value(3000, 'v');
    readable.Root()->Nodes(0)->SetValueDirect(long_value);
    readable.Root()->Nodes(0)->Nodes(0)->SetValueDirect(long_value);
    EXPECT_EQ(readable.Root()->WriteToString(),
              "<r>\r\n  <c>" + long_value + "\r\n    <e>" + long_value + "</e>\r\n  </c>\r\n</r>");

    // An emptied encoding leaves the declaration; other node kinds as they are written.
    TXmlDocument other("r");
    other.SetEncodingString("");
    TXmlNode* top = other.RootNodeList();
    top->NodeNewAtIndex(1, "")->SetElementType(xeComment);
    top->Nodes(1)->SetValueDirect("c");
    other.Root()->NodeNew("")->SetElementType(xeQuestion);
    other.Root()->Nodes(0)->SetValueDirect("pi x");
    EXPECT_EQ(other.WriteToString(), "<?xml version=\"1.0\"?>\n<!--c-->\n<r><?pi x?></r>\n");

    // A document that writes nothing before its first progress report still saves.
    top->NodesClear();
    int reports = 0;
    other.OnProgress = [&](fw::TObject*, int64_t) { ++reports; };
    EXPECT_EQ(saved(other), "");
    EXPECT_EQ(reports, 2);
    other.SetParserWarnings(true);
    EXPECT_EQ(message_of([&] { saved(other); }), "XML root element not defined.");
}

TEST(XmlMarkup, RoundTripsThroughReadableOutput)
{
    const std::string text = "<r a=\"1\">head<b x='2'>in</b>tail<c><d/></c><!--n--></r>";
    TXmlDocument document;
    document.ReadFromString(text);
    EXPECT_EQ(document.Root()->WriteToString(), text);
    document.SetXmlFormat(xfReadable);
    const std::string readable = document.WriteToString();
    TXmlDocument again;
    again.ReadFromString(readable);
    EXPECT_TRUE(again.Root()->IsEqualTo(document.Root(),
                                        {xcNodeName, xcNodeValue, xcAttribValues, xcChildNames,
                                         xcChildValues, xcChildCount, xcRecursive}));
}

TEST(XmlLoadAndSave, EncodingsFoundAndKept)
{
    // UTF-8 without a mark, declared: read as UTF-8 and saved with the mark.
    TXmlDocument document;
    load(document, "<?xml version=\"1.0\" encoding=\"UTF-8\"?><r>\xC3\xA9</r>");
    EXPECT_EQ(document.ExternalEncoding(), seUTF8);
    EXPECT_TRUE(document.Utf8Encoded());
    EXPECT_EQ(document.Root()->ValueDirect(), "\xC3\xA9");
    EXPECT_EQ(saved(document).substr(0, 3), "\xEF\xBB\xBF");

    // Declared in lower case: not switched while parsing, but UTF-8 after the load.
    TXmlDocument lower;
    load(lower, "<?xml version=\"1.0\" encoding=\"utf-8\"?><r/>");
    EXPECT_EQ(lower.ExternalEncoding(), se8Bit);
    EXPECT_TRUE(lower.Utf8Encoded());

    TXmlDocument empty;
    EXPECT_EQ(message_of([&] { load(empty, ""); }), "Unsupported ansistring encoding");
    EXPECT_EQ(message_of([&] { load(empty, "<"); }), "Unsupported ansistring encoding");

    // UTF-16 on an 8-bit side: characters the code page lacks are lost, and told.
    TXmlDocument wide;
    int losses = 0;
    wide.OnUnicodeLoss = [&](fw::TObject* sender) {
        EXPECT_EQ(sender, &wide);
        ++losses;
    };
    load(wide, "\xFF\xFE" + utf16le(u"<r>\u00E9\u4E2D\u4E2E</r>"));
    EXPECT_EQ(wide.ExternalEncoding(), seUTF16LE);
    EXPECT_EQ(wide.Root()->ValueDirect(), "\xE9??");
    EXPECT_EQ(losses, 1);

    // A UTF-16 file that declares UTF-8 is still read as UTF-16, and comes back as it
    // went out.
    TXmlDocument utf8_side;
    utf8_side.SetUtf8Encoded(true);
    load(utf8_side,
         "\xFF\xFE" +
             utf16le(u"<?xml version=\"1.0\" encoding=\"UTF-8\"?><r>\u4E2D\U0001F600</r>"));
    EXPECT_EQ(utf8_side.Root()->ValueDirect(), "\xE4\xB8\xAD\xF0\x9F\x98\x80");
    const std::string bytes = saved(utf8_side);
    EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");
    TXmlDocument reread;
    reread.SetUtf8Encoded(true);
    load(reread, bytes);
    EXPECT_EQ(reread.Root()->ValueDirect(), utf8_side.Root()->ValueDirect());
}

TEST(XmlLoadAndSave, Files)
{
    const QString path = QString::fromStdString(testing::TempDir()) + "/tarvek_xml_file.xml";
    TXmlDocument document("parts");
    document.Root()->NodeNew("part")->AttributeAdd("name", "Bracket <A>");
    document.SaveToFile(path);
    TXmlDocument loaded;
    loaded.LoadFromFile(path);
    EXPECT_EQ(loaded.Root()->Nodes(0)->AttributeByName("name"), "Bracket <A>");
    EXPECT_EQ(message_of([&] { loaded.LoadFromFile(path + ".missing"); }).substr(0, 16),
              "Cannot open file");
    std::remove(path.toStdString().c_str());
}

TEST(XmlLoadAndSave, EventsAndAbort)
{
    const std::string text = "<r><a/><b><c/></b></r>";
    TXmlDocument document;
    std::vector<std::string> news;
    std::vector<std::string> loaded;
    std::vector<int64_t> progress;
    document.OnProgress = [&](fw::TObject*, int64_t size) { progress.push_back(size); };
    document.ReadFromString(text); // the Clear of a parse keeps OnProgress
    document.OnNodeNew = [&](fw::TObject* sender, TXmlNode* node) {
        EXPECT_EQ(sender, &document);
        news.push_back(node->Name());
    };
    document.OnNodeLoaded = [&](fw::TObject*, TXmlNode* node) { loaded.push_back(node->Name()); };
    progress.clear();
    document.ReadFromString(text);
    EXPECT_EQ(news, (std::vector<std::string>{"r", "a", "b", "c"}));
    EXPECT_EQ(loaded, (std::vector<std::string>{"a", "c", "b", "r"}));
    EXPECT_EQ(progress.front(), 0);
    EXPECT_EQ(progress.back(), static_cast<int64_t>(text.size()));

    news.clear();
    document.OnNodeNew = [&](fw::TObject*, TXmlNode* node) {
        news.push_back(node->Name());
        if (node->Name() == "b")
            document.SetAbortParsing(true);
    };
    document.ReadFromString(text);
    EXPECT_EQ(news, (std::vector<std::string>{"r", "a", "b"}));
    EXPECT_TRUE(document.AbortParsing());
    EXPECT_EQ(document.Root()->NodeCount(), 2); // what was read stays
}

TEST(XmlEntities, DoctypeAndResolution)
{
    TXmlDocument document;
    document.ReadFromString("<!DOCTYPE r SYSTEM \"r.dtd\" [\n"
                            "  <!ENTITY e \"<b>bold</b>\">\n"
                            "  <!ENTITY t 'plain'>\n"
                            "  <!ELEMENT r ANY>\n"
                            "]>\n"
                            "<r k=\"&t;&u;&amp\">one &e; two</r>");
    TXmlNode* doctype = document.RootNodeList()->Nodes(0);
    EXPECT_EQ(doctype->ElementType(), xeDoctype);
    EXPECT_EQ(doctype->Name(), "r");
    EXPECT_EQ(doctype->ValueDirect(), "SYSTEM \"r.dtd\"");
    ASSERT_EQ(doctype->NodeCount(), 3);
    EXPECT_EQ(doctype->Nodes(0)->ElementType(), xeEntity);
    EXPECT_EQ(doctype->Nodes(0)->Name(), "e");
    EXPECT_EQ(doctype->Nodes(2)->ElementType(), xeElement);
    EXPECT_EQ(document.EntityByName("t"), "plain");

    document.ResolveEntityReferences();
    TXmlNode* root = document.Root();
    EXPECT_EQ(root->ValueDirect(), "one ");
    ASSERT_EQ(root->NodeCount(), 2);
    EXPECT_EQ(root->Nodes(0)->Name(), "b");
    EXPECT_EQ(root->Nodes(0)->ValueDirect(), "bold");
    EXPECT_EQ(root->Nodes(1)->ElementType(), xeCharData);
    EXPECT_EQ(root->Nodes(1)->ValueDirect(), " two");
    // Known entities are replaced, unknown ones and a lone "&" stay as written.
    EXPECT_EQ(root->AttributeValue(0), "plain&u;&amp");
}

TEST(XmlHostileInput, StaysBounded)
{
    // Deep nesting is a parse error, not a stack overflow.
    std::string deep;
    for (int i = 0; i < 100000; ++i)
        deep += "<a>";
    TXmlDocument document;
    EXPECT_EQ(message_of([&] { document.ReadFromString(deep); }),
              "Elements nested too deeply in element a");

    // An entity that names itself is not expanded inside itself.
    document.ReadFromString("<!DOCTYPE r [<!ENTITY a \"<x>&a;</x>\">]><r>&a;</r>");
    document.ResolveEntityReferences();
    TXmlNode* x = document.Root()->Nodes(0);
    ASSERT_NE(x, nullptr);
    EXPECT_EQ(x->ValueDirect(), "&a;");

    // Entities that multiply one another stop at a fixed size.
    std::string laughs = "<!DOCTYPE r [<!ENTITY l0 \"<x/>\">";
    for (int level = 1; level <= 8; ++level) {
        laughs += "<!ENTITY l" + std::to_string(level) + " \"<y>";
        for (int i = 0; i < 10; ++i)
            laughs += "&l" + std::to_string(level - 1) + ";<z/>";
        laughs += "</y>\">";
    }
    laughs += "]><r>&l8;</r>";
    document.ReadFromString(laughs);
    EXPECT_EQ(message_of([&] { document.ResolveEntityReferences(); }),
              "Too many entity expansions");
}
