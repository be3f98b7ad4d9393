#include "listview/common/pidl_list.h"
#include "listview/common/pidl_manager.h"

#include "framework/classes.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

using namespace vistrel::listview;

namespace {

// An item of the given data: its 16-bit size, then the data.
std::string item(const std::string& data)
{
    const size_t size = data.size() + 2;
    return std::string{static_cast<char>(size & 0xFF), static_cast<char>(size >> 8)} + data;
}

const std::string kEnd("\0\0", 2);

// Lists made by a test and freed with it.
class Lists {
public:
    explicit Lists(const TLqCommonPIDLManager& manager) : m_manager(manager) {}
    ~Lists()
    {
        for (PItemIDList list : m_lists)
            m_manager.FreePIDL(list);
    }
    PItemIDList make(const std::string& bytes) { return keep(m_manager.StringToPIDL(bytes)); }
    PItemIDList keep(PItemIDList list)
    {
        m_lists.push_back(list);
        return list;
    }

private:
    const TLqCommonPIDLManager& m_manager;
    std::vector<PItemIDList> m_lists;
};

std::string bytes_of(const TLqCommonPIDLManager& manager, PItemIDList list)
{
    return std::string(reinterpret_cast<const char*>(list), manager.PIDLSize(list));
}

// Fails the allocations after the first `allowed` ones.
class FailingAllocator final : public TLqTaskAllocator {
public:
    explicit FailingAllocator(int allowed) : m_allowed(allowed) {}
    void* Alloc(size_t bytes) override { return m_allowed-- > 0 ? std::malloc(bytes) : nullptr; }
    void Free(void* block) override { std::free(block); }

private:
    int m_allowed;
};

}

TEST(PIDLManager, WalksCountsAndSizes)
{
    TLqCommonPIDLManager manager;
    Lists lists(manager);
    const PItemIDList desktop = lists.make(kEnd);
    // Odd item sizes put later counts at odd addresses.
    const PItemIDList three = lists.make(item("a") + item("bcd") + item("ef") + kEnd);

    EXPECT_EQ(manager.IDCount(nullptr), 0);
    EXPECT_EQ(manager.PIDLSize(nullptr), 0u);
    EXPECT_EQ(manager.IDCount(desktop), 0);
    EXPECT_EQ(manager.PIDLSize(desktop), 2u);
    EXPECT_TRUE(manager.IsDesktopFolder(desktop));
    EXPECT_FALSE(manager.IsDesktopFolder(nullptr));
    EXPECT_FALSE(manager.IsDesktopFolder(three));
    EXPECT_EQ(manager.IDCount(three), 3);
    EXPECT_EQ(manager.PIDLSize(three), 3u + 5u + 4u + 2u);
    EXPECT_EQ(reinterpret_cast<uint8_t*>(manager.NextID(three)),
              reinterpret_cast<uint8_t*>(three) + 3);
    EXPECT_EQ(reinterpret_cast<uint8_t*>(manager.GetPointerToLastID(three)),
              reinterpret_cast<uint8_t*>(three) + 8);
    EXPECT_EQ(manager.GetPointerToLastID(desktop), desktop);
    EXPECT_EQ(manager.GetPointerToLastID(nullptr), nullptr);
}

TEST(PIDLManager, CopiesAndAppends)
{
    TLqCommonPIDLManager manager;
    Lists lists(manager);
    const PItemIDList desktop = lists.make(kEnd);
    const PItemIDList parent = lists.make(item("p") + kEnd);
    const PItemIDList child = lists.make(item("c1") + item("c2") + kEnd);

    EXPECT_EQ(bytes_of(manager, lists.keep(manager.CopyPIDL(child))),
              item("c1") + item("c2") + kEnd);
    EXPECT_EQ(manager.CopyPIDL(nullptr), nullptr);
    EXPECT_EQ(bytes_of(manager, lists.keep(manager.AppendPIDL(parent, child))),
              item("p") + item("c1") + item("c2") + kEnd);
    EXPECT_EQ(bytes_of(manager, lists.keep(manager.AppendPIDL(desktop, child))),
              item("c1") + item("c2") + kEnd);
    EXPECT_EQ(bytes_of(manager, lists.keep(manager.AppendPIDL(nullptr, child))),
              item("c1") + item("c2") + kEnd);
    // Without a second part the result still ends: a copy of the first.
    EXPECT_EQ(bytes_of(manager, lists.keep(manager.AppendPIDL(child, nullptr))),
              item("c1") + item("c2") + kEnd);
    EXPECT_EQ(bytes_of(manager, lists.keep(manager.AppendPIDL(nullptr, nullptr))), kEnd);
    EXPECT_EQ(bytes_of(manager, lists.keep(manager.CopyLastID(child))), item("c2") + kEnd);
    EXPECT_EQ(bytes_of(manager, lists.keep(manager.CopyLastID(parent))), item("p") + kEnd);
    EXPECT_EQ(bytes_of(manager, child), item("c1") + item("c2") + kEnd) << "inputs stay";
}

