// Raster ports through a recording handler: the origin, the setters' suppression of
// repeated values, the lock, the attribute tags, the fallbacks and the handler list.

#include "osmark/fonts.h"
#include "osmark/raster_ports.h"
#include "osmark/regions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::string> g_calls;

void record(const std::string& call)
{
    g_calls.push_back(call);
}

std::string xy(const char* name, int32_t x, int32_t y)
{
    return std::string(name) + "(" + std::to_string(x) + "," + std::to_string(y) + ")";
}

RastPortOps recording_ops()
{
    RastPortOps ops{};
    ops.rpo_Size = sizeof(RastPortOps);
    ops.rpo_PenChanged = [](RastPort*) { record("pen"); };
    ops.rpo_BrushChanged = [](RastPort*) { record("brush"); };
    ops.rpo_ModeChanged = [](RastPort*) { record("mode"); };
    ops.rpo_ClipChanged = [](RastPort*) { record("clip"); };
    ops.rpo_Move = [](RastPort*, int32_t x, int32_t y) { record(xy("move", x, y)); };
    ops.rpo_Draw = [](RastPort*, int32_t x, int32_t y) { record(xy("draw", x, y)); };
    ops.rpo_ReadPixel = [](RastPort*, int32_t x, int32_t y, Colour* result) {
        *result = static_cast<Colour>(x + y);
    };
    ops.rpo_FillRectangle = [](RastPort*, int32_t x0, int32_t y0, int32_t x1, int32_t y1, Colour) {
        record(xy("fill", x0, y0) + xy("", x1, y1));
    };
    ops.rpo_RoundRectangle = [](RastPort*, int32_t fill, int32_t, int32_t, int32_t, int32_t,
                                int32_t rx, int32_t ry) {
        record(xy(fill != 0 ? "area-round" : "round", rx, ry));
    };
    ops.rpo_Text = [](RastPort*, const char* text, int32_t length) {
        record("text " + std::string(text, length));
    };
    return ops;
}

const RastPortOps kOps = recording_ops();
RastPortHandler g_handler = {"recording", 0, nullptr, &kOps};

struct Port {
    RastPort* rp = AllocRastPort(&g_handler, nullptr, 0);
    Port() { g_calls.clear(); }
    ~Port() { FreeRastPort(rp); }
    Port(const Port&) = delete;
    Port& operator=(const Port&) = delete;
};

}

TEST(RastPort, NewPortDefaults)
{
    Port port;
    ASSERT_NE(port.rp, nullptr);
    EXPECT_EQ(GetAPen(port.rp), 0u);
    EXPECT_EQ(GetBPen(port.rp), 0x80000005u);
    EXPECT_EQ(GetDrMd(port.rp), -2);
    EXPECT_EQ(GetPenWidth(port.rp), 1);
    EXPECT_EQ(GetDrPt(port.rp), 0xFFFFFFFFu);
    EXPECT_EQ(port.rp->rp_BltCode, 0xCC0020u);
    int32_t x = -1;
    int32_t y = -1;
    GetRastPortOrigin(port.rp, &x, &y);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
    EXPECT_EQ(GetDrMd(nullptr), 0);
    EXPECT_EQ(GetAPen(nullptr), ColourNone);
}

TEST(RastPort, OriginReachesTheHandlerAndPenPositionComesBackWithout)
{
    Port port;
    SetRastPortOrigin(port.rp, 10, 20);
    Move(port.rp, 5, 5);
    int32_t pen[2] = {};
    ASSERT_EQ(GetPenPos(port.rp, pen), 1);
    EXPECT_EQ(g_calls, (std::vector<std::string>{"move(15,25)"}));
    EXPECT_EQ(pen[0], 5);
    EXPECT_EQ(pen[1], 5);
    EXPECT_EQ(GetRPPixel(port.rp, 1, 2), 33u);
}

