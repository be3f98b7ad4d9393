// The GDI table, the stock objects and the selection rules of device contexts.

#include "gdi_objects.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <unordered_map>

namespace platform::gdi {
namespace {

// GDI handles count up in steps of 4 from here and are never reused. They lie far
// above the kernel's handles, so a kernel handle passed by mistake is refused too.
constexpr uintptr_t kFirstHandle = uintptr_t{0x7A} << 32;
constexpr uintptr_t kHandleStep = 4;
// Stock objects have fixed handles just below.
constexpr uintptr_t kStockHandles = kFirstHandle - 0x1000;

constexpr int kStockCount = DEFAULT_GUI_FONT + 1;
constexpr int kDefaultBitmapSlot = kStockCount;

LOGFONTA stock_font(LONG height, LONG weight, BYTE pitch_and_family, const char* face)
{
    LOGFONTA font{};
    font.lfHeight = height;
    font.lfWeight = weight;
    font.lfPitchAndFamily = pitch_and_family;
    std::strncpy(font.lfFaceName, face, LF_FACESIZE - 1);
    return font;
}

struct GdiTable {
    std::mutex mutex;
    uintptr_t next = kFirstHandle;
    std::unordered_map<uintptr_t, std::unique_ptr<GdiObject>> objects;
    GdiObject* stock[kStockCount + 1] = {};

