// Clip units: the desktop's clipboard (unit 1) and private units kept as files under
// "ENV:system\clips", the clip formats, and bitmaps as packed DIBs.

#include "graphics_internal.h"

#include "osmark/clipboard.h"
#include "osmark/directories.h"
#include "osmark/errors.h"
#include "osmark/exit_list.h"
#include "osmark/files.h"
#include "osmark/gui_services.h"
#include "osmark/library.h"
#include "osmark/paths.h"
#include "osmark/patterns.h"
#include "osmark/strings.h"
#include "platform/clipboard.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <vector>

namespace {

using namespace osmark::graphics;

constexpr char kClipFolder[] = "ENV:system\\clips";
constexpr int32_t kSystemUnit = 1;
constexpr int32_t kFirstPrivateUnit = 100;
constexpr uint32_t kPathSize = 512;

struct ClipFormat {
    int32_t id;
    uint32_t system_format;
    std::string name;
};

struct ClipUnit {
    int32_t id;
    std::string name;
    std::string pattern;
    int32_t uses;
    int32_t written;
};

bool g_started = false;
std::vector<ClipFormat>* g_formats = nullptr;
std::vector<ClipUnit>* g_units = nullptr;

struct SystemClipboard {
    int32_t open_count = 0;
    bool emptied = false;
    Window* window = nullptr;
    Window* own_window = nullptr;
} g_system;

bool is_system(const char* unit)
{
    return unit == nullptr || unit[0] == '\0';
}

const ClipFormat* format_of(int32_t id)
{
    if (g_formats == nullptr)
        return nullptr;
    for (const ClipFormat& format : *g_formats) {
        if (format.id == id)
            return &format;
    }
    return nullptr;
}

ClipUnit* unit_named(const char* name)
{
    if (g_units == nullptr)
        return nullptr;
    for (ClipUnit& unit : *g_units) {
        if (StriCmp(unit.name.c_str(), name) == 0)
            return &unit;
    }
    return nullptr;
}

ClipUnit* unit_with_id(int32_t id)
{
    if (g_units == nullptr)
        return nullptr;
    for (ClipUnit& unit : *g_units) {
        if (unit.id == id)
            return &unit;
    }
    return nullptr;
}

// 100 plus the unit's position, or, when a unit still has that number, the first
// number from 100 on that no unit has.
int32_t free_unit_id(size_t position)
{
    int32_t id = kFirstPrivateUnit + static_cast<int32_t>(position);
    if (unit_with_id(id) == nullptr)
        return id;
    for (id = kFirstPrivateUnit; unit_with_id(id) != nullptr; ++id) {
    }
    return id;
}

int32_t create_clip_unit(const char* name)
{
    try {
        if (g_units == nullptr)
            g_units = new std::vector<ClipUnit>();
        CreateDir(kClipFolder);
        char pattern[kPathSize];
        std::snprintf(pattern, sizeof pattern, "%s", kClipFolder);
        if (AddPart(pattern, name, sizeof pattern) == 0)
            return 0;
        std::string with_suffix = std::string(pattern) + ".*";
        const int32_t id = free_unit_id(g_units->size());
        g_units->push_back(ClipUnit{id, name, std::move(with_suffix), 1, 0});
        return id;
    } catch (const std::bad_alloc&) {
        return 0;
    }
}

// Calls visit(path) for every file of the unit; a false answer stops the walk.
template <typename Visit>
void walk_clip_unit_files(const ClipUnit& unit, Visit&& visit)
{
    MatchAnchor anchor{};
    anchor.ma_Mask = 16; // folders are skipped
    if (MatchFirst(unit.pattern.c_str(), anchor.ma_Mask, &anchor) != 0)
        return;
    do {
        char path[kPathSize];
        std::snprintf(path, sizeof path, "%s", kClipFolder);
        if (AddPart(path, anchor.ma_Info.fib_Name, sizeof path) != 0 && !visit(std::string(path)))
            break;
    } while (MatchNext(&anchor) == 0);
    MatchEnd(&anchor);
}

bool file_has_format(const std::string& path, int32_t format)
{
    FileHandle* file = Open(path.c_str(), FileModeRead);
    if (file == nullptr)
        return false;
    uint8_t id[4];
    const bool match =
        FRead(file, id, 4, 1) == 1 &&
        static_cast<int32_t>(uint32_t{id[0]} | (uint32_t{id[1]} << 8) | (uint32_t{id[2]} << 16) |
                             (uint32_t{id[3]} << 24)) == format;
    Close(file);
    return match;
}

std::string find_clip_format_file(const ClipUnit& unit, int32_t format)
{
    std::string found;
    walk_clip_unit_files(unit, [&](const std::string& path) {
        if (!file_has_format(path, format))
            return true;
        found = path;
        return false;
    });
    return found;
}

// The unit's next file: one above the highest number suffix, or ".0".
std::string next_clip_file_name(const ClipUnit& unit)
{
    long highest = -1;
    walk_clip_unit_files(unit, [&](const std::string& path) {
        const size_t dot = path.rfind('.');
        if (dot != std::string::npos && dot + 1 < path.size()) {
            char* end = nullptr;
            const long number = std::strtol(path.c_str() + dot + 1, &end, 10);
            if (end != nullptr && *end == '\0' && number > highest)
                highest = number;
        }
        return true;
    });
    char path[kPathSize];
    std::snprintf(path, sizeof path, "%s", kClipFolder);
    AddPart(path, unit.name.c_str(), sizeof path);
    return std::string(path) + "." + std::to_string(highest + 1);
}

void delete_unit_files(const ClipUnit& unit)
{
    std::vector<std::string> paths;
    try {
        walk_clip_unit_files(unit, [&](const std::string& path) {
            paths.push_back(path);
            return true;
        });
    } catch (const std::bad_alloc&) {
        return;
    }
    for (const std::string& path : paths)
        DeleteFile_(path.c_str());
}

void clean_up_clipboard()
{
    if (g_system.open_count > 0) {
        g_system.open_count = 1;
        CloseClip(kSystemUnit);
    }
    delete g_units;
    g_units = nullptr;
    delete g_formats;
    g_formats = nullptr;
    g_started = false;
}

uint32_t u32(const uint8_t* p)
{
    return uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
}

void put32(uint8_t* p, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(value >> (8 * i));
}

}

