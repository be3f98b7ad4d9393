// Raster ports: allocation, the port and handler lists, the state setters and getters,
// the attribute tags, the default port and the module's start-up and clean-up.

#include "graphics_internal.h"

#include "core/runtime/debug_flags.h"
#include "osmark/exit_list.h"
#include "osmark/fonts.h"
#include "osmark/format.h"
#include "osmark/gui_services.h"
#include "osmark/library.h"
#include "osmark/windows.h"
#include "platform/user.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {

using namespace osmark::graphics;

// A port lives in one block behind its list node; the handler's bytes follow the port.
struct PortNode {
    PortNode* succ;
    PortNode* pred;
    RastPort* port;
};

struct HandlerNode {
    HandlerNode* succ;
    HandlerNode* pred;
    RastPortHandler* handler;
};

PortNode* g_ports = nullptr;       // newest first
HandlerNode* g_handlers = nullptr; // newest first
Window* g_default_window = nullptr;

PortNode* node_of(RastPort* rp)
{
    for (PortNode* node = g_ports; node != nullptr; node = node->succ) {
        if (node->port == rp)
            return node;
    }
    return nullptr;
}

template <typename Node>
void link_head(Node*& head, Node* node)
{
    node->pred = nullptr;
    node->succ = head;
    if (head != nullptr)
        head->pred = node;
    head = node;
}

template <typename Node>
void unlink(Node*& head, Node* node)
{
    if (node->pred != nullptr)
        node->pred->succ = node->succ;
    else
        head = node->succ;
    if (node->succ != nullptr)
        node->succ->pred = node->pred;
    node->succ = node->pred = nullptr;
}

uintptr_t default_back_fill(Hook* /*hook*/, void* object, void* message)
{
    auto* rp = static_cast<RastPort*>(object);
    const auto* box = static_cast<const RectangleBox*>(message);
    const APenData pen{0, 1, 0};
    SetAPenData(rp, &pen);
    SetDrMd(rp, DrawModeTransparent);
    RectFill(rp, box, ColourSystem(1));
    return 0;
}

Hook g_default_back_fill = {{nullptr, nullptr}, default_back_fill, nullptr, 0};

bool handler_listed(const RastPortHandler* handler)
{
    for (HandlerNode* node = g_handlers; node != nullptr; node = node->succ) {
        if (node->handler == handler)
            return true;
    }
    return false;
}

void clean_up_rast_ports()
{
    if (osmark::debug_flag_set(DebugRastPorts) && g_ports != nullptr) {
        long count = 0;
        for (PortNode* node = g_ports; node != nullptr; node = node->succ)
            ++count;
        char text[80];
        std::snprintf(text, sizeof text, "There are still %ld allocated RastPorts", count);
        MessageBoxA(nullptr, text, "Information", MB_OK);
    }
    while (g_ports != nullptr)
        FreeRastPort(g_ports->port);
    while (g_handlers != nullptr) {
        HandlerNode* node = g_handlers;
        unlink(g_handlers, node);
        if (node->handler->rph_Hook != nullptr)
            CallHookA(node->handler->rph_Hook, node->handler,
                      reinterpret_cast<void*>(uintptr_t{RPHM_Unload}));
        FreeVec(node);
    }
}

void close_default_rast_port()
{
    if (g_default_window != nullptr) {
        CloseWindow_(g_default_window);
        g_default_window = nullptr;
    }
}

template <typename Op, typename... Args>
void run(RastPort* rp, Op RastPortOps::*slot, Args... args)
{
    if (rp->rp_Ops != nullptr && rp->rp_Ops->*slot != nullptr)
        (rp->rp_Ops->*slot)(rp, args...);
}

}

namespace osmark::graphics {

RectangleBox whole_port(const RastPort* rp)
{
    return {-rp->rp_OriginX, -rp->rp_OriginY, rp->rp_Width - rp->rp_OriginX,
            rp->rp_Height - rp->rp_OriginY};
}

int32_t font_y_size(const RastPort* rp)
{
    return rp->rp_Font != nullptr ? rp->rp_Font->tf_YSize : 0;
}

void apply_clip(RastPort* rp)
{
    if (rp->rp_Ops == nullptr || rp->rp_Ops->rpo_ClipChanged == nullptr)
        return;
    const bool shifted = rp->rp_OriginX != 0 || rp->rp_OriginY != 0;
    if (shifted)
        OffsetRegion(rp->rp_ClipRegion, rp->rp_OriginX, rp->rp_OriginY);
    rp->rp_Ops->rpo_ClipChanged(rp);
    if (shifted)
        OffsetRegion(rp->rp_ClipRegion, -rp->rp_OriginX, -rp->rp_OriginY);
}

}

