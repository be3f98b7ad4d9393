// The node tree, its attributes, searches, comparison, order and copies, and the
// document's options and special top-level nodes.

#include "xml/xml_document.h"

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

std::string names_of(const TXmlNode* node)
{
    std::string names;
    for (int i = 0; i < node->NodeCount(); ++i)
        names += (i > 0 ? "," : "") + node->Nodes(i)->Name();
    return names;
}

}

TEST(XmlTree, ChildrenByIndex)
{
    TXmlDocument document("r");
    TXmlNode* root = document.Root();
    TXmlNode* a = root->NodeNew("a");
    root->NodeNew("b");
    EXPECT_EQ(root->Nodes(-1), nullptr);
    EXPECT_EQ(root->Nodes(2), nullptr);
    EXPECT_EQ(root->Nodes(0), a);

    auto* appended = new TXmlNode(&document, "c");
    root->NodeInsert(root->NodeCount(), appended);
    EXPECT_EQ(root->Nodes(2), appended);
    TXmlNode beyond(&document, "d");
    root->NodeInsert(root->NodeCount() + 1, &beyond);
    EXPECT_EQ(root->NodeCount(), 3);
    EXPECT_EQ(root->NodeNewAtIndex(5, "x"), nullptr);
    EXPECT_EQ(root->NodeNewAtIndex(0, "first")->Name(), "first");
    EXPECT_EQ(names_of(root), "first,a,b,c");

    root->NodeExchange(0, 3);
    root->NodeExchange(0, 9); // out of range: nothing
    EXPECT_EQ(names_of(root), "c,a,b,first");
    EXPECT_EQ(root->NodeRemove(a), 1);
    EXPECT_EQ(root->NodeRemove(a), -1); // freed and gone
    root->NodeDelete(7);
    EXPECT_EQ(names_of(root), "c,b,first");

    // An extracted node is the caller's and knows no parent any more.
    TXmlNode* b = root->NodeByName("B");
    EXPECT_EQ(root->NodeExtract(b), b);
    EXPECT_EQ(b->Parent(), nullptr);
    EXPECT_EQ(b->TreeDepth(), -1);
    EXPECT_EQ(root->NodeExtract(b), nullptr);
    fw::Free(b);

    root->Nodes(0)->Delete();
    EXPECT_EQ(names_of(root), "first");
}

TEST(XmlTree, NamesDepthsAndPaths)
{
    TXmlDocument document("r");
    TXmlNode* root = document.Root();
    EXPECT_EQ(message_of([&] { root->SetName("a b"); }), "Illegal character in node name \"a b\"");
    EXPECT_EQ(root->Name(), "r");
    root->SetName("");
    EXPECT_EQ(root->Name(), "");
    root->SetName("r");

    TXmlNode* child = root->NodeNew("c");
    TXmlNode* grandchild = child->NodeNew("g");
    EXPECT_EQ(document.RootNodeList()->TreeDepth(), -1);
    EXPECT_EQ(root->TreeDepth(), 0);
    EXPECT_EQ(grandchild->TreeDepth(), 2);
    EXPECT_EQ(root->FullPath(), "/r");
    EXPECT_EQ(grandchild->FullPath(), "/r/c/g");
    EXPECT_EQ(root->TotalNodeCount(), 2);

    grandchild->AttributeAdd("Index", 7);
    EXPECT_EQ(grandchild->CascadedName(), "0000_r0000_c0000_g0007");
    EXPECT_EQ(grandchild->IndexInParent(), 0);
    EXPECT_EQ(document.RootNodeList()->IndexInParent(), -1);
}