namespace osmark::graphics {

BitMap* bitmap_from_packed_dib(const uint8_t* data, uint32_t size)
{
    constexpr uint32_t kHeader = 40;
    if (data == nullptr || size < kHeader || u32(data) != kHeader)
        return nullptr;
    struct {
        BITMAPINFOHEADER header;
        uint32_t table[256];
    } info{};
    info.header.biSize = sizeof(BITMAPINFOHEADER);
    info.header.biWidth = static_cast<int32_t>(u32(data + 4));
    info.header.biHeight = static_cast<int32_t>(u32(data + 8));
    info.header.biPlanes = static_cast<WORD>(data[12] | (data[13] << 8));
    info.header.biBitCount = static_cast<WORD>(data[14] | (data[15] << 8));
    info.header.biCompression = u32(data + 16);
    const uint32_t used = u32(data + 32);
    const int bits = info.header.biBitCount;
    const uint32_t compression = info.header.biCompression;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        return nullptr;
    // Compressed rows are refused; bit fields come with 16 and 32 bits.
    if (compression != BI_RGB && !(compression == BI_BITFIELDS && (bits == 16 || bits == 32)))
        return nullptr;
    const int64_t width = info.header.biWidth;
    const int64_t height =
        info.header.biHeight < 0 ? -int64_t{info.header.biHeight} : info.header.biHeight;
    if (width <= 0 || height <= 0 || width > 65536 || height > 65536 ||
        width * height > (int64_t{1} << 28))
        return nullptr;
    uint64_t table_bytes = 0;
    if (bits <= 8) {
        const uint32_t full = 1u << bits;
        const uint32_t entries = used == 0 ? full : std::min(used, full);
        table_bytes = uint64_t{entries} * 4;
        info.header.biClrUsed = entries;
    } else if (compression == BI_BITFIELDS) {
        table_bytes = 12;
    } else {
        // A table that 16 to 32 bits do not use may still be there.
        table_bytes = uint64_t{std::min<uint32_t>(used, 256)} * 4;
    }
    const uint64_t stride =
        (static_cast<uint64_t>(bits) * static_cast<uint64_t>(width) + 31) / 32 * 4;
    if (kHeader + table_bytes + stride * static_cast<uint64_t>(height) > size)
        return nullptr;
    if (bits <= 8 || compression == BI_BITFIELDS)
        std::memcpy(info.table, data + kHeader, static_cast<size_t>(table_bytes));
    const uint8_t* rows = data + kHeader + table_bytes;

    HDC dc = CreateCompatibleDC(nullptr);
    if (dc == nullptr)
        return nullptr;
    DibHeader section_info{};
    section_info.header.biSize = sizeof(BITMAPINFOHEADER);
    section_info.header.biWidth = static_cast<LONG>(width);
    section_info.header.biHeight = -static_cast<LONG>(height);
    section_info.header.biPlanes = 1;
    section_info.header.biBitCount = bits == 1 ? 1 : 32;
    section_info.colours[1] = RGBQUAD{255, 255, 255, 0};
    void* section_bits = nullptr;
    HBITMAP section = CreateDIBSection(dc, reinterpret_cast<const BITMAPINFO*>(&section_info),
                                       DIB_RGB_COLORS, &section_bits, nullptr, 0);
    BitMap* result = nullptr;
    if (section != nullptr) {
        HGDIOBJ previous = SelectObject(dc, section);
        if (SetDIBits(dc, section, 0, static_cast<UINT>(height), rows,
                      reinterpret_cast<const BITMAPINFO*>(&info), DIB_RGB_COLORS) != 0) {
            GdiFlush();
            result = bits == 1 ? AllocBitMask(static_cast<uint32_t>(width),
                                              static_cast<uint32_t>(height), nullptr)
                               : AllocBitMap(static_cast<int32_t>(width),
                                             static_cast<int32_t>(height), nullptr);
            if (result != nullptr)
                CopyDIBToBitMap(section, result);
        }
        SelectObject(dc, previous);
        DeleteObject(section);
    }
    DeleteDC(dc);
    return result;
}

}

