// GDI objects behind the handles of gdi.h.
//
// Every pen, brush, font, bitmap, region and device context is a GdiObject owned by
// the process's GDI table. A handle is a number naming a table entry, never reused, so
// a deleted or made-up handle is refused instead of dereferenced. The objects
// themselves take no lock: as on Win32, one DC is used by one thread at a time.
#ifndef PLATFORM_SRC_GDI_OBJECTS_H
#define PLATFORM_SRC_GDI_OBJECTS_H

#include "gdi_raster.h"
#include "platform/gdi.h"
#include "platform/kernel.h"

#include <QtGui/QImage>
#include <QtGui/QPainterPath>
#include <QtGui/QRegion>

#include <atomic>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform::gdi {

enum class ObjectKind : uint8_t { Pen, Brush, Font, Bitmap, Region, DeviceContext };

class GdiObject {
public:
    explicit GdiObject(ObjectKind kind) : m_kind(kind) {}
    GdiObject(const GdiObject&) = delete;
    GdiObject& operator=(const GdiObject&) = delete;
    virtual ~GdiObject() = default;

    ObjectKind kind() const { return m_kind; }
    HGDIOBJ handle() const { return reinterpret_cast<HGDIOBJ>(m_handle); }
    void set_handle(uintptr_t value) { m_handle = value; }

    // Stock objects carry their GetStockObject name and outlive DeleteObject.
    bool is_stock() const { return m_stock_name != nullptr; }
    const char* stock_name() const { return m_stock_name; }
    void make_stock(const char* name) { m_stock_name = name; }

    // Number of DCs that have the object selected; such an object cannot be deleted.
    // Counted atomically: a stock object is selected into every new DC, whichever
    // thread makes it.
    int selections() const { return m_selections.load(); }
    void add_selection() { m_selections.fetch_add(1); }
    void remove_selection() { m_selections.fetch_sub(1); }

private:
    ObjectKind m_kind;
    uintptr_t m_handle = 0;
    const char* m_stock_name = nullptr;
    std::atomic<int> m_selections{0};
};

class Pen final : public GdiObject {
public:
    explicit Pen(const LOGPEN& record) : GdiObject(ObjectKind::Pen), m_record(record) {}
    const LOGPEN& record() const { return m_record; }
    bool draws() const { return m_record.lopnStyle != PS_NULL; }
    // Pens wider than one pixel are geometric: round ends and joins.
    bool is_wide() const { return m_record.lopnWidth.x > 1; }

private:
    LOGPEN m_record;
};

class Brush final : public GdiObject {
public:
    explicit Brush(const LOGBRUSH& record) : GdiObject(ObjectKind::Brush), m_record(record) {}
    const LOGBRUSH& record() const { return m_record; }
    bool paints() const { return m_record.lbStyle != BS_NULL; }

private:
    LOGBRUSH m_record;
};

// What Qt made of a font's record, made on first use and shared by every font with
// the same record (gdi_text.cpp).
struct FontRealization;

class Font final : public GdiObject {
public:
    explicit Font(const LOGFONTA& record);
    ~Font() override;
    const LOGFONTA& record() const { return m_record; }
    // NULL when no Qt GUI application can be had.
    FontRealization* realization();

private:
    LOGFONTA m_record;
    std::shared_ptr<FontRealization> m_realization;
};

class DeviceContext;

// A bitmap of 32-bit pixels. A DIB section owns its pixels; the default bitmap of
// memory DCs has none. A monochrome bitmap keeps colour indices in them (see Surface)
// and, as a 1-bit DIB section, also the packed rows its caller sees, which GdiFlush
// brings up to date and which are read back when the bitmap is selected.
class Bitmap final : public GdiObject {
public:
    Bitmap(int width, int height, bool top_down, uint32_t* pixels);
    ~Bitmap() override;

    int width() const { return m_width; }
    int height() const { return m_height; }
    bool top_down() const { return m_top_down; }
    uint32_t* pixels() const { return m_pixels; }
    Surface surface() const;