TEST(PIDLManager, StripsAndRestoresTheLastItem)
{
    TLqCommonPIDLManager manager;
    Lists lists(manager);
    const PItemIDList desktop = lists.make(kEnd);
    const PItemIDList one = lists.make(item("x") + kEnd);
    const PItemIDList two = lists.make(item("x") + item("yz") + kEnd);

    EXPECT_EQ(manager.StripLastID(desktop), desktop);
    EXPECT_TRUE(manager.IsDesktopFolder(desktop));
    manager.StripLastID(one);
    EXPECT_TRUE(manager.IsDesktopFolder(one));

    uint16_t count = 0;
    PItemIDList last = nullptr;
    manager.StripLastID(two, count, last);
    EXPECT_EQ(manager.IDCount(two), 1);
    EXPECT_EQ(count, 4);
    ASSERT_NE(last, nullptr);
    // Writing the count back mends the list.
    auto* bytes = reinterpret_cast<uint8_t*>(last);
    bytes[0] = static_cast<uint8_t>(count);
    bytes[1] = static_cast<uint8_t>(count >> 8);
    EXPECT_EQ(manager.IDCount(two), 2);
}

TEST(PIDLManager, ComparesByteByByteAndFindsSubLists)
{
    TLqCommonPIDLManager manager;
    Lists lists(manager);
    const PItemIDList parent = lists.make(item("p") + kEnd);
    const PItemIDList child = lists.make(item("p") + item("c") + kEnd);
    const PItemIDList other = lists.make(item("q") + item("c") + kEnd);

    EXPECT_TRUE(manager.EqualPIDL(child, lists.make(item("p") + item("c") + kEnd)));
    EXPECT_FALSE(manager.EqualPIDL(child, other));
    EXPECT_FALSE(manager.EqualPIDL(child, parent));
    EXPECT_FALSE(manager.EqualPIDL(child, nullptr));
    EXPECT_FALSE(manager.EqualPIDL(nullptr, nullptr));

    EXPECT_TRUE(manager.IsSubPIDL(child, child));
    EXPECT_TRUE(manager.IsSubPIDL(child, parent));
    EXPECT_FALSE(manager.IsSubPIDL(parent, child));
    EXPECT_FALSE(manager.IsSubPIDL(other, parent));
    EXPECT_EQ(bytes_of(manager, child), item("p") + item("c") + kEnd) << "the cut is mended";
}

TEST(PIDLManager, ParsesAListIntoItsLevels)
{
    TLqCommonPIDLManager manager;
    Lists lists(manager);
    const PItemIDList path = lists.make(item("a") + item("bb") + item("c") + kEnd);
    TLqCommonPIDLList absolute;
    manager.ParsePIDL(path, &absolute, true);
    ASSERT_EQ(absolute.Count(), 3);
    EXPECT_EQ(bytes_of(manager, absolute.Items(0)), item("a") + kEnd);
    EXPECT_EQ(bytes_of(manager, absolute.Items(1)), item("a") + item("bb") + kEnd);
    EXPECT_EQ(bytes_of(manager, absolute.Items(2)), item("a") + item("bb") + item("c") + kEnd);

    TLqCommonPIDLList relative;
    manager.ParsePIDL(path, &relative, false);
    ASSERT_EQ(relative.Count(), 3);
    EXPECT_EQ(bytes_of(manager, relative.Items(1)), item("bb") + kEnd);
    EXPECT_EQ(bytes_of(manager, relative.Items(2)), item("c") + kEnd);
    EXPECT_EQ(bytes_of(manager, path), item("a") + item("bb") + item("c") + kEnd);

    manager.ParsePIDL(nullptr, &relative, false);
    manager.ParsePIDL(path, nullptr, false);
    EXPECT_EQ(relative.Count(), 3);
}

TEST(PIDLManager, HasNoShellToBindTo)
{
    TLqCommonPIDLManager manager;
    Lists lists(manager);
    fw::TInterfacePtr<IShellFolder> folder;
    EXPECT_FALSE(manager.BindToParent(lists.make(item("x") + kEnd), folder));
    EXPECT_FALSE(folder);
}

TEST(PIDLManager, TaskMemoryAndFailedAllocations)
{
    TLqCommonPIDLManager manager;
    char16_t* text = manager.AllocStrGlobal(QStringLiteral("Ab"));
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(std::u16string(text), u"Ab");
    manager.FreeOLEStr(text);
    PItemIDList list = manager.StringToPIDL(kEnd);
    manager.FreeAndNilPIDL(list);
    EXPECT_EQ(list, nullptr);

    FailingAllocator failing(0);
    SetTaskAllocatorForTesting(&failing);
    {
        TLqCommonPIDLManager starved;
        const std::string bytes = item("x") + kEnd;
        PItemIDList source = reinterpret_cast<PItemIDList>(const_cast<char*>(bytes.data()));
        EXPECT_EQ(starved.CopyPIDL(source), nullptr);
        EXPECT_EQ(starved.AppendPIDL(source, source), nullptr);
        EXPECT_EQ(starved.AllocStrGlobal(QStringLiteral("x")), nullptr);
        EXPECT_EQ(starved.StringToPIDL(bytes), nullptr);
    }
    SetTaskAllocatorForTesting(nullptr);
}