extern "C" {

OSMARK_API int32_t OpenClip(const char* unit) noexcept
{
    if (!is_system(unit)) {
        if (ClipUnit* found = unit_named(unit); found != nullptr) {
            ++found->uses;
            return found->id;
        }
        return create_clip_unit(unit);
    }
    if (g_system.open_count == 0) {
        Window* window = GetFirstWindow();
        if (window == nullptr) {
            g_system.own_window = OpenWindowTagList(nullptr);
            window = g_system.own_window;
        }
        g_system.window = window;
        OpenClipboard(window != nullptr ? window->win_Handle : nullptr);
        g_system.emptied = false;
    }
    ++g_system.open_count;
    return kSystemUnit;
}

OSMARK_API void CloseClip(int32_t unit_id) noexcept
{
    if (unit_id == kSystemUnit) {
        if (g_system.open_count > 0 && --g_system.open_count == 0) {
            CloseClipboard();
            if (g_system.own_window != nullptr) {
                CloseWindow_(g_system.own_window);
                g_system.own_window = nullptr;
            }
            g_system.window = nullptr;
        }
        return;
    }
    if (g_units == nullptr)
        return;
    for (auto unit = g_units->begin(); unit != g_units->end(); ++unit) {
        if (unit->id != unit_id)
            continue;
        if (--unit->uses < 1)
            g_units->erase(unit);
        return;
    }
}

OSMARK_API void ClearClip(const char* unit) noexcept
{
    if (is_system(unit)) {
        const int32_t id = OpenClip(nullptr);
        EmptyClipboard();
        CloseClip(id);
        return;
    }
    const int32_t id = OpenClip(unit);
    if (ClipUnit* found = unit_with_id(id); found != nullptr)
        delete_unit_files(*found);
    CloseClip(id);
}

OSMARK_API int32_t WriteClip(const char* unit, int32_t format, const void* data,
                             uint32_t size) noexcept
{
    const ClipFormat* clip_format = format_of(format);
    if (clip_format == nullptr) {
        SetIoErr(IoErrRequiredArgMissing);
        return 0;
    }
    const int32_t id = OpenClip(unit);
    int32_t result = 0;
    if (id == kSystemUnit) {
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, size);
        if (block != nullptr) {
            void* memory = GlobalLock(block);
            if (memory == nullptr) {
                GlobalFree(block);
            } else {
                if (size > 0 && data != nullptr)
                    std::memcpy(memory, data, size);
                GlobalUnlock(block);
                if (!g_system.emptied) {
                    EmptyClipboard();
                    g_system.emptied = true;
                }
                if (SetClipboardData(clip_format->system_format, block) != nullptr)
                    result = 1;
                else
                    GlobalFree(block);
            }
        }
        CloseClip(id);
        return result;
    }
    ClipUnit* found = unit_with_id(id);
    if (found != nullptr) {
        try {
            // The first write of a newly made unit replaces what its files held.
            if (found->uses > 0 && found->written == 0) {
                delete_unit_files(*found);
                found->written = 1;
            }
            std::string path = find_clip_format_file(*found, format);
            if (path.empty())
                path = next_clip_file_name(*found);
            if (FileHandle* file = Open(path.c_str(), FileModeWrite); file != nullptr) {
                uint8_t header[4];
                put32(header, static_cast<uint32_t>(format));
                FWrite(file, header, 4, 1);
                if (size > 0 && data != nullptr)
                    FWrite(file, data, size, 1);
                Close(file);
                result = 1;
            }
        } catch (const std::bad_alloc&) {
            result = 0;
        }
    }
    CloseClip(id);
    return result;
}

