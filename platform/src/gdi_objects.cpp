// The GDI table, the stock objects and the selection rules of device contexts.

#include "gdi_objects.h"
#include "make_win32_error.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <set>
#include <thread>

namespace platform::gdi {
namespace {

using table::kHandleStep;
// Stock objects have fixed handles just below the slots' handles.
constexpr uintptr_t kStockHandles = table::kFirstHandle - 0x1000;

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

constexpr uint32_t kNoSlot = UINT32_MAX;
// Storage of deleted pens kept for the next CreatePen.
constexpr size_t kPenPoolSize = 64;

// Creating and deleting an object holds the table for a few dozen instructions, and
// pens come and go per drawn item: a spin lock costs a fraction of a mutex there.
class SpinLock {
public:
    void lock() noexcept
    {
        while (m_locked.exchange(true, std::memory_order_acquire)) {
            while (m_locked.load(std::memory_order_relaxed))
                std::this_thread::yield();
        }
    }
    void unlock() noexcept { m_locked.store(false, std::memory_order_release); }

private:
    std::atomic<bool> m_locked{false};
};

struct GdiTable {
    SpinLock spin;
    uint32_t used = 0; // slots ever taken, in order
    uint32_t free_head = kNoSlot;
    size_t live = 0;
    GdiObject* stock[kStockCount + 1] = {};
    void* pen_pool[kPenPoolSize] = {};
    size_t pooled_pens = 0;

