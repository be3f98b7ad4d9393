// TList, TObjectList and TThreadList.

#include "framework/classes.h"
#include "qstring_printer.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

using namespace fw;

namespace {

// Records what the list tells it.
class TWatchedList : public TList {
public:
    ~TWatchedList() override { Clear(); }
    std::vector<std::pair<intptr_t, TListNotification>> heard;

protected:
    void Notify(void* item, TListNotification action) override
    {
        heard.emplace_back(reinterpret_cast<intptr_t>(item), action);
    }
};

void* item(intptr_t n)
{
    return reinterpret_cast<void*>(n);
}

std::vector<intptr_t> contents(const TList& list)
{
    std::vector<intptr_t> out;
    for (int i = 0; i < list.Count(); ++i)
        out.push_back(reinterpret_cast<intptr_t>(list.Items(i)));
    return out;
}

int g_freed = 0;

class TCounted : public TObject {
public:
    ~TCounted() override { ++g_freed; }
};

}

TEST(Lists, EditsKeepOrderAndTellNotify)
{
    TWatchedList list;
    list.Add(item(1));
    list.Add(item(3));
    list.Insert(1, item(2));
    list.Add(nullptr); // nil items come and go untold
    EXPECT_EQ(contents(list), (std::vector<intptr_t>{1, 2, 3, 0}));
    list.Exchange(0, 2);
    list.Move(0, 1);
    EXPECT_EQ(contents(list), (std::vector<intptr_t>{2, 3, 1, 0}));
    EXPECT_EQ(list.IndexOf(item(1)), 2);
    EXPECT_EQ(list.IndexOf(item(9)), -1);
    list.Pack();
    EXPECT_EQ(list.Count(), 3);
    EXPECT_EQ(list.Extract(item(3)), item(3));
    EXPECT_EQ(list.Remove(item(2)), 0);
    list.SetItems(0, item(4));
    EXPECT_EQ(contents(list), (std::vector<intptr_t>{4}));
    list.Clear();
    EXPECT_EQ(list.heard, (std::vector<std::pair<intptr_t, TListNotification>>{{1, lnAdded},
                                                                               {3, lnAdded},
                                                                               {2, lnAdded},
                                                                               {3, lnExtracted},
                                                                               {2, lnDeleted},
                                                                               {1, lnDeleted},
                                                                               {4, lnAdded},
                                                                               {4, lnDeleted}}));
}

TEST(Lists, IndicesOutsideTheListRaiseWithTheIndex)
{
    TList list;
    list.Add(item(1));
    struct Row {
        const char* what;
        std::function<void()> call;
        const char* message;
    };
    const Row rows[] = {
        {"Items", [&] { list.Items(1); }, "List index out of bounds (1)"},
        {"Items -1", [&] { list.Items(-1); }, "List index out of bounds (-1)"},
        {"SetItems", [&] { list.SetItems(5, nullptr); }, "List index out of bounds (5)"},
        {"Delete", [&] { list.Delete(1); }, "List index out of bounds (1)"},
        {"Insert", [&] { list.Insert(2, nullptr); }, "List index out of bounds (2)"},
        {"Exchange", [&] { list.Exchange(0, 3); }, "List index out of bounds (3)"},
        {"Move", [&] { list.Move(-2, 0); }, "List index out of bounds (-2)"},
        {"SetCount", [&] { list.SetCount(-1); }, "List count out of bounds (-1)"},
        {"SetCapacity", [&] { list.SetCapacity(0); }, "List capacity out of bounds (0)"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        try {
            row.call();
            ADD_FAILURE() << "no error";
        } catch (const EListError& error) {
            EXPECT_EQ(error.Message(), QString::fromUtf8(row.message));
        }
        EXPECT_EQ(contents(list), (std::vector<intptr_t>{1})); // unchanged
    }
    TList empty;
    EXPECT_THROW(empty.First(), EListError);
    EXPECT_THROW(empty.Last(), EListError);
}

TEST(Lists, SortKeepsEqualItemsInOrder)
{
    TList list;
    for (const intptr_t n : {31, 12, 22, 11, 32, 21})
        list.Add(item(n));
    // By tens only: 12 before 11, as they were added.
    list.Sort([](void* a, void* b) {
        return static_cast<int>(reinterpret_cast<intptr_t>(a) / 10 -
                                reinterpret_cast<intptr_t>(b) / 10);
    });
    EXPECT_EQ(contents(list), (std::vector<intptr_t>{12, 11, 22, 21, 31, 32}));
}

TEST(Lists, ObjectListFreesWhatItOwns)
{
    g_freed = 0;
    {
        TObjectList list;
        auto* kept = new TCounted;
        list.Add(new TCounted);
        list.Add(kept);
        list.Add(new TCounted);
        list.Delete(0);
        EXPECT_EQ(g_freed, 1);
        EXPECT_EQ(list.Extract(kept), kept); // taken out, not freed
        EXPECT_EQ(g_freed, 1);
        Free(kept);
        list.SetItems(0, new TCounted); // the replaced object goes
        EXPECT_EQ(g_freed, 3);
        list.Add(new TCounted);
    }
    EXPECT_EQ(g_freed, 5); // the destructor frees the rest
    TObjectList borrowed(false);
    TCounted object;
    borrowed.Add(&object);
    borrowed.Clear();
    EXPECT_EQ(g_freed, 5);
}

TEST(Lists, ThreadListGuardsItsListAndItsDuplicates)
{
    TThreadList list;
    std::vector<std::thread> threads;
    for (intptr_t t = 0; t < 4; ++t) {
        threads.emplace_back([&list, t] {
            for (intptr_t i = 1; i <= 100; ++i)
                list.Add(item(t * 1000 + i));
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    list.Add(item(1)); // there already: ignored
    EXPECT_EQ(list.LockList()->Count(), 400);
    list.UnlockList();

    list.SetDuplicates(dupError);
    EXPECT_THROW(list.Add(item(1)), EListError);
    list.SetDuplicates(dupAccept);
    list.Add(item(1));
    list.Remove(item(1));
    TList* locked = list.LockList();
    EXPECT_EQ(locked->Count(), 400);
    list.Clear(); // the lock may be taken again by its holder
    EXPECT_EQ(locked->Count(), 0);
    list.UnlockList();
}
