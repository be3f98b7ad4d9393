#include "osmark/gui_msgs.h"
#include "osmark/gui_services.h"
#include "osmark/memory.h"
#include "osmark/testing.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

namespace {

constexpr const char* kMissing = "?????";

TEST(GUIMsg, BuiltInTexts)
{
    struct Row {
        int32_t id;
        const char* text;
    };
    const Row rows[] = {
        {-1, "insufficient memory"}, {-4, "required argument missing"}, {-12, "object not found"},
        {-23, "buffer overflow"},    {-40, "unknown error"},            {-41, kMissing},
        {-400, "Error"},             {-403, "error code"},              {-411, "No"},
        {-412, kMissing},            {-500, "Unknown"},                 {-501, kMissing},
        {-512, "Shift"},             {-513, "Shft"},                    {-528, "Capital lock"},
        {-529, "Caps lock"},         {-603, "Wheel down"},              {-604, kMissing},
        {-700, "Network"},           {-702, "Server"},                  {-1000, "Unable to find external class"},
        {-1104, "Delete"},           {-1105, "Select All"},             {-999, kMissing},
        {0, kMissing},               {1, kMissing},                     {INT32_MIN, kMissing},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.id);
        EXPECT_STREQ(GUIMsg(row.id), row.text);
    }
}

TEST(GUIMsg, HasOneHundredAndSixtyFiveBuiltInTexts)
{
    int count = 0;
    for (int32_t id = -2000; id <= 0; ++id) {
        if (std::strcmp(GUIMsg(id), kMissing) != 0)
            ++count;
    }
    EXPECT_EQ(count, 165);
}

// Ids below the built-in texts, so that the other tests leave the message offset alone.
TEST(SetGUIMsg, AddsReplacesAndKeepsTheOrder)
{
    const int32_t ids[] = {-10010, -10005, -10007, -10001, -10009};
    for (int32_t id : ids)
        ASSERT_EQ(SetGUIMsg(id, std::to_string(id).c_str()), 1);
    for (int32_t id : ids)
        EXPECT_EQ(std::string(GUIMsg(id)), std::to_string(id)) << "found by halving search";
    EXPECT_STREQ(GUIMsg(-10006), kMissing);

    const char* old_text = GUIMsg(-10007);
    ASSERT_EQ(SetGUIMsg(-10007, "again"), 1);
    EXPECT_STREQ(GUIMsg(-10007), "again");
    EXPECT_NE(GUIMsg(-10007), old_text) << "a copy of its own";
    ASSERT_EQ(SetGUIMsg(-10007, nullptr), 1);
    EXPECT_STREQ(GUIMsg(-10007), "");

    char mutable_text[] = "mine";
    SetGUIMsg(-10011, mutable_text);
    mutable_text[0] = 'x';
    EXPECT_STREQ(GUIMsg(-10011), "mine");
}

TEST(SetGUIMsg, OffsetStaysAboveEveryId)
{
    EXPECT_EQ(GetGUIMsgOffset(), 1) << "only negative ids so far";
    SetGUIMsg(-5000, "negative");
    SetGUIMsg(0, "zero");
    EXPECT_EQ(GetGUIMsgOffset(), 1);
    SetGUIMsg(5000, "x");
    EXPECT_EQ(GetGUIMsgOffset(), 5001);
    SetGUIMsg(20, "lower");
    EXPECT_EQ(GetGUIMsgOffset(), 5001);
    SetGUIMsg(INT32_MAX, "last");
    EXPECT_EQ(GetGUIMsgOffset(), INT32_MAX) << "no overflow past the largest id";
}

OsmarkGuiCounters gui_counters()
{
    OsmarkGuiCounters counters{};
    osmark_testing_gui_counters(&counters);
    return counters;
}

TEST(SetGUIMsg, TellsTheGuiOncePerChangeOrOncePerBatch)
{
    struct Row {
        const char* what;
        void (*change)();
        uint32_t told;
    };
    const Row rows[] = {
        {"one set", [] { SetGUIMsg(-20001, "a"); }, 1},
        {"two sets", [] { SetGUIMsg(-20001, "b"); SetGUIMsg(-20002, "c"); }, 2},
        {"a batch of three",
         [] {
             StartSetGUIMsg();
             SetGUIMsg(-20001, "d");
             SetGUIMsg(-20003, "e");
             SetGUIMsg(-20004, "f");
             EndSetGUIMsg();
         },
         1},
        {"batches do not nest",
         [] {
             StartSetGUIMsg();
             StartSetGUIMsg();
             SetGUIMsg(-20001, "g");
             EndSetGUIMsg();
             EndSetGUIMsg();
         },
         1},
        {"an empty batch still tells", [] { StartSetGUIMsg(); EndSetGUIMsg(); }, 1},
        {"closing without a batch", [] { EndSetGUIMsg(); }, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const OsmarkGuiCounters before = gui_counters();
        row.change();
        const OsmarkGuiCounters after = gui_counters();
        EXPECT_EQ(after.broadcast_gadget_change - before.broadcast_gadget_change, row.told);
        EXPECT_EQ(after.refresh_all_windows - before.refresh_all_windows, row.told);
        if (row.told != 0) {
            EXPECT_EQ(after.last_gadget_change, static_cast<uint32_t>(GadgetChangeGUIMsgs));
        }
    }
}

TEST(SetGUIMsg, FailingAllocationKeepsTheCatalogueAsItWas)
{
    ASSERT_EQ(SetGUIMsg(-30001, "kept"), 1);
    uint32_t live_before = 0;
    osmark_testing_allocation_counts(&live_before, nullptr);
    const OsmarkGuiCounters before = gui_counters();

    struct Row {
        const char* what;
        uint32_t successes;
        int32_t id;
    };
    const Row rows[] = {
        {"the copy of a replacement", 0, -30001},
        {"the copy for a new id", 0, -30002},
        {"the entry of a new id", 1, -30002},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        osmark_testing_fail_allocations(row.successes, 1);
        EXPECT_EQ(SetGUIMsg(row.id, "new"), 0);
        osmark_testing_fail_allocations(0, 0);
    }
    EXPECT_STREQ(GUIMsg(-30001), "kept");
    EXPECT_STREQ(GUIMsg(-30002), kMissing);
    uint32_t live_after = 0;
    osmark_testing_allocation_counts(&live_after, nullptr);
    EXPECT_EQ(live_after, live_before) << "nothing leaked";
    EXPECT_EQ(gui_counters().broadcast_gadget_change, before.broadcast_gadget_change)
        << "a change that did not happen is not told";
}

}