OSMARK_API void* ReadClip(const char* unit, int32_t format, uint32_t* size) noexcept
{
    const ClipFormat* clip_format = format_of(format);
    if (clip_format == nullptr) {
        SetIoErr(IoErrRequiredArgMissing);
        return nullptr;
    }
    const int32_t id = OpenClip(unit);
    void* result = nullptr;
    if (id == kSystemUnit) {
        if (HANDLE block = GetClipboardData(clip_format->system_format); block != nullptr) {
            const SIZE_T bytes = GlobalSize(block);
            const void* memory = GlobalLock(block);
            if (memory != nullptr && bytes <= 0x7FFFFFFFu) {
                result = AllocVec(static_cast<uint32_t>(std::max<SIZE_T>(bytes, 1)));
                if (result != nullptr) {
                    std::memcpy(result, memory, bytes);
                    if (size != nullptr)
                        *size = static_cast<uint32_t>(bytes);
                }
            }
            GlobalUnlock(block);
        }
        CloseClip(id);
        return result;
    }
    if (ClipUnit* found = unit_with_id(id); found != nullptr) {
        try {
            const std::string path = find_clip_format_file(*found, format);
            FileHandle* file = path.empty() ? nullptr : Open(path.c_str(), FileModeRead);
            if (file != nullptr) {
                FileInfoBlock info{};
                uint8_t header[4];
                if (FRead(file, header, 4, 1) == 1 && static_cast<int32_t>(u32(header)) == format &&
                    ExamineFH(file, &info) != 0 && info.fib_Size > 4) {
                    const uint32_t bytes = info.fib_Size - 4;
                    result = AllocVec(bytes);
                    if (result != nullptr && FRead(file, result, bytes, 1) != 1) {
                        FreeVec(result);
                        result = nullptr;
                    }
                    if (result != nullptr && size != nullptr)
                        *size = bytes;
                }
                Close(file);
            }
        } catch (const std::bad_alloc&) {
            result = nullptr;
        }
    }
    CloseClip(id);
    return result;
}