    bool is_mono() const { return m_mono; }
    const uint32_t* palette() const { return m_palette; }
    // Makes the bitmap monochrome with the two colours (0x00RRGGBB); with packed rows
    // (calloc'd, owned from now on) it is a 1-bit DIB section.
    void make_mono(uint32_t colour0, uint32_t colour1, uint8_t* packed);
    void set_palette(int index, uint32_t colour) { m_palette[index] = colour; }
    uint8_t* packed() const { return m_packed; }
    int packed_stride() const { return ((m_width + 31) / 32) * 4; }
    // Between the packed rows and the pixels.
    void pixels_to_packed() const;
    void packed_to_pixels();

    // Made by CreateDIBSection (GetObjectA then describes it as a DIBSECTION).
    bool is_dib_section() const { return m_dib_section; }
    void set_dib_section() { m_dib_section = true; }

    // A bitmap is selected into at most one DC at a time.
    DeviceContext* owner_dc() const { return m_owner_dc; }
    void set_owner_dc(DeviceContext* dc) { m_owner_dc = dc; }

private:
    int m_width;
    int m_height;
    bool m_top_down;
    uint32_t* m_pixels; // from calloc; NULL for the default bitmap
    DeviceContext* m_owner_dc = nullptr;
    bool m_mono = false;
    bool m_dib_section = false;
    uint32_t m_palette[2] = {0, 0x00FFFFFFu};
    uint8_t* m_packed = nullptr;
};

// Brings the packed rows of every 1-bit DIB section up to date.
void flush_packed_sections() noexcept;
// A 1-bit DIB section of the header (its two colours from the table); *bits receives
// the packed rows.
HBITMAP create_mono_section(const BITMAPINFO* info, void** bits);

class Region final : public GdiObject {
public:
    explicit Region(QRegion region) : GdiObject(ObjectKind::Region), m_region(std::move(region)) {}
    const QRegion& region() const { return m_region; }
    void set_region(QRegion region) { m_region = std::move(region); }

private:
    QRegion m_region;
};

enum class PathState : uint8_t { None, Open, Closed };

// The state of a device context; every member is the Win32 attribute of that name.
class DeviceContext final : public GdiObject {
public:
    enum class Target : uint8_t { Memory, Pixels };

    explicit DeviceContext(Target target);
    ~DeviceContext() override;

    Target target() const { return m_target; }
    // The pixels that the DC draws on: its bitmap's, or the caller's for a DC over
    // pixels. Kept up to date by every change of either, since every drawing call
    // asks for it.
    const Surface& surface() const { return m_surface; }

    Pen& pen() const { return *m_pen; }
    Brush& brush() const { return *m_brush; }
    Font& font() const { return *m_font; }
    Bitmap* bitmap() const { return m_bitmap; }

    // The object that was selected before, or NULL when the object does not fit.
    GdiObject* select(GdiObject& object);
    void set_external_surface(const Surface& surface) { take_surface(surface); }
    // A bitmap the DC made itself (the recording DC's surface), deleted with it.
    void set_own_bitmap(HGDIOBJ bitmap) { m_own_bitmap = bitmap; }
    HGDIOBJ own_bitmap() const { return m_own_bitmap; }
    // Lets go of every selected object, before the DC is deleted.
    void release_selections();

    // The clip region in device coordinates; none: the whole surface.
    const std::optional<QRegion>& clip() const { return m_clip; }
    void set_clip(std::optional<QRegion> clip);

    int arc_direction = 1; // AD_COUNTERCLOCKWISE
    int stretch_mode = 1;  // BLACKONWHITE

    // The logical point drawn at device pixel (0, 0) (SetWindowOrgEx). Every call that
    // takes logical coordinates maps them with to_device as it starts; the raster code
    // below works in device pixels only.
    POINT window_origin{0, 0};
    bool has_origin() const { return window_origin.x != 0 || window_origin.y != 0; }
    int64_t device_x(int64_t x) const { return x - window_origin.x; }
    int64_t device_y(int64_t y) const { return y - window_origin.y; }
    // Maps a logical point to device coordinates in place; false (the point unchanged)
    // when the result leaves the 32-bit range.
    bool to_device(int& x, int& y) const
    {
        const int64_t dx = device_x(x);
        const int64_t dy = device_y(y);
        if (dx < INT32_MIN || dx > INT32_MAX || dy < INT32_MIN || dy > INT32_MAX)
            return false;
        x = static_cast<int>(dx);
        y = static_cast<int>(dy);
        return true;
    }
    bool to_device(RECT& rect) const
    {
        int left = rect.left, top = rect.top, right = rect.right, bottom = rect.bottom;
        if (!to_device(left, top) || !to_device(right, bottom))
            return false;
        rect = RECT{left, top, right, bottom};
        return true;
    }

