// The pen and brush caches of the OS handler: GDI objects shared by every port by
// colour, width and style, made on first use, with pinned entries for the standard
// system colours.

#include "gdi_handler_internal.h"

#include "platform/system_metrics.h"

#include <cstring>

namespace osmark::graphics {
namespace {

constexpr int32_t kGrowth = 256;

constexpr Colour kStandardPens[] = {
    ColourSystem(1),  ColourSystem(5),  ColourSystem(8),  0,
    0xFFFFFF,         ColourSystem(15), ColourSystem(18), ColourSystem(16),
    ColourSystem(21), ColourSystem(22), ColourSystem(20)};
constexpr Colour kStandardBrushes[] = {
    ColourSystem(1),  ColourSystem(15), ColourSystem(13), ColourSystem(0),
    ColourSystem(24), ColourSystem(18), ColourSystem(21), 0,
    0xFFFFFF};

uint32_t distance(Colour a, uint32_t wanted_rgb)
{
    const uint32_t rgb = ColourToRGB(static_cast<int32_t>(a));
    uint32_t sum = 0;
    for (int shift = 0; shift < 24; shift += 8) {
        const int32_t d = static_cast<int32_t>((rgb >> shift) & 0xFF) -
                          static_cast<int32_t>((wanted_rgb >> shift) & 0xFF);
        sum += static_cast<uint32_t>(d * d);
    }
    return sum;
}

}

template <typename Entry>
bool ObjectCache<Entry>::grow()
{
    const int32_t new_capacity = capacity + kGrowth;
    auto** table =
        static_cast<Entry**>(AllocVec(static_cast<uint32_t>(new_capacity * sizeof(Entry*))));
    if (table == nullptr)
        return false;
    std::memset(table, 0, new_capacity * sizeof(Entry*));
    if (entries != nullptr)
        std::memcpy(table, entries, static_cast<size_t>(count) * sizeof(Entry*));
    FreeVec(entries);
    entries = table;
    capacity = new_capacity;
    return true;
}

template <typename Entry>
int32_t ObjectCache<Entry>::obtain(const Entry& key)
{
    for (int32_t i = 0; i < count; ++i) {
        if (entries[i]->same_key(key)) {
            ++entries[i]->uses;
            return i;
        }
    }
    for (int32_t i = 0; i < count; ++i) {
        if (entries[i]->uses < 1) {
            entries[i]->delete_object();
            entries[i]->set_key(key);
            entries[i]->uses = 1;
            return i;
        }
    }
    if (count < capacity || grow()) {
        auto* entry = static_cast<Entry*>(AllocVec(sizeof(Entry)));
        if (entry != nullptr) {
            std::memset(static_cast<void*>(entry), 0, sizeof(Entry));
            entry->set_key(key);
            entry->uses = 1;
            entries[count] = entry;
            return count++;
        }
    }
    return nearest(key.colour);
}

template <typename Entry>
int32_t ObjectCache<Entry>::nearest(Colour colour)
{
    if (count == 0)
        return -1;
    const uint32_t wanted = ColourToRGB(static_cast<int32_t>(colour));
    int32_t best = 0;
    uint32_t best_distance = distance(entries[0]->colour, wanted);
    for (int32_t i = 1; i < count; ++i) {
        const uint32_t d = distance(entries[i]->colour, wanted);
        if (d < best_distance) {
            best = i;
            best_distance = d;
        }
    }
    ++entries[best]->uses;
    return best;
}

template <typename Entry>
void ObjectCache<Entry>::release(int32_t index)
{
    if (index < 0 || index >= count)
        return;
    if (--entries[index]->uses < 1)
        entries[index]->delete_object();
}

template <typename Entry>
HGDIOBJ ObjectCache<Entry>::object(int32_t index)
{
    if (index < 0 || index >= count)
        return nullptr;
    Entry* entry = entries[index];
    if (entry->handle == nullptr)
        entry->make_object();
    return entry->handle;
}

template <typename Entry>
Colour ObjectCache<Entry>::colour_of(int32_t index) const
{
    return index < 0 || index >= count ? 0 : entries[index]->colour;
}

template <typename Entry>
void ObjectCache<Entry>::delete_objects()
{
    for (int32_t i = 0; i < count; ++i)
        entries[i]->delete_object();
}

template <typename Entry>
void ObjectCache<Entry>::free_all()
{
    for (int32_t i = 0; i < count; ++i) {
        entries[i]->uses = 0;
        entries[i]->delete_object();
        FreeVec(entries[i]);
    }
    FreeVec(entries);
    entries = nullptr;
    capacity = 0;
    count = 0;
}

void PenEntry::make_object()
{
    if (colour == ColourNone) {
        handle = GetStockObject(NULL_PEN);
        return;
    }
    const int pen_style = style > 6 ? PS_SOLID : static_cast<int>(style);
    handle = CreatePen(pen_style, width, ColourToRGB(static_cast<int32_t>(colour)));
}

void PenEntry::delete_object()
{
    if (handle != nullptr)
        DeleteObject(handle);
    handle = nullptr;
}

void BrushEntry::make_object()
{
    if (colour == ColourNone) {
        handle = GetStockObject(NULL_BRUSH);
        return;
    }
    LOGBRUSH record{};
    record.lbColor = ColourToRGB(static_cast<int32_t>(colour));
    if (style == 0) {
        record.lbStyle = BS_SOLID;
    } else if (style == 1) {
        record.lbStyle = BS_NULL;
    } else {
        record.lbStyle = BS_HATCHED;
        record.lbHatch = style - 2;
    }
    handle = CreateBrushIndirect(&record);
}

void BrushEntry::delete_object()
{
    if (handle != nullptr)
        DeleteObject(handle);
    handle = nullptr;
}

template struct ObjectCache<PenEntry>;
template struct ObjectCache<BrushEntry>;

PenCache g_pens;
BrushCache g_brushes;

void init_pen_cache()
{
    if (g_pens.capacity != 0 || !g_pens.grow())
        return;
    for (const Colour colour : kStandardPens)
        g_pens.obtain(PenEntry::key(colour, 1, 0));
}

void init_brush_cache()
{
    if (g_brushes.capacity != 0 || !g_brushes.grow())
        return;
    for (const Colour colour : kStandardBrushes)
        g_brushes.obtain(BrushEntry::key(colour, 0));
}

}

extern "C" OSMARK_API uint32_t ColourToRGB(int32_t colour) noexcept
{
    if (colour >= 0)
        return static_cast<uint32_t>(colour);
    return GetSysColor(static_cast<int>(static_cast<uint32_t>(colour) & 0xFFu));
}