OSMARK_API int32_t ClipHasFormat(const char* unit, int32_t format) noexcept
{
    const ClipFormat* clip_format = format_of(format);
    if (clip_format == nullptr) {
        SetIoErr(IoErrRequiredArgMissing);
        return 0;
    }
    if (is_system(unit))
        return IsClipboardFormatAvailable(clip_format->system_format) != FALSE ? 1 : 0;
    const int32_t id = OpenClip(unit);
    int32_t has = 0;
    if (ClipUnit* found = unit_with_id(id); found != nullptr) {
        try {
            has = find_clip_format_file(*found, format).empty() ? 0 : 1;
        } catch (const std::bad_alloc&) {
            has = 0;
        }
    }
    CloseClip(id);
    return has;
}

OSMARK_API int32_t WriteTextToClip(const char* unit, const char* text) noexcept
{
    if (text == nullptr)
        return 0;
    return WriteClip(unit, ClipFormatText, text, static_cast<uint32_t>(std::strlen(text) + 1));
}

OSMARK_API char* ReadTextFromClip(const char* unit) noexcept
{
    return static_cast<char*>(ReadClip(unit, ClipFormatText, nullptr));
}

OSMARK_API int32_t WriteBitMapToClip(const char* unit, const BitMap* bitmap) noexcept
{
    if (bitmap == nullptr || bitmap->bm_Pixels == nullptr)
        return 0;
    const bool mask = is_mask(bitmap);
    const uint32_t row_bytes = bitmap_row_bytes(bitmap);
    const uint32_t table = mask ? 8 : 0;
    const uint64_t size =
        40 + table + uint64_t{row_bytes} * static_cast<uint32_t>(bitmap->bm_Height);
    if (size > 0x7FFFFFFFu)
        return 0;
    auto* block = static_cast<uint8_t*>(AllocVec(static_cast<uint32_t>(size)));
    if (block == nullptr)
        return 0;
    std::memset(block, 0, 40 + table);
    put32(block, 40);
    put32(block + 4, static_cast<uint32_t>(bitmap->bm_Width));
    put32(block + 8, static_cast<uint32_t>(bitmap->bm_Height));
    block[12] = 1;
    block[14] = mask ? 1 : 32;
    if (mask) {
        block[44] = 255;
        block[45] = 255;
        block[46] = 255;
    }
    uint8_t* out = block + 40 + table;
    for (int32_t y = bitmap->bm_Height - 1; y >= 0; --y, out += row_bytes)
        std::memcpy(out,
                    static_cast<const uint8_t*>(bitmap->bm_Pixels) +
                        static_cast<size_t>(y) * row_bytes,
                    row_bytes);
    const int32_t written = WriteClip(unit, ClipFormatBitMap, block, static_cast<uint32_t>(size));
    FreeVec(block);
    return written;
}

OSMARK_API BitMap* ReadBitMapFromClip(const char* unit) noexcept
{
    uint32_t size = 0;
    auto* data = static_cast<uint8_t*>(ReadClip(unit, ClipFormatBitMap, &size));
    if (data == nullptr)
        return nullptr;
    BitMap* bitmap = bitmap_from_packed_dib(data, size);
    FreeVec(data);
    return bitmap;
}

OSMARK_API int32_t NewClipFormat(const char* name) noexcept
{
    if (name == nullptr || !g_started || g_formats == nullptr)
        return -1;
    const UINT number = RegisterClipboardFormatA(name);
    if (number == 0)
        return -1;
    if (format_of(static_cast<int32_t>(number)) != nullptr)
        return static_cast<int32_t>(number);
    try {
        g_formats->push_back(ClipFormat{static_cast<int32_t>(number), number, name});
        return static_cast<int32_t>(number);
    } catch (const std::bad_alloc&) {
        return -1;
    }
}

OSMARK_API void InitialiseClipFormats(void) noexcept
{
    g_system = SystemClipboard{};
    try {
        g_formats = new std::vector<ClipFormat>{
            {ClipFormatIFF, RegisterClipboardFormatA("Interchange File Format Clip"),
             "Interchange File Format Clip"},
            {ClipFormatText, CF_TEXT, "Text Format Clip"},
            {ClipFormatBitMap, CF_DIB, "BitMap Format Clip"}};
    } catch (const std::bad_alloc&) {
        g_formats = nullptr;
    }
    g_started = true;
    AddExitProc(&LibraryExitList, clean_up_clipboard);
}
}