TEST(XmlTree, SearchesByNameAndPath)
{
    TXmlDocument document("r");
    TXmlNode* root = document.Root();
    TXmlNode* a = root->NodeNew("a");
    TXmlNode* deep = a->NodeNew("item");
    TXmlNode* top = root->NodeNew("item");
    root->NodeNew("ITEM")->AttributeAdd("id", "x7");

    EXPECT_EQ(document.RootNodeList()->FindNode("item"), deep); // document order, any depth
    EXPECT_EQ(document.RootNodeList()->FindNode("/r/item"), top);
    EXPECT_EQ(document.RootNodeList()->FindNode("/R/A/Item"), deep);
    EXPECT_EQ(document.RootNodeList()->FindNode("missing"), nullptr);

    std::vector<TXmlNode*> found;
    document.RootNodeList()->FindNodes("item", found);
    EXPECT_EQ(found, (std::vector<TXmlNode*>{deep, top, root->Nodes(2)}));
    root->NodesByName("Item", &found);
    EXPECT_EQ(found.size(), 2U);

    EXPECT_EQ(root->NodeIndexByNameFrom("item", 2), 2);
    EXPECT_EQ(root->NodeIndexByNameFrom("item", 3), -1);
    EXPECT_EQ(root->NodeByAttributeValue("item", "ID", "X7"), root->Nodes(2));
    EXPECT_EQ(document.RootNodeList()->NodeByAttributeValue("item", "id", "x7", false), nullptr);
    EXPECT_EQ(root->NodeFindOrCreate("a"), a);
    EXPECT_EQ(root->NodeFindOrCreate("b")->IndexInParent(), 3);
    EXPECT_EQ(root->NodeByElementType(xeComment), nullptr);
}

TEST(XmlTree, Attributes)
{
    TXmlDocument document("r");
    TXmlNode* node = document.Root();
    node->AttributeAdd("a", "1");
    node->AttributeAdd("a", "x<y & \"z\"");
    EXPECT_EQ(node->AttributeCount(), 2);
    EXPECT_EQ(node->AttributeByName("A"), "1");
    EXPECT_EQ(node->AttributeIndexByName("a"), 0);
    EXPECT_EQ(node->AttributePair(1), "a=\"x&lt;y &amp; &quot;z&quot;\"");
    EXPECT_EQ(node->AttributeValue(1), "x<y & \"z\"");

    // An entry as markup wrote it keeps its quotes; its value has none.
    node->AttributeAddPair("s='it''s'");
    EXPECT_EQ(node->AttributePair(2), "s='it''s'");
    EXPECT_EQ(node->AttributeValue(2), "it's");

    node->SetAttributeByName("a", "2"); // in place
    node->SetAttributeByName("new", "3");
    EXPECT_EQ(node->AttributeName(0), "a");
    EXPECT_EQ(node->AttributeValue(0), "2");
    EXPECT_EQ(node->AttributeName(3), "new");
    node->SetAttributeValue(9, "ignored");
    EXPECT_EQ(node->AttributeValue(9), "");
    node->AttributeExchange(0, 3);
    EXPECT_EQ(node->AttributeName(0), "new");
    node->AttributeDelete(0);
    EXPECT_EQ(node->AttributeCount(), 3);
    EXPECT_TRUE(node->HasAttribute("S"));
    node->AttributesClear();
    EXPECT_EQ(node->AttributeCount(), 0);
    EXPECT_EQ(node->AttributeByName("a"), "");
}

TEST(XmlTree, SortedAttributesRefuseReplacement)
{
    TXmlDocument document("r");
    document.SetSortAttributes(true);
    TXmlNode* node = document.Root()->NodeNew("n");
    node->AttributeAdd("b", "2");
    node->AttributeAdd("a", "1");
    node->AttributeAdd("A", "1"); // equal without regard to case: dropped
    EXPECT_EQ(node->AttributeCount(), 2);
    EXPECT_EQ(node->AttributeName(0), "a");
    const std::string refused = "Operation not allowed on sorted list";
    EXPECT_EQ(message_of([&] { node->SetAttributeValue(0, "9"); }), refused);
    EXPECT_EQ(message_of([&] { node->SetAttributeByName("b", "9"); }), refused);
    EXPECT_EQ(message_of([&] { node->AttributeExchange(0, 1); }), refused);
    EXPECT_EQ(node->AttributeValue(1), "2");
    node->SetAttributeByName("c", "3"); // a new one is added
    EXPECT_EQ(node->AttributeCount(), 3);
}