TEST(RastPort, SettersCallTheHandlerOnlyForAChange)
{
    Port port;
    SetAPen(port.rp, 0);
    SetBPen(port.rp, 0x80000005u);
    SetDrMd(port.rp, -2);
    SetPenWidth(port.rp, 1);
    const APenData same{0, 1, 0};
    SetAPenData(port.rp, &same);
    EXPECT_TRUE(g_calls.empty());
    const APenData wider{0x123456, 3, 1};
    SetAPenData(port.rp, &wider);
    EXPECT_EQ(g_calls, (std::vector<std::string>{"pen"}));
    // The area pattern always reaches the handler; the line pattern never.
    g_calls.clear();
    SetAfPt(port.rp, nullptr);
    SetAfPt(port.rp, nullptr);
    SetDrPt(port.rp, 0xF0F0F0F0u);
    EXPECT_EQ(g_calls, (std::vector<std::string>{"brush", "brush"}));
    SetABDrMd(port.rp, 1, 2, -1);
    EXPECT_EQ(g_calls, (std::vector<std::string>{"brush", "brush", "pen", "brush", "mode"}));
}

TEST(RastPort, LockStopsDrawingButNotReading)
{
    Port port;
    Move(port.rp, 1, 1);
    g_calls.clear();
    SetRPLock(port.rp, 1);
    Draw(port.rp, 7, 7);
    Move(port.rp, 3, 3);
    EXPECT_TRUE(g_calls.empty());
    int32_t pen[2] = {};
    GetPenPos(port.rp, pen);
    EXPECT_EQ(pen[0], 1);
    EXPECT_EQ(GetRPPixel(port.rp, 2, 3), 5u);
}

TEST(RastPort, PolylineAndRectangleFallBackOnMoveAndDraw)
{
    Port port;
    SetRastPortOrigin(port.rp, 1, 1);
    Move(port.rp, 0, 0);
    g_calls.clear();
    const int32_t points[] = {0, 0, 4, 0, 4, 3};
    DrawPoly(port.rp, 3, points);
    EXPECT_EQ(g_calls,
              (std::vector<std::string>{"move(1,1)", "draw(5,1)", "draw(5,4)", "move(1,1)"}));
    g_calls.clear();
    const RectangleBox box{0, 0, 3, 2};
    DrawRect(port.rp, &box);
    EXPECT_EQ(g_calls, (std::vector<std::string>{"move(1,1)", "draw(1,2)", "draw(3,2)", "draw(3,1)",
                                                 "draw(1,1)", "move(1,1)"}));
}

TEST(RastPort, RoundRadiiAreCutOnlyForTheOutline)
{
    Port port;
    DrawRectRound(port.rp, 0, 0, 10, 40, 8, 8);
    AreaRectRound(port.rp, 0, 0, 10, 40, 8, 8);
    EXPECT_EQ(g_calls, (std::vector<std::string>{"round(5,8)", "area-round(8,8)"}));
}

TEST(RastPort, TextLengthsAndClearingLessTheOrigin)
{
    Port port;
    Text(port.rp, "abc\0def", -1);
    Text(port.rp, "xyz", 0);
    Text(port.rp, "xyz", 2);
    EXPECT_EQ(g_calls, (std::vector<std::string>{"text abc", "text xy"}));
    // The back-fill fills the box it is given in port coordinates, so clearing to the end
    // of the line hands it the pen position without the origin. The line is as tall as the
    // port's font (a new port takes the system font, whose size depends on the machine).
    ASSERT_NE(port.rp->rp_Font, nullptr);
    const int32_t line = port.rp->rp_Font->tf_YSize;
    port.rp->rp_Width = 50;
    port.rp->rp_Height = 30 + line;
    SetRastPortOrigin(port.rp, 10, 20);
    Move(port.rp, 5, 5);
    g_calls.clear();
    ClearScreen(port.rp);
    const auto fill = [](int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
        return "fill(" + std::to_string(x0) + "," + std::to_string(y0) + ")(" + std::to_string(x1) +
               "," + std::to_string(y1) + ")";
    };
    ASSERT_GE(g_calls.size(), 2u);
    EXPECT_EQ(
        std::vector<std::string>(g_calls.end() - 2, g_calls.end()),
        (std::vector<std::string>{fill(15, 25, 50, 25 + line), fill(0, 25 + line, 50, 30 + line)}));
}

