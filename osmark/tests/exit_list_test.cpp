#include "osmark/errors.h"
#include "osmark/exit_list.h"
#include "osmark/testing.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string g_trace;
ExitList g_list;

void p1() { g_trace += "1"; }
void p3() { g_trace += "3"; }
void p4() { g_trace += "4"; }
void p2() { g_trace += "2"; }
void p2_adding_p4()
{
    g_trace += "2";
    AddExitProc(&g_list, p4);
}

TEST(ExitList, RunsLastRegisteredFirst)
{
    g_trace.clear();
    g_list = {};
    AddExitProc(&g_list, p1);
    AddExitProc(&g_list, p2);
    AddExitProc(&g_list, p3);
    CallAllExitProcs(&g_list);
    EXPECT_EQ(g_trace, "321");
    EXPECT_EQ(g_list.el_Current, nullptr);
    EXPECT_EQ(g_list.el_Top, nullptr);

    // The emptied list can be used again.
    AddExitProc(&g_list, p1);
    CallAllExitProcs(&g_list);
    EXPECT_EQ(g_trace, "3211");
}

TEST(ExitList, AProcedureRegisteredWhileRunningRunsNext)
{
    g_trace.clear();
    g_list = {};
    AddExitProc(&g_list, p1);
    AddExitProc(&g_list, p2_adding_p4);
    AddExitProc(&g_list, p3);
    CallAllExitProcs(&g_list);
    EXPECT_EQ(g_trace, "3241");
}

TEST(ExitList, FailuresRegisterNothing)
{
    g_trace.clear();
    g_list = {};
    IoErr();
    AddExitProc(nullptr, p1);
    EXPECT_EQ(IoErr(), IoErrRequiredArgMissing);
    AddExitProc(&g_list, nullptr);
    EXPECT_EQ(IoErr(), IoErrRequiredArgMissing);
    osmark_testing_fail_allocations(0, 1);
    AddExitProc(&g_list, p1);
    EXPECT_EQ(IoErr(), IoErrNoMemory);
    CallAllExitProcs(&g_list);
    EXPECT_EQ(g_trace, "");
    CallAllExitProcs(nullptr);
    EXPECT_EQ(IoErr(), IoErrRequiredArgMissing);
}

}