    GdiTable();
    void add_stock(int slot, const char* name, std::unique_ptr<GdiObject> object);
    // Gives the object a free slot and its handle; 0 when the table is full or
    // cannot grow. Under the lock.
    uintptr_t take_slot(GdiObject& object) noexcept;
    void free_slot(uintptr_t value, table::Slot& slot);
};

void GdiTable::add_stock(int slot, const char* name, std::unique_ptr<GdiObject> object)
{
    const uintptr_t value = kStockHandles + static_cast<uintptr_t>(slot) * kHandleStep;
    object->set_handle(value);
    object->make_stock(name);
    // Stock objects live as long as the process.
    stock[slot] = object.release();
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

namespace table {

std::atomic<Slot*> g_chunks[kChunkCount];

GdiObject* object_of_other(HGDIOBJ handle) noexcept
{
    const auto value = reinterpret_cast<uintptr_t>(handle);
    const uintptr_t offset = value - kStockHandles;
    if (offset % kHandleStep == 0 && offset / kHandleStep <= static_cast<uintptr_t>(kDefaultBitmapSlot)) {
        GdiObject* stock = gdi_table().stock[offset / kHandleStep];
        if (stock != nullptr)
            return stock;
    }
    platform::make_win32_error(ERROR_INVALID_HANDLE);
    return nullptr;
}

}

std::nullptr_t wrong_kind(const GdiObject* object) noexcept
{
    if (object != nullptr)
        platform::make_win32_error(ERROR_INVALID_HANDLE);
    return nullptr;
}

namespace {

table::Slot& slot_at(uint32_t index)
{
    return table::g_chunks[index / table::kChunkSlots].load(std::memory_order_relaxed)[index % table::kChunkSlots];
}

}

uintptr_t GdiTable::take_slot(GdiObject& object) noexcept
{
    uint32_t index = free_head;
    if (index != kNoSlot) {
        free_head = slot_at(index).next_free;
    } else {
        if (used == table::kMaxSlots)
            return 0;
        std::atomic<table::Slot*>& chunk = table::g_chunks[used / table::kChunkSlots];
        if (chunk.load(std::memory_order_relaxed) == nullptr) {
            auto* fresh = new (std::nothrow) table::Slot[table::kChunkSlots];
            if (fresh == nullptr)
                return 0;
            chunk.store(fresh, std::memory_order_release);
        }
        index = used++;
    }
    table::Slot& slot = slot_at(index);
    const uintptr_t value =
        table::kFirstHandle + ((static_cast<uintptr_t>(slot.generation) << table::kSlotBits) | index) * kHandleStep;
    object.set_handle(value);
    slot.object.store(&object, std::memory_order_relaxed);
    slot.handle.store(value, std::memory_order_release);
    ++live;
    return value;
}

void GdiTable::free_slot(uintptr_t value, table::Slot& slot)
{
    // The handle goes first: a lookup that still reads the object then sees the slot
    // empty on its second look.
    slot.handle.store(0, std::memory_order_release);
    slot.object.store(nullptr, std::memory_order_relaxed);
    --live;
    // A slot that has used up its generations is never taken again, so no handle
    // comes back.
    if (slot.generation == table::kLastGeneration)
        return;
    ++slot.generation;
    slot.next_free = free_head;
    free_head = static_cast<uint32_t>(((value - table::kFirstHandle) / kHandleStep) & (table::kMaxSlots - 1));
}

HGDIOBJ add_object(std::unique_ptr<GdiObject> object) noexcept
{
    GdiTable& table = gdi_table();
    {
        const std::lock_guard lock(table.spin);
        if (table.take_slot(*object) != 0)
            return object.release()->handle();
    }
    platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
}

HGDIOBJ add_pen(const LOGPEN& record) noexcept
{
    GdiTable& table = gdi_table();
    {
        const std::lock_guard lock(table.spin);
        void* storage = table.pooled_pens > 0 ? table.pen_pool[--table.pooled_pens]
                                              : ::operator new(sizeof(Pen), std::nothrow);
        if (storage != nullptr) {
            Pen* pen = new (storage) Pen(record);
            if (table.take_slot(*pen) != 0)
                return pen->handle();
            pen->~Pen();
            // The pool just gave this storage or has room for it.
            if (table.pooled_pens < kPenPoolSize)
                table.pen_pool[table.pooled_pens++] = storage;
            else
                ::operator delete(storage, std::nothrow);
        }
    }
    platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
}

BOOL delete_object(HGDIOBJ handle) noexcept
{
    GdiObject* doomed = nullptr;
    {
        GdiTable& table = gdi_table();
        const std::lock_guard lock(table.spin);
        const auto value = reinterpret_cast<uintptr_t>(handle);
        table::Slot* slot = table::slot_of(value);
        if (slot == nullptr || slot->handle.load(std::memory_order_relaxed) != value) {
            // Deleting a stock object does nothing and succeeds.
            if (table::object_of_other(handle) != nullptr)
                return TRUE;
            return FALSE;
        }
        GdiObject& object = *slot->object.load(std::memory_order_relaxed);
        if (object.selections() > 0) {
            platform::make_win32_error(ERROR_INVALID_PARAMETER);
            return FALSE;
        }
        table.free_slot(value, *slot);
        if (object.kind() == ObjectKind::Pen && table.pooled_pens < kPenPoolSize) {
            object.~GdiObject();
            table.pen_pool[table.pooled_pens++] = &object;
            return TRUE;
        }
        doomed = &object;
    }
    // Freed outside the lock: a font's Qt objects may take their own locks.
    delete doomed;
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
    const std::lock_guard lock(table.spin);
    return table.live;
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
        platform::make_win32_error(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto* pixels = static_cast<uint32_t*>(std::calloc(static_cast<size_t>(width * height), sizeof(uint32_t)));
    if (pixels == nullptr) {
        platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    try {
        return std::make_unique<Bitmap>(static_cast<int>(width), static_cast<int>(height), top_down, pixels);
    } catch (const std::bad_alloc&) {
        std::free(pixels);
        platform::make_win32_error(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
}

namespace {

std::mutex& packed_sections_mutex()
{
    static std::mutex mutex;
    return mutex;
}

std::set<const Bitmap*>& packed_sections()
{
    static std::set<const Bitmap*> sections;
    return sections;
}

}

Bitmap::~Bitmap()
{
    if (m_packed != nullptr) {
        const std::lock_guard lock(packed_sections_mutex());
        packed_sections().erase(this);
    }
    std::free(m_packed);
    std::free(m_pixels);
}

void Bitmap::make_mono(uint32_t colour0, uint32_t colour1, uint8_t* packed)
{
    m_mono = true;
    m_palette[0] = colour0 & 0x00FFFFFFu;
    m_palette[1] = colour1 & 0x00FFFFFFu;
    if (packed != nullptr) {
        m_packed = packed;
        const std::lock_guard lock(packed_sections_mutex());
        packed_sections().insert(this);
    }
}

void Bitmap::pixels_to_packed() const
{
    if (m_packed == nullptr || m_pixels == nullptr)
        return;
    const Surface picture = surface();
    const int stride = packed_stride();
    for (int y = 0; y < m_height; ++y) {
        uint8_t* row =
            m_packed + static_cast<ptrdiff_t>(m_top_down ? y : m_height - 1 - y) * stride;
        std::memset(row, 0, static_cast<size_t>(stride));
        const uint32_t* pixels = picture.pixel(0, y);
        for (int x = 0; x < m_width; ++x) {
            if ((pixels[x] & 0x00FFFFFFu) != 0)
                row[x / 8] = static_cast<uint8_t>(row[x / 8] | (0x80u >> (x % 8)));
        }
    }
}

void Bitmap::packed_to_pixels()
{
    if (m_packed == nullptr || m_pixels == nullptr)
        return;
    const Surface picture = surface();
    const int stride = packed_stride();
    for (int y = 0; y < m_height; ++y) {
        const uint8_t* row =
            m_packed + static_cast<ptrdiff_t>(m_top_down ? y : m_height - 1 - y) * stride;
        uint32_t* pixels = picture.pixel(0, y);
        for (int x = 0; x < m_width; ++x)
            pixels[x] = ((row[x / 8] >> (7 - x % 8)) & 1u) != 0 ? 0x00FFFFFFu : 0u;
    }
}

void flush_packed_sections() noexcept
{
    const std::lock_guard lock(packed_sections_mutex());
    for (const Bitmap* bitmap : packed_sections())
        bitmap->pixels_to_packed();
}

Surface Bitmap::surface() const
{
    Surface surface;
    if (m_pixels == nullptr)
        return surface;
    if (m_mono) {
        surface.palette = m_palette;
        surface.colour_table = m_packed != nullptr;
    }
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
        m_surface = m_bitmap->surface();
    }
}

void DeviceContext::take_surface(const Surface& surface)
{
    m_surface = surface;
    m_surface.clip = nullptr;
    m_clip_mask.clear();
    if (!m_clip.has_value() || surface.is_empty())
        return;
    // The mask has the pixels' layout; with a negative stride its top row lies last.
    const ptrdiff_t stride = surface.stride;
    const size_t row_span = static_cast<size_t>(stride < 0 ? -stride : stride);
    m_clip_mask.assign(row_span * static_cast<size_t>(surface.height), 0);
    uint8_t* top =
        m_clip_mask.data() + (stride < 0 ? row_span * static_cast<size_t>(surface.height - 1) : 0);
    for (const QRect& rect : *m_clip& QRegion(0, 0, surface.width, surface.height)) {
        for (int y = rect.top(); y <= rect.bottom(); ++y)
            std::memset(top + y * stride + rect.left(), 1, static_cast<size_t>(rect.width()));
    }
    m_surface.clip = top;
}

void DeviceContext::set_clip(std::optional<QRegion> clip)
{
    m_clip = std::move(clip);
    Surface surface = m_surface;
    take_surface(surface);
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
    if (m_target == Target::Memory) {
        m_surface = Surface{};
        m_clip_mask.clear();
    }
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
        // What the caller wrote into a 1-bit section's rows shows from now on.
        bitmap.packed_to_pixels();
        take_surface(bitmap.surface());
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