extern "C" {

OSMARK_API RastPort* AllocRastPort(RastPortHandler* handler, HDC os_handle, uint32_t extra) noexcept
{
    if (handler == nullptr)
        return nullptr;
    if (handler == RastPortHandlerOSWindow)
        return __CreateOSWindowRastPort(os_handle);
    if (!handler_listed(handler)) {
        auto* node = static_cast<HandlerNode*>(AllocVec(sizeof(HandlerNode)));
        if (node == nullptr)
            return nullptr;
        node->handler = handler;
        link_head(g_handlers, node);
        if (handler->rph_Hook != nullptr &&
            CallHookA(handler->rph_Hook, handler,
                      reinterpret_cast<void*>(uintptr_t{RPHM_FirstPort})) != 0) {
            unlink(g_handlers, node);
            FreeVec(node);
            return nullptr;
        }
    }
    if (extra > 0xFFFFu)
        return nullptr;
    auto* node = static_cast<PortNode*>(
        AllocVec(static_cast<uint32_t>(sizeof(PortNode) + sizeof(RastPort) + extra)));
    if (node == nullptr)
        return nullptr;
    std::memset(node, 0, sizeof(PortNode) + sizeof(RastPort) + extra);
    auto* rp = reinterpret_cast<RastPort*>(node + 1);
    node->port = rp;
    rp->rp_APen = 0;
    rp->rp_BPen = ColourSystem(5);
    rp->rp_DrMd = DrawModeOpaque;
    rp->rp_PenWidth = 1;
    rp->rp_BltCode = 0xCC0020u;
    rp->rp_LinePtrn = 0xFFFFFFFFu;
    rp->rp_OSHandle = os_handle;
    rp->rp_Handler = handler;
    rp->rp_Ops = handler->rph_Ops;
    rp->rp_ClipRegion = NewRegion();
    rp->rp_Font = GetSystemFont();
    if (rp->rp_Font != nullptr)
        ++rp->rp_Font->tf_UseCount;
    InstallRastPortHook(rp, 0);
    link_head(g_ports, node);
    if (rp->rp_Ops != nullptr && rp->rp_Ops->rpo_Open != nullptr) {
        int32_t accept = 1;
        rp->rp_Ops->rpo_Open(rp, &accept);
        if (accept == 0) {
            FreeRastPort(rp);
            return nullptr;
        }
    }
    return rp;
}

OSMARK_API void FreeRastPort(RastPort* rp) noexcept
{
    if (rp == nullptr)
        return;
    run(rp, &RastPortOps::rpo_Close);
    if (IsOpenFont(rp->rp_Font) != 0)
        CloseFont(rp->rp_Font);
    rp->rp_Font = nullptr;
    DisposeRegion(rp->rp_ClipRegion);
    rp->rp_ClipRegion = nullptr;
    if (PortNode* node = node_of(rp); node != nullptr) {
        unlink(g_ports, node);
        FreeVec(node);
    }
}

OSMARK_API RastPort* __GetRastPort(void) noexcept
{
    if (g_default_window == nullptr)
        g_default_window = OpenWindowTagList(nullptr);
    return g_default_window != nullptr ? g_default_window->win_RPort : nullptr;
}

OSMARK_API HDC GetRPHandle(const RastPort* rp) noexcept
{
    return rp != nullptr ? rp->rp_OSHandle : nullptr;
}

OSMARK_API void SetAPen(RastPort* rp, Colour colour) noexcept
{
    if (rp == nullptr || rp->rp_APen == colour)
        return;
    rp->rp_APen = colour;
    run(rp, &RastPortOps::rpo_PenChanged);
}

OSMARK_API void SetAPenData(RastPort* rp, const APenData* data) noexcept
{
    if (rp == nullptr || data == nullptr)
        return;
    if (rp->rp_APen == data->apd_Colour && rp->rp_PenWidth == data->apd_Width &&
        rp->rp_APenStyle == data->apd_Style)
        return;
    rp->rp_APen = data->apd_Colour;
    rp->rp_PenWidth = data->apd_Width;
    rp->rp_APenStyle = data->apd_Style;
    run(rp, &RastPortOps::rpo_PenChanged);
}

OSMARK_API void GetAPenData(const RastPort* rp, APenData* data) noexcept
{
    if (rp == nullptr || data == nullptr)
        return;
    data->apd_Colour = rp->rp_APen;
    data->apd_Width = rp->rp_PenWidth;
    data->apd_Style = rp->rp_APenStyle;
}

OSMARK_API Colour GetAPen(const RastPort* rp) noexcept
{
    return rp != nullptr ? rp->rp_APen : ColourNone;
}

OSMARK_API void SetBPen(RastPort* rp, Colour colour) noexcept
{
    if (rp == nullptr || rp->rp_BPen == colour)
        return;
    rp->rp_BPen = colour;
    run(rp, &RastPortOps::rpo_BrushChanged);
}

OSMARK_API void SetBPenData(RastPort* rp, const BPenData* data) noexcept
{
    if (rp == nullptr || data == nullptr)
        return;
    if (rp->rp_BPen == data->bpd_Colour && rp->rp_BPenStyle == data->bpd_Style)
        return;
    rp->rp_BPen = data->bpd_Colour;
    rp->rp_BPenStyle = data->bpd_Style;
    run(rp, &RastPortOps::rpo_BrushChanged);
}

OSMARK_API Colour GetBPen(const RastPort* rp) noexcept
{
    return rp != nullptr ? rp->rp_BPen : ColourNone;
}

OSMARK_API void GetBPenData(const RastPort* rp, BPenData* data) noexcept
{
    if (rp == nullptr || data == nullptr)
        return;
    data->bpd_Colour = rp->rp_BPen;
    data->bpd_Style = rp->rp_BPenStyle;
}

OSMARK_API void SetPenWidth(RastPort* rp, uint16_t width) noexcept
{
    if (rp == nullptr || rp->rp_PenWidth == width)
        return;
    rp->rp_PenWidth = width;
    run(rp, &RastPortOps::rpo_PenChanged);
}

OSMARK_API uint16_t GetPenWidth(const RastPort* rp) noexcept
{
    return rp != nullptr ? rp->rp_PenWidth : 0;
}

OSMARK_API void SetDrMd(RastPort* rp, int32_t mode) noexcept
{
    if (rp == nullptr || rp->rp_DrMd == mode)
        return;
    rp->rp_DrMd = mode;
    run(rp, &RastPortOps::rpo_ModeChanged);
}

OSMARK_API void SetABDrMd(RastPort* rp, Colour a_pen, Colour b_pen, int32_t mode) noexcept
{
    SetAPen(rp, a_pen);
    SetBPen(rp, b_pen);
    SetDrMd(rp, mode);
}

OSMARK_API void SetAfPt(RastPort* rp, BitMap* pattern) noexcept
{
    if (rp == nullptr)
        return;
    rp->rp_AreaPtrn = pattern;
    run(rp, &RastPortOps::rpo_BrushChanged);
}

OSMARK_API BitMap* GetAfPt(const RastPort* rp) noexcept
{
    return rp != nullptr ? rp->rp_AreaPtrn : nullptr;
}

OSMARK_API void SetDrPt(RastPort* rp, uint32_t pattern) noexcept
{
    if (rp == nullptr)
        return;
    rp->rp_LinePtrn = pattern;
    rp->rp_LinePtrnPos = 0;
}

OSMARK_API uint32_t GetDrPt(const RastPort* rp) noexcept
{
    return rp != nullptr ? rp->rp_LinePtrn : 0xFFFFFFFFu;
}

OSMARK_API void SetRastPortOrigin(RastPort* rp, int32_t x, int32_t y) noexcept
{
    if (rp == nullptr)
        return;
    rp->rp_OriginX = x;
    rp->rp_OriginY = y;
}

OSMARK_API void GetRastPortOrigin(const RastPort* rp, int32_t* x, int32_t* y) noexcept
{
    if (x != nullptr)
        *x = rp != nullptr ? rp->rp_OriginX : 0;
    if (y != nullptr)
        *y = rp != nullptr ? rp->rp_OriginY : 0;
}

OSMARK_API void GetRastPortSize(const RastPort* rp, int32_t* width, int32_t* height) noexcept
{
    if (width != nullptr)
        *width = rp != nullptr ? rp->rp_Width : 0;
    if (height != nullptr)
        *height = rp != nullptr ? rp->rp_Height : 0;
}

OSMARK_API void SetRPLock(RastPort* rp, int32_t lock) noexcept
{
    if (rp != nullptr)
        rp->rp_Lock = lock;
}

OSMARK_API int32_t GetRPLock(const RastPort* rp) noexcept
{
    return rp != nullptr ? rp->rp_Lock : 0;
}

OSMARK_API void SetFont(RastPort* rp, TextFont* font) noexcept
{
    // Only open fonts of the font list are taken.
    if (rp == nullptr || font == nullptr || font == rp->rp_Font || IsOpenFont(font) == 0)
        return;
    if (IsOpenFont(rp->rp_Font) != 0)
        --rp->rp_Font->tf_UseCount;
    rp->rp_Font = font;
    ++font->tf_UseCount;
    run(rp, &RastPortOps::rpo_FontChanged);
}

OSMARK_API TextFont* GetFont(const RastPort* rp) noexcept
{
    return rp != nullptr ? rp->rp_Font : nullptr;
}

OSMARK_API uintptr_t InstallRastPortHook(RastPort* rp, uintptr_t hook) noexcept
{
    if (rp == nullptr)
        return 0;
    Hook* previous = rp->rp_BackFillHook;
    if (hook == 0)
        rp->rp_BackFillHook = &g_default_back_fill;
    else if (hook == 1)
        rp->rp_BackFillHook = nullptr;
    else
        rp->rp_BackFillHook = reinterpret_cast<Hook*>(hook);
    if (previous == nullptr)
        return 1;
    if (previous == &g_default_back_fill)
        return 0;
    return reinterpret_cast<uintptr_t>(previous);
}

OSMARK_API int32_t SetRPAttrsA(RastPort* rp, const TagItem* tags) noexcept
{
    if (rp == nullptr)
        return 0;
    int32_t applied = 0;
    auto* cursor = const_cast<TagItem*>(tags);
    while (TagItem* tag = NextTagItem(&cursor)) {
        const uintptr_t data = tag->ti_Data;
        switch (tag->ti_Tag) {
        case RPTAG_Font:
            SetFont(rp, reinterpret_cast<TextFont*>(data));
            break;
        case RPTAG_APen:
            SetAPen(rp, static_cast<Colour>(data));
            break;
        case RPTAG_BPen:
            SetBPen(rp, static_cast<Colour>(data));
            break;
        case RPTAG_DrMd:
            SetDrMd(rp, static_cast<int32_t>(data));
            break;
        case RPTAG_LinePtrn:
            SetDrPt(rp, static_cast<uint32_t>(data));
            break;
        case RPTAG_AreaPtrn:
            SetAfPt(rp, reinterpret_cast<BitMap*>(data));
            break;
        case RPTAG_PenWidth:
            SetPenWidth(rp, static_cast<uint16_t>(data));
            break;
        case RPTAG_Origin: {
            const auto* pair = reinterpret_cast<const int32_t*>(data);
            SetRastPortOrigin(rp, pair != nullptr ? pair[0] : 0, pair != nullptr ? pair[1] : 0);
            break;
        }
        case RPTAG_Lock:
            SetRPLock(rp, data != 0 ? 1 : 0);
            break;
        default:
            continue;
        }
        ++applied;
    }
    return applied;
}

OSMARK_API int32_t SetRPAttrs(RastPort* rp, ...) noexcept
{
    // The tags follow inline as tag, data pairs up to TagEnd.
    va_list arguments;
    va_start(arguments, rp);
    TagItem tags[16];
    int32_t applied = 0;
    bool done = false;
    while (!done) {
        size_t count = 0;
        while (count < 15) {
            const auto tag = static_cast<Tag>(va_arg(arguments, uintptr_t));
            if (tag == TagEnd) {
                done = true;
                break;
            }
            tags[count].ti_Tag = tag;
            tags[count].ti_Data = va_arg(arguments, uintptr_t);
            ++count;
        }
        tags[count].ti_Tag = TagEnd;
        tags[count].ti_Data = 0;
        applied += SetRPAttrsA(rp, tags);
    }
    va_end(arguments);
    return applied;
}

OSMARK_API int32_t GetRPAttrsA(RastPort* rp, TagItem* tags) noexcept
{
    if (rp == nullptr)
        return 0;
    int32_t answered = 0;
    TagItem* cursor = tags;
    while (TagItem* tag = NextTagItem(&cursor)) {
        if (tag->ti_Data == 0)
            continue;
        switch (tag->ti_Tag) {
        case RPTAG_Font:
            tag->ti_Data = reinterpret_cast<uintptr_t>(GetFont(rp));
            break;
        case RPTAG_APen:
            tag->ti_Data = GetAPen(rp);
            break;
        case RPTAG_BPen:
            tag->ti_Data = GetBPen(rp);
            break;
        case RPTAG_DrMd:
            tag->ti_Data = static_cast<uintptr_t>(static_cast<intptr_t>(GetDrMd(rp)));
            break;
        case RPTAG_LinePtrn:
            tag->ti_Data = GetDrPt(rp);
            break;
        case RPTAG_AreaPtrn:
            tag->ti_Data = reinterpret_cast<uintptr_t>(GetAfPt(rp));
            break;
        case RPTAG_PenWidth:
            tag->ti_Data = static_cast<uintptr_t>(
                static_cast<intptr_t>(static_cast<int16_t>(GetPenWidth(rp))));
            break;
        case RPTAG_Origin: {
            auto* pair = reinterpret_cast<int32_t*>(tag->ti_Data);
            GetRastPortOrigin(rp, &pair[0], &pair[1]);
            break;
        }
        case RPTAG_Size: {
            auto* pair = reinterpret_cast<int32_t*>(tag->ti_Data);
            GetRastPortSize(rp, &pair[0], &pair[1]);
            break;
        }
        case RPTAG_Lock:
            tag->ti_Data = static_cast<uintptr_t>(static_cast<intptr_t>(GetRPLock(rp)));
            break;
        case RPTAG_ClipArea:
            GetClipArea(rp, reinterpret_cast<RectangleBox*>(tag->ti_Data));
            break;
        default:
            continue;
        }
        ++answered;
    }
    return answered;
}

OSMARK_API int32_t GetRPAttrs(RastPort* rp, ...) noexcept
{
    // Inline pairs are the caller's own words: answers go back through a copy, so
    // only the pointer-carrying tags (origin, size, clip area) reach the caller.
    va_list arguments;
    va_start(arguments, rp);
    int32_t answered = 0;
    for (;;) {
        const auto tag = static_cast<Tag>(va_arg(arguments, uintptr_t));
        if (tag == TagEnd)
            break;
        TagItem one[2] = {{tag, va_arg(arguments, uintptr_t)}, {TagEnd, 0}};
        answered += GetRPAttrsA(rp, one);
    }
    va_end(arguments);
    return answered;
}

OSMARK_API void WalkRastPorts(RastPortHandler* handler, RastPortWalkFunc func,
                              uintptr_t value) noexcept
{
    if (func == nullptr)
        return;
    for (PortNode* node = g_ports; node != nullptr;) {
        PortNode* next = node->succ; // the function may free the port
        if (handler == nullptr || node->port->rp_Handler == handler)
            func(node->port, value);
        node = next;
    }
}

OSMARK_API void RefreshRastPortPens(void) noexcept
{
    for (HandlerNode* node = g_handlers; node != nullptr; node = node->succ) {
        if (node->handler->rph_Hook == nullptr)
            continue;
        CallHookA(node->handler->rph_Hook, node->handler,
                  reinterpret_cast<void*>(uintptr_t{RPHM_RebuildPens}));
        CallHookA(node->handler->rph_Hook, node->handler,
                  reinterpret_cast<void*>(uintptr_t{RPHM_RebuildBrushes}));
    }
}

OSMARK_API void FlushRastPort(RastPort* rp) noexcept
{
    if (rp != nullptr)
        run(rp, &RastPortOps::rpo_Flush);
}

OSMARK_API void InitialiseRastPorts(void) noexcept
{
    g_ports = nullptr;
    g_handlers = nullptr;
    AddExitProc(&LibraryExitList, clean_up_rast_ports);
    __GetRastPort();
    AddExitProc(&LibraryExitList, close_default_rast_port);
}
}