TEST(PIDLList, FreesItsListsUnlessTheyAreShared)
{
    TLqCommonPIDLManager manager;
    Lists lists(manager);
    const PItemIDList a = lists.make(item("a") + kEnd);
    const PItemIDList b = lists.make(item("b") + kEnd);
    {
        TLqCommonPIDLList owning;
        EXPECT_EQ(owning.CopyAdd(a), 0);
        EXPECT_EQ(owning.CopyAdd(b), 1);
        EXPECT_EQ(owning.FindPIDL(b), 1);
        EXPECT_EQ(owning.FindPIDL(nullptr), -1);
        TLqCommonPIDLList clone;
        clone.CopyAdd(b);
        clone.CloneList(&owning);
        ASSERT_EQ(clone.Count(), 2);
        EXPECT_NE(clone.Items(0), owning.Items(0));
        EXPECT_TRUE(manager.EqualPIDL(clone.Items(0), a));
        owning.Clear();
        EXPECT_EQ(owning.Count(), 0);
    } // the copies go with the lists (a leak would fail the sanitizer run)
    {
        TLqCommonPIDLList shared;
        shared.SetSharePIDLs(true);
        shared.Add(a);
        shared.Add(b);
    }
    EXPECT_EQ(manager.IDCount(a), 1) << "shared lists stay alive";
}

TEST(PIDLList, RoundTripsThroughAStream)
{
    TLqCommonPIDLManager manager;
    Lists lists(manager);
    TLqCommonPIDLList list;
    list.CopyAdd(lists.make(item("one") + kEnd));
    list.CopyAdd(lists.make(kEnd));
    fw::TMemoryStream stream;
    ASSERT_TRUE(list.SaveToStream(&stream));
    const std::string expected = std::string("\x02\x00\x00\x00", 4) +
                                 std::string("\x07\x00\x00\x00", 4) + item("one") + kEnd +
                                 std::string("\x02\x00\x00\x00", 4) + kEnd;
    ASSERT_EQ(
        std::string(static_cast<const char*>(stream.Memory()), static_cast<size_t>(stream.Size())),
        expected);
    stream.SetPosition(0);
    TLqCommonPIDLList loaded;
    ASSERT_TRUE(loaded.LoadFromStream(&stream));
    ASSERT_EQ(loaded.Count(), 2);
    EXPECT_TRUE(manager.EqualPIDL(loaded.Items(0), list.Items(0)));
    EXPECT_TRUE(manager.IsDesktopFolder(loaded.Items(1)));
}

TEST(PIDLList, DamagedStreamsLoadWhatCameBeforeTheDamage)
{
    const std::string good = std::string("\x06\x00\x00\x00", 4) + item("ab") + kEnd;
    struct Case {
        const char* what;
        std::string bytes;
        int loaded;
    };
    const Case cases[] = {
        {"a count far beyond the bytes", std::string("\xFF\xFF\xFF\x7F", 4) + good, 0},
        {"a negative count", std::string("\xFF\xFF\xFF\xFF", 4) + good, 0},
        {"a size past the end",
         std::string("\x02\x00\x00\x00", 4) + good + std::string("\x40\x00\x00\x00", 4), 1},
        {"an item running past its list",
         std::string("\x01\x00\x00\x00\x04\x00\x00\x00\x09\x00\x00\x00", 12), 0},
        {"no terminator", std::string("\x01\x00\x00\x00\x04\x00\x00\x00\x04\x00xy", 12), 0},
        {"a count of one", std::string("\x01\x00\x00\x00\x04\x00\x00\x00\x01\x00\x00\x00", 12), 0},
        {"cut in the middle", std::string("\x02\x00\x00\x00", 4) + good + good.substr(0, 5), 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fw::TMemoryStream stream;
        stream.WriteBuffer(c.bytes.data(), static_cast<int32_t>(c.bytes.size()));
        stream.SetPosition(0);
        TLqCommonPIDLList list;
        EXPECT_FALSE(list.LoadFromStream(&stream));
        EXPECT_EQ(list.Count(), c.loaded);
    }
}

TEST(PIDLManager, StreamFormOfOneList)
{
    TLqCommonPIDLManager manager;
    fw::TMemoryStream stream;
    manager.SaveToStream(&stream, nullptr);
    EXPECT_EQ(stream.Size(), 4);
    stream.SetPosition(0);
    EXPECT_EQ(manager.LoadFromStream(&stream), nullptr);
    EXPECT_EQ(manager.LoadFromStream(nullptr), nullptr);
}
