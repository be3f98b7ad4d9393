// The OS handler's caches and its per-port bytes.
#ifndef OSMARK_GUI_GDI_HANDLER_INTERNAL_H
#define OSMARK_GUI_GDI_HANDLER_INTERNAL_H

#include "graphics_internal.h"

namespace osmark::graphics {

struct PenEntry {
    int32_t uses;
    HGDIOBJ handle; // made on demand
    uint16_t width;
    uint32_t style;
    Colour colour;

    static PenEntry key(Colour colour, uint16_t width, uint32_t style)
    {
        return PenEntry{0, nullptr, width, style, colour};
    }
    bool same_key(const PenEntry& other) const
    {
        return colour == other.colour && width == other.width && style == other.style;
    }
    void set_key(const PenEntry& other)
    {
        colour = other.colour;
        width = other.width;
        style = other.style;
    }
    void make_object();
    void delete_object();
};

struct BrushEntry {
    int32_t uses;
    HGDIOBJ handle;
    uint32_t style;
    Colour colour;

    static BrushEntry key(Colour colour, uint32_t style)
    {
        return BrushEntry{0, nullptr, style, colour};
    }
    bool same_key(const BrushEntry& other) const
    {
        return colour == other.colour && style == other.style;
    }
    void set_key(const BrushEntry& other)
    {
        colour = other.colour;
        style = other.style;
    }
    void make_object();
    void delete_object();
};

// A table of entries that only grows while the cache lives; an entry without uses
// loses its object and may take another key.
template <typename Entry>
struct ObjectCache {
    Entry** entries = nullptr;
    int32_t capacity = 0;
    int32_t count = 0;

    bool grow();
    // The index of an entry with the key (a new use), or of the nearest colour when
    // the table is full and cannot grow; -1 for an empty cache.
    int32_t obtain(const Entry& key);
    int32_t nearest(Colour colour);
    void release(int32_t index);
    HGDIOBJ object(int32_t index);
    Colour colour_of(int32_t index) const;
    void delete_objects();
    void free_all();
};

using PenCache = ObjectCache<PenEntry>;
using BrushCache = ObjectCache<BrushEntry>;

extern PenCache g_pens;
extern BrushCache g_brushes;
void init_pen_cache();
void init_brush_cache();

// The bytes the handler keeps after each of its ports.
struct OSPortData {
    int32_t pen_index;
    int32_t brush_index;
};

inline OSPortData& port_data(RastPort* rp)
{
    return *static_cast<OSPortData*>(port_extra(rp));
}

}

#endif