    GdiTable();
    void add_stock(int slot, const char* name, std::unique_ptr<GdiObject> object);
};

void GdiTable::add_stock(int slot, const char* name, std::unique_ptr<GdiObject> object)
{
    const uintptr_t value = kStockHandles + static_cast<uintptr_t>(slot) * kHandleStep;
    object->set_handle(value);
    object->make_stock(name);
    stock[slot] = object.get();
    objects.emplace(value, std::move(object));
}

GdiTable::GdiTable()
{
    struct StockBrush {
        int index;
        const char* name;
        UINT style;
        COLORREF colour;
    };
    constexpr StockBrush brushes[] = {
        {WHITE_BRUSH, "WHITE_BRUSH", BS_SOLID, RGB(255, 255, 255)},
        {LTGRAY_BRUSH, "LTGRAY_BRUSH", BS_SOLID, RGB(192, 192, 192)},
        {GRAY_BRUSH, "GRAY_BRUSH", BS_SOLID, RGB(128, 128, 128)},
        {DKGRAY_BRUSH, "DKGRAY_BRUSH", BS_SOLID, RGB(64, 64, 64)},
        {BLACK_BRUSH, "BLACK_BRUSH", BS_SOLID, RGB(0, 0, 0)},
        {NULL_BRUSH, "NULL_BRUSH", BS_NULL, RGB(0, 0, 0)},
    };
    for (const StockBrush& brush : brushes)
        add_stock(brush.index, brush.name, std::make_unique<Brush>(LOGBRUSH{brush.style, brush.colour, 0}));

    struct StockPen {
        int index;
        const char* name;
        UINT style;
        COLORREF colour;
    };
    constexpr StockPen pens[] = {
        {WHITE_PEN, "WHITE_PEN", PS_SOLID, RGB(255, 255, 255)},
        {BLACK_PEN, "BLACK_PEN", PS_SOLID, RGB(0, 0, 0)},
        {NULL_PEN, "NULL_PEN", PS_NULL, RGB(0, 0, 0)},
    };
    for (const StockPen& pen : pens)
        add_stock(pen.index, pen.name, std::make_unique<Pen>(LOGPEN{pen.style, {0, 0}, pen.colour}));

    struct StockFont {
        int index;
        const char* name;
        LOGFONTA record;
    };
    const StockFont fonts[] = {
        {OEM_FIXED_FONT, "OEM_FIXED_FONT", stock_font(12, FW_NORMAL, FIXED_PITCH | FF_MODERN, "Terminal")},
        {ANSI_FIXED_FONT, "ANSI_FIXED_FONT", stock_font(12, FW_NORMAL, FIXED_PITCH | FF_MODERN, "Courier")},
        {ANSI_VAR_FONT, "ANSI_VAR_FONT", stock_font(13, FW_NORMAL, VARIABLE_PITCH | FF_SWISS, "MS Sans Serif")},
        {SYSTEM_FONT, "SYSTEM_FONT", stock_font(16, FW_BOLD, VARIABLE_PITCH | FF_SWISS, "System")},
        {DEVICE_DEFAULT_FONT, "DEVICE_DEFAULT_FONT", stock_font(16, FW_BOLD, VARIABLE_PITCH | FF_SWISS, "System")},
        {SYSTEM_FIXED_FONT, "SYSTEM_FIXED_FONT", stock_font(15, FW_NORMAL, FIXED_PITCH | FF_MODERN, "Fixedsys")},
        {DEFAULT_GUI_FONT, "DEFAULT_GUI_FONT", stock_font(-11, FW_NORMAL, VARIABLE_PITCH | FF_SWISS, "MS Shell Dlg")},
    };
    for (const StockFont& font : fonts)
        add_stock(font.index, font.name, std::make_unique<Font>(font.record));

    add_stock(kDefaultBitmapSlot, "DEFAULT_BITMAP", std::make_unique<Bitmap>(1, 1, true, nullptr));
}

// Made on first use and kept for the life of the process: objects may be freed from
// other libraries' exit procedures, after static destructors would have run.
GdiTable& gdi_table()
{
    static GdiTable* table = new GdiTable;
    return *table;
}

}

// ---- The table -------------------------------------------------------------------

HGDIOBJ add_object(std::unique_ptr<GdiObject> object) noexcept
{
    try {
        GdiTable& table = gdi_table();
        const std::lock_guard lock(table.mutex);
        const uintptr_t value = table.next;
        object->set_handle(value);
        GdiObject* added = object.get();
        table.objects.emplace(value, std::move(object));
        table.next += kHandleStep;
        return added->handle();
    } catch (const std::bad_alloc&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
}

namespace {

// Drawing calls look up the same DC again and again. Each thread keeps its last DC;
// it stands while no DC has been deleted since (handles are never reused, so only a
// deletion can make it wrong). Pens and brushes come and go per item and are not kept,
// so their deletions leave the DC in place.
std::atomic<uint64_t> g_dc_deletions{0};

struct LastLookup {
    uintptr_t handle;
    GdiObject* object;
    uint64_t deletions;
};
thread_local LastLookup t_last_lookup{0, nullptr, 0};

}

GdiObject* object_of(HGDIOBJ handle) noexcept
{
    const uintptr_t value = reinterpret_cast<uintptr_t>(handle);
    const uint64_t deletions = g_dc_deletions.load(std::memory_order_acquire);
    if (value != 0 && t_last_lookup.handle == value && t_last_lookup.deletions == deletions)
        return t_last_lookup.object;
    GdiTable& table = gdi_table();
    const std::lock_guard lock(table.mutex);
    const auto found = table.objects.find(value);
    if (found == table.objects.end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    // The count read before the lock: a deletion since then forces a fresh lookup.
    if (found->second->kind() == ObjectKind::DeviceContext)
        t_last_lookup = LastLookup{value, found->second.get(), deletions};
    return found->second.get();
}

BOOL delete_object(HGDIOBJ handle) noexcept
{
    std::unique_ptr<GdiObject> doomed;
    {
        GdiTable& table = gdi_table();
        const std::lock_guard lock(table.mutex);
        const auto found = table.objects.find(reinterpret_cast<uintptr_t>(handle));
        if (found == table.objects.end()) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        GdiObject& object = *found->second;
        if (object.is_stock())
            return TRUE;
        if (object.selections() > 0) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        doomed = std::move(found->second);
        table.objects.erase(found);
        if (object.kind() == ObjectKind::DeviceContext)
            g_dc_deletions.fetch_add(1, std::memory_order_release);
    }
    // Freed outside the lock: a font's Qt objects may take their own locks.
    doomed.reset();
    return TRUE;
}

GdiObject* stock_object(int index) noexcept
{
    if (index < 0 || index >= kStockCount)
        return nullptr;
    return gdi_table().stock[index];
}

Bitmap& default_bitmap() noexcept
{
    return *static_cast<Bitmap*>(gdi_table().stock[kDefaultBitmapSlot]);
}

size_t live_object_count() noexcept
{
    GdiTable& table = gdi_table();
    const std::lock_guard lock(table.mutex);
    size_t count = 0;
    for (const auto& entry : table.objects)
        count += entry.second->is_stock() ? 0 : 1;
    return count;
}

// ---- Bitmaps -----------------------------------------------------------------------

Bitmap::Bitmap(int width, int height, bool top_down, uint32_t* pixels)
    : GdiObject(ObjectKind::Bitmap), m_width(width), m_height(height), m_top_down(top_down), m_pixels(pixels)
{
}

std::unique_ptr<Bitmap> make_dib(int64_t width, int64_t height, bool top_down) noexcept
{
    if (width <= 0 || height <= 0 || width > kMaxSurfaceSide || height > kMaxSurfaceSide ||
        width * height * 4 > kMaxSurfaceBytes) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto* pixels = static_cast<uint32_t*>(std::calloc(static_cast<size_t>(width * height), sizeof(uint32_t)));
    if (pixels == nullptr) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    try {
        return std::make_unique<Bitmap>(static_cast<int>(width), static_cast<int>(height), top_down, pixels);
    } catch (const std::bad_alloc&) {
        std::free(pixels);
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
}

Bitmap::~Bitmap()
{
    std::free(m_pixels);
}

Surface Bitmap::surface() const
{
    Surface surface;
    if (m_pixels == nullptr)
        return surface;
    surface.width = m_width;
    surface.height = m_height;
    if (m_top_down) {
        surface.top_row = m_pixels;
        surface.stride = m_width;
    } else {
        surface.top_row = m_pixels + static_cast<ptrdiff_t>(m_height - 1) * m_width;
        surface.stride = -static_cast<ptrdiff_t>(m_width);
    }
    return surface;
}

// ---- Device contexts ------------------------------------------------------------------

DeviceContext::DeviceContext(Target target)
    : GdiObject(ObjectKind::DeviceContext),
      m_target(target),
      m_pen(static_cast<Pen*>(stock_object(BLACK_PEN))),
      m_brush(static_cast<Brush*>(stock_object(WHITE_BRUSH))),
      m_font(static_cast<Font*>(stock_object(SYSTEM_FONT)))
{
    m_pen->add_selection();
    m_brush->add_selection();
    m_font->add_selection();
    if (m_target == Target::Memory) {
        m_bitmap = &default_bitmap();
        m_bitmap->add_selection();
    }
}

DeviceContext::~DeviceContext()
{
    release_selections();
}

void DeviceContext::release_selections()
{
    if (m_pen != nullptr)
        m_pen->remove_selection();
    if (m_brush != nullptr)
        m_brush->remove_selection();
    if (m_font != nullptr)
        m_font->remove_selection();
    if (m_bitmap != nullptr) {
        m_bitmap->remove_selection();
        if (m_bitmap->owner_dc() == this)
            m_bitmap->set_owner_dc(nullptr);
    }
    m_pen = nullptr;
    m_brush = nullptr;
    m_font = nullptr;
    m_bitmap = nullptr;
}

Surface DeviceContext::surface() const
{
    if (m_target == Target::Pixels)
        return m_external;
    return m_bitmap != nullptr ? m_bitmap->surface() : Surface{};
}

namespace {

template <typename T>
GdiObject* swap_selection(T*& slot, GdiObject& object)
{
    T* previous = slot;
    object.add_selection();
    previous->remove_selection();
    slot = static_cast<T*>(&object);
    return previous;
}

}

GdiObject* DeviceContext::select(GdiObject& object)
{
    switch (object.kind()) {
    case ObjectKind::Pen:
        return swap_selection(m_pen, object);
    case ObjectKind::Brush:
        return swap_selection(m_brush, object);
    case ObjectKind::Font:
        return swap_selection(m_font, object);
    case ObjectKind::Bitmap: {
        auto& bitmap = static_cast<Bitmap&>(object);
        if (m_target != Target::Memory)
            return nullptr;
        if (&bitmap == m_bitmap)
            return m_bitmap;
        // The default bitmap is shared by every memory DC; a DIB is in one DC at most.
        if (!bitmap.is_stock() && bitmap.owner_dc() != nullptr)
            return nullptr;
        Bitmap* previous = m_bitmap;
        if (previous->owner_dc() == this)
            previous->set_owner_dc(nullptr);
        if (!bitmap.is_stock())
            bitmap.set_owner_dc(this);
        return swap_selection(m_bitmap, object);
    }
    case ObjectKind::Region:
    case ObjectKind::DeviceContext:
        break;
    }
    return nullptr;
}

void DeviceContext::record(const char* format, ...)
{
    if (!m_recording)
        return;
    char line[512];
    va_list arguments;
    va_start(arguments, format);
    const int length = std::vsnprintf(line, sizeof line, format, arguments);
    va_end(arguments);
    if (length < 0)
        return;
    try {
        m_log.append(line, std::min(static_cast<size_t>(length), sizeof line - 1));
        m_log.push_back('\n');
    } catch (const std::bad_alloc&) {
        // A test that runs out of memory loses a log line, not its process.
    }
}

// ---- Descriptions for the recording DC ---------------------------------------------------

namespace {

const char* pen_style_name(UINT style)
{
    constexpr const char* kNames[] = {"PS_SOLID",      "PS_DASH", "PS_DOT",        "PS_DASHDOT",
                                      "PS_DASHDOTDOT", "PS_NULL", "PS_INSIDEFRAME"};
    return style < 7 ? kNames[style] : "PS_?";
}

std::string format_text(const char* format, ...) __attribute__((format(printf, 1, 2)));

std::string format_text(const char* format, ...)
{
    char text[256];
    va_list arguments;
    va_start(arguments, format);
    const int length = std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    return length < 0 ? std::string() : std::string(text, std::min(static_cast<size_t>(length), sizeof text - 1));
}

}

std::string describe_object(const GdiObject* object)
{
    if (object == nullptr)
        return "NULL";
    if (object->is_stock())
        return object->stock_name();
    switch (object->kind()) {
    case ObjectKind::Pen: {
        const LOGPEN& pen = static_cast<const Pen*>(object)->record();
        return format_text("pen %s %d 0x%06X", pen_style_name(pen.lopnStyle), pen.lopnWidth.x, pen.lopnColor);
    }
    case ObjectKind::Brush: {
        const LOGBRUSH& brush = static_cast<const Brush*>(object)->record();
        if (brush.lbStyle == BS_NULL)
            return "brush BS_NULL";
        if (brush.lbStyle == BS_HATCHED)
            return format_text("brush BS_HATCHED %u 0x%06X", static_cast<unsigned>(brush.lbHatch), brush.lbColor);
        return format_text("brush BS_SOLID 0x%06X", brush.lbColor);
    }
    case ObjectKind::Font: {
        const LOGFONTA& font = static_cast<const Font*>(object)->record();
        return format_text("font \"%.*s\" height=%d width=%d escapement=%d orientation=%d weight=%d "
                           "italic=%d underline=%d strikeout=%d",
                           LF_FACESIZE, font.lfFaceName, font.lfHeight, font.lfWidth, font.lfEscapement,
                           font.lfOrientation, font.lfWeight, font.lfItalic, font.lfUnderline,
                           font.lfStrikeOut);
    }
    case ObjectKind::Bitmap: {
        const auto* bitmap = static_cast<const Bitmap*>(object);
        return format_text("bitmap %dx%d", bitmap->width(), bitmap->height());
    }
    case ObjectKind::Region:
        return "region";
    case ObjectKind::DeviceContext:
        return "dc";
    }
    return "?";
}

}