TEST(XmlTree, EqualityListsMismatchesParentFirst)
{
    TXmlDocument document("r");
    TXmlNode* left = document.Root()->NodeNew("n");
    TXmlNode* right = document.Root()->NodeNew("n");
    left->SetValueAsString("one");
    right->SetValueAsString("two");
    fw::TList mismatches;
    EXPECT_FALSE(left->IsEqualTo(right, {xcNodeName, xcNodeValue}, &mismatches));
    ASSERT_EQ(mismatches.Count(), 1);
    EXPECT_EQ(mismatches.Items(0), left);

    right->SetValueAsString("ONE");
    left->NodeNew("c")->SetValueAsString("x");
    right->NodeNew("c")->SetValueAsString("y");
    mismatches.Clear();
    EXPECT_FALSE(left->IsEqualTo(right, {xcNodeValue, xcChildValues, xcChildCount, xcAttribCount},
                                 &mismatches));
    ASSERT_EQ(mismatches.Count(), 1); // the parent itself matched
    EXPECT_EQ(mismatches.Items(0), left->Nodes(0));

    left->SetValueAsString("other");
    mismatches.Clear();
    EXPECT_FALSE(left->IsEqualTo(right, {xcNodeValue, xcRecursive}, &mismatches));
    // The child was found first, but the mismatching parent goes before it.
    ASSERT_EQ(mismatches.Count(), 2);
    EXPECT_EQ(mismatches.Items(0), left);
    EXPECT_EQ(mismatches.Items(1), left->Nodes(0));
    EXPECT_FALSE(left->IsEqualTo(nullptr, {xcNodeName}));
    EXPECT_TRUE(left->IsEqualTo(right, {xcNodeName, xcChildNames, xcAttribNames}));
}

TEST(XmlTree, SortChildNodes)
{
    TXmlDocument document("r");
    TXmlNode* root = document.Root();
    for (const char* name : {"delta", "Bravo", "alpha", "Charlie", "echo", "ALPHA2"})
        root->NodeNew(name);
    root->SortChildNodes();
    EXPECT_EQ(names_of(root), "alpha,ALPHA2,Bravo,Charlie,delta,echo");

    root->SortChildNodes([](TXmlNode* a, TXmlNode* b, void*) {
        return static_cast<int>(b->Name().size()) - static_cast<int>(a->Name().size());
    });
    EXPECT_EQ(root->Nodes(0)->Name(), "Charlie");

    void* seen_info = nullptr;
    document.OnNodeCompare = [&](fw::TObject* sender, TXmlNode* a, TXmlNode* b, void* info) {
        EXPECT_EQ(sender, &document);
        seen_info = info;
        return -CompareTextIgnoringCase(a->Name(), b->Name(), false);
    };
    int info = 0;
    root->SortChildNodes(nullptr, &info);
    EXPECT_EQ(names_of(root), "echo,delta,Charlie,Bravo,ALPHA2,alpha");
    EXPECT_EQ(seen_info, &info);

    // A compare function that contradicts itself ends without leaving the list.
    root->SortChildNodes([](TXmlNode*, TXmlNode*, void*) { return -1; });
    EXPECT_EQ(root->NodeCount(), 6);
}