TEST(RastPort, BackFillHookCoding)
{
    Port port;
    EXPECT_EQ(InstallRastPortHook(port.rp, 1), 0u);
    EXPECT_EQ(InstallRastPortHook(port.rp, 0), 1u);
    Hook hook{};
    EXPECT_EQ(InstallRastPortHook(port.rp, reinterpret_cast<uintptr_t>(&hook)), 0u);
    EXPECT_EQ(InstallRastPortHook(port.rp, 0), reinterpret_cast<uintptr_t>(&hook));
}

TEST(RastPort, AttributeTagsSetAndAnswer)
{
    Port port;
    const int32_t origin[2] = {3, 4};
    const TagItem set[] = {
        {RPTAG_APen, 0x0000FF}, {RPTAG_Origin, reinterpret_cast<uintptr_t>(origin)},
        {RPTAG_Size, 0},        {RPTAG_PenWidth, 0x10002},
        {RPTAG_ClipArea, 0},    {0x80000077u, 1},
        {RPTAG_Lock, 5},        {TagEnd, 0}};
    EXPECT_EQ(SetRPAttrsA(port.rp, set), 4);
    EXPECT_EQ(GetPenWidth(port.rp), 2);
    EXPECT_EQ(GetRPLock(port.rp), 1);
    int32_t where[2] = {};
    TagItem get[] = {{RPTAG_APen, 1},
                     {RPTAG_Font, 0},
                     {RPTAG_Origin, reinterpret_cast<uintptr_t>(where)},
                     {RPTAG_DrMd, 1},
                     {TagEnd, 0}};
    EXPECT_EQ(GetRPAttrsA(port.rp, get), 3);
    EXPECT_EQ(get[0].ti_Data, 0x0000FFu);
    EXPECT_EQ(where[1], 4);
    EXPECT_EQ(static_cast<int32_t>(get[3].ti_Data), -2);
}

TEST(RastPort, HandlerThatRefusesIsAskedAgain)
{
    static int asked = 0;
    static Hook hook{{nullptr, nullptr},
                     [](Hook*, void*, void* message) -> uintptr_t {
                         if (reinterpret_cast<uintptr_t>(message) == RPHM_FirstPort)
                             ++asked;
                         return 1;
                     },
                     nullptr,
                     0};
    static RastPortHandler refusing = {"refusing", 0, &hook, &kOps};
    EXPECT_EQ(AllocRastPort(&refusing, nullptr, 0), nullptr);
    EXPECT_EQ(AllocRastPort(&refusing, nullptr, 0), nullptr);
    EXPECT_EQ(asked, 2);
}

TEST(RastPort, WalkVisitsThePortsOfAHandler)
{
    Port first;
    Port second;
    std::vector<RastPort*> seen;
    WalkRastPorts(
        &g_handler,
        [](RastPort* rp, uintptr_t value) {
            reinterpret_cast<std::vector<RastPort*>*>(value)->push_back(rp);
        },
        reinterpret_cast<uintptr_t>(&seen));
    EXPECT_EQ(seen, (std::vector<RastPort*>{second.rp, first.rp}));
}

TEST(RastPort, DefaultPortIsAHiddenWindowsPort)
{
    RastPort* rp = __GetRastPort();
    ASSERT_NE(rp, nullptr);
    EXPECT_EQ(__GetRastPort(), rp);
    EXPECT_NE(GetRPHandle(rp), nullptr);
    int32_t width = 0;
    int32_t height = 0;
    GetRastPortSize(rp, &width, &height);
    EXPECT_GT(width, 0);
    EXPECT_GT(height, 0);
}