    COLORREF text_colour = RGB(0, 0, 0);
    COLORREF background_colour = RGB(255, 255, 255);
    int background_mode = OPAQUE;
    int rop2 = R2_COPYPEN;
    UINT text_align = TA_TOP | TA_LEFT | TA_NOUPDATECP;
    POINT position{0, 0};
    // Moves the current position with one 64-bit store: the next LineTo reads the
    // position whole, and a store in two halves would stall that read.
    void set_position(LONG x, LONG y)
    {
        static_assert(sizeof(POINT) == sizeof(uint64_t) && offsetof(POINT, y) == sizeof(LONG));
        uint64_t packed = 0;
        if constexpr (std::endian::native == std::endian::little)
            packed = uint64_t{static_cast<uint32_t>(x)} | uint64_t{static_cast<uint32_t>(y)} << 32;
        else
            packed = uint64_t{static_cast<uint32_t>(x)} << 32 | uint64_t{static_cast<uint32_t>(y)};
        std::memcpy(&position, &packed, sizeof packed);
    }

    // The bounding box of the update region that a paint DC is limited to; the whole
    // surface when `limited` is false (GetClipBox).
    bool limited = false;
    RECT limit_box{0, 0, 0, 0};

    // Path bracket: while Open, figures go to `path` instead of the surface.
    PathState path_state = PathState::None;
    QPainterPath path;
    bool figure_open = false;

    // Where TextOutA draws small coverage masks (gdi_shapes.h), kept between calls.
    QImage& scratch_mask() { return m_scratch_mask; }

    // The log of a recording DC.
    bool is_recording() const { return m_recording; }
    void start_recording() { m_recording = true; }
    void record(const char* format, ...) __attribute__((format(printf, 2, 3)));
    std::string& log() { return m_log; }

private:
    Target m_target;
    Pen* m_pen;
    Brush* m_brush;
    Font* m_font;
    Bitmap* m_bitmap = nullptr;
    Surface m_surface;
    HGDIOBJ m_own_bitmap = nullptr;
    std::optional<QRegion> m_clip;
    std::vector<uint8_t> m_clip_mask;
    // Sets the surface and puts the clip mask over it.
    void take_surface(const Surface& surface);
    bool m_recording = false;
    std::string m_log;
    QImage m_scratch_mask;
};

// ---- The GDI table ----------------------------------------------------------------
//
// A handle names a slot of the table and the generation of that slot: a slot is taken
// again after its object is deleted, but with the next generation, so its old handle
// stays refused. Lookups read the slot without a lock; creation and deletion take one.

namespace table {

// Slot handles count in steps of 4 from here. They lie far above the kernel's handles,
// so a kernel handle passed by mistake is refused too.
constexpr uintptr_t kFirstHandle = uintptr_t{0x7A} << 32;
constexpr uintptr_t kHandleStep = 4;
constexpr unsigned kSlotBits = 24;
constexpr uint32_t kMaxSlots = uint32_t{1} << kSlotBits;
constexpr uint32_t kChunkSlots = 4096;
constexpr uint32_t kChunkCount = kMaxSlots / kChunkSlots;
// A slot whose generation reaches this is not taken again.
constexpr uint64_t kLastGeneration = (uint64_t{1} << 32) - 1;
// Every handle that a slot can give lies below kFirstHandle + kHandleSpan.
constexpr uintptr_t kHandleSpan = ((kLastGeneration + 1) << kSlotBits) * kHandleStep;

struct Slot {
    std::atomic<uintptr_t> handle{0}; // 0 while the slot is free
    std::atomic<GdiObject*> object{nullptr};
    uint64_t generation = 0; // of the next handle; changed under the table's lock
    uint32_t next_free = 0;
};

// Chunks of slots, made as the table grows and never moved or freed.
extern std::atomic<Slot*> g_chunks[kChunkCount];

// The slot that a handle names, whether or not it is live; NULL for none.
inline Slot* slot_of(uintptr_t value) noexcept
{
    const uintptr_t offset = value - kFirstHandle; // wraps for the handles below
    if (offset >= kHandleSpan || offset % kHandleStep != 0)
        return nullptr;
    const auto index = static_cast<uint32_t>((offset / kHandleStep) & (kMaxSlots - 1));
    Slot* chunk = g_chunks[index / kChunkSlots].load(std::memory_order_acquire);
    return chunk != nullptr ? chunk + index % kChunkSlots : nullptr;
}

// Stock objects and the error of an unknown handle.
GdiObject* object_of_other(HGDIOBJ handle) noexcept;

}