TEST(XmlTree, AssignCopiesDeeplyAndDeletesEmptyNodes)
{
    TXmlDocument document("r");
    TXmlNode* source = document.Root()->NodeNew("s");
    source->SetTag(5);
    source->AttributeAdd("k", "v");
    source->NodeNew("child")->SetValueAsString("text");
    source->NodeNew("empty")->NodeNew("emptier");

    TXmlDocument other;
    TXmlNode* copy = other.Root()->NodeNew("old");
    copy->Assign(source);
    EXPECT_EQ(copy->Name(), "s");
    EXPECT_EQ(copy->Tag(), 5);
    EXPECT_EQ(copy->AttributeByName("k"), "v");
    EXPECT_EQ(copy->Nodes(0)->ValueAsString(), "text");
    EXPECT_EQ(copy->Nodes(1)->Nodes(0)->Document(), &other);
    EXPECT_EQ(copy->Parent(), other.Root());

    copy->DeleteEmptyNodes();
    EXPECT_EQ(names_of(copy), "child");

    // A node may take the copy of its own descendant.
    source->Assign(source->Nodes(1));
    EXPECT_EQ(source->Name(), "empty");
    EXPECT_EQ(names_of(source), "emptier");
}

TEST(XmlDocumentOptions, NewDocumentAndItsSpecialNodes)
{
    TXmlDocument document;
    TXmlNode* top = document.RootNodeList();
    ASSERT_EQ(top->NodeCount(), 2);
    EXPECT_EQ(top->Nodes(0)->ElementType(), xeDeclaration);
    EXPECT_EQ(top->Nodes(0)->AttributePair(0), "version=\"1.0\"");
    EXPECT_EQ(top->Nodes(0)->AttributePair(1), "encoding=\"windows-1252\"");
    EXPECT_EQ(document.Root()->Name(), "");
    EXPECT_TRUE(document.IsEmpty());
    EXPECT_EQ(document.VersionString(), "1.0");
    EXPECT_EQ(document.EncodingString(), "windows-1252");

    document.SetXmlFormat(xfReadable);
    document.SetParserWarnings(true);
    document.Clear();
    EXPECT_EQ(document.XmlFormat(), xfCompact);
    EXPECT_TRUE(document.ParserWarnings()); // not one of the defaults

    document.SetCommentString("note");
    EXPECT_EQ(top->Nodes(1)->ElementType(), xeComment);
    EXPECT_EQ(document.CommentString(), "note");
    TXmlNode* style = document.StyleSheetNode();
    EXPECT_EQ(style, top->Nodes(1));
    EXPECT_EQ(document.StyleSheetNode(), style);

    top->NodeDelete(0);
    document.SetVersionString("");
    EXPECT_EQ(top->Nodes(0)->ElementType(), xeStylesheet); // no declaration for an empty version
    document.SetEncodingString("UTF-8");
    EXPECT_EQ(top->Nodes(0)->ElementType(), xeDeclaration);
    document.SetVersionString("1.1");
    EXPECT_EQ(top->Nodes(0)->AttributePair(1), "version=\"1.1\"");

    // Without top-level nodes a new style sheet stays outside the tree, owned by the
    // document (the address sanitizer would see a leak).
    top->NodesClear();
    TXmlNode* detached = document.StyleSheetNode();
    EXPECT_EQ(detached->ElementType(), xeStylesheet);
    EXPECT_EQ(top->NodeCount(), 0);
    EXPECT_EQ(document.Root(), nullptr);
    EXPECT_TRUE(document.IsEmpty());
}

TEST(XmlDocumentOptions, AssignCopiesOptionsAndTree)
{
    TXmlDocument source("r");
    source.Root()->NodeNew("c");
    source.SetXmlFormat(xfReadable);
    source.SetFloatSignificantDigits(3);
    TXmlDocument copy;
    copy.Assign(&source);
    EXPECT_EQ(copy.XmlFormat(), xfReadable);
    EXPECT_EQ(copy.FloatSignificantDigits(), 6); // float options stay
    EXPECT_EQ(copy.Root()->Nodes(0)->Document(), &copy);
    EXPECT_EQ(copy.Root()->Nodes(0)->Name(), "c");

    copy.Assign(source.Root());
    EXPECT_EQ(copy.RootNodeList()->Name(), "r");
    copy.CopyFrom(nullptr);
}