// Adds the object and gives it a handle; NULL with ERROR_NOT_ENOUGH_MEMORY when the
// table cannot grow (the object is then freed).
HGDIOBJ add_object(std::unique_ptr<GdiObject> object) noexcept;

// A new pen; pens come and go per drawn item, so their memory is recycled.
HGDIOBJ add_pen(const LOGPEN& record) noexcept;

// The object of a live handle, or NULL with ERROR_INVALID_HANDLE.
[[gnu::always_inline]] inline GdiObject* object_of(HGDIOBJ handle) noexcept
{
    const auto value = reinterpret_cast<uintptr_t>(handle);
    if (table::Slot* slot = table::slot_of(value); slot != nullptr) {
        if (slot->handle.load(std::memory_order_acquire) == value) {
            GdiObject* object = slot->object.load(std::memory_order_acquire);
            // Read again: a deletion on another thread may have emptied the slot.
            if (slot->handle.load(std::memory_order_relaxed) == value)
                return object;
        }
    }
    return table::object_of_other(handle);
}

template <typename T>
constexpr ObjectKind kind_of();
template <>
constexpr ObjectKind kind_of<Pen>() { return ObjectKind::Pen; }
template <>
constexpr ObjectKind kind_of<Brush>() { return ObjectKind::Brush; }
template <>
constexpr ObjectKind kind_of<Font>() { return ObjectKind::Font; }
template <>
constexpr ObjectKind kind_of<Bitmap>() { return ObjectKind::Bitmap; }
template <>
constexpr ObjectKind kind_of<Region>() { return ObjectKind::Region; }
template <>
constexpr ObjectKind kind_of<DeviceContext>() { return ObjectKind::DeviceContext; }

// NULL with ERROR_INVALID_HANDLE for an object of the wrong kind; NULL alone when there
// is none (object_of has said why).
std::nullptr_t wrong_kind(const GdiObject* object) noexcept;

// The object of a live handle when it is a T, or NULL with ERROR_INVALID_HANDLE.
template <typename T>
[[gnu::always_inline]] inline T* object_of_kind(const void* handle) noexcept
{
    GdiObject* object = object_of(const_cast<void*>(handle));
    if (object != nullptr && object->kind() == kind_of<T>()) [[likely]]
        return static_cast<T*>(object);
    return wrong_kind(object);
}

// Frees a live, unselected, non-stock object. FALSE with the last error set otherwise
// (TRUE without effect for a stock object).
BOOL delete_object(HGDIOBJ handle) noexcept;

// The stock object of a GetStockObject index, or NULL.
GdiObject* stock_object(int index) noexcept;
// The 1-by-1 bitmap that a new memory DC holds.
Bitmap& default_bitmap() noexcept;

size_t live_object_count() noexcept;

// Limits of a 32-bit surface, checked before anything is allocated.
constexpr int64_t kMaxSurfaceSide = 65536;
constexpr int64_t kMaxSurfaceBytes = int64_t{1} << 30;

// A cleared 32-bit DIB of width by height pixels; NULL with ERROR_INVALID_PARAMETER
// for a size outside the limits or ERROR_NOT_ENOUGH_MEMORY.
std::unique_ptr<Bitmap> make_dib(int64_t width, int64_t height, bool top_down) noexcept;

// Writes the object as the recording DC logs it: "pen PS_SOLID 1 0x0000FF", a stock
// object by its name, "NULL" for none.
std::string describe_object(const GdiObject* object);

}

#endif
