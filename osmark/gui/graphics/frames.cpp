// Frames: the catalogue with its built-in frames, the program interpreter with its mask
// layers, hit tests, margins and palettes.

#include "core/runtime/make_error.h"
#include "frames_internal.h"
#include "graphics_internal.h"
#include "osmark/banded_fills.h"
#include "osmark/blits.h"
#include "osmark/exit_list.h"
#include "osmark/gui_services.h"
#include "osmark/library.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <new>
#include <string>
#include <vector>

namespace osmark::graphics {
namespace {

std::vector<Frame*>* g_catalogue = nullptr;

// ---- Built-in frames ----------------------------------------------------------------

constexpr uint32_t kPaletteSize = 20;
constexpr Colour kStandardPalette[kPaletteSize] = {
    0x80000014, 0x80000015, 0x80000016, 0x80000010, 0x8000000F, 0x8000000F, 0x80000012,
    0x8000000F, 0x8000000F, 0x80000012, 0x8000000F, 0x8000000F, 0x80000012, 0x8000000F,
    0x8000000F, 0x80000012, 0x00000000, 0x00000000, 0x00000000, 0x00000000,
};

// The programs, as frame-file command lines separated by semicolons.
constexpr const char* kPrograms[] = {
    /* B1 */ "AP 4; BP 4; PD; R 0 1 0 0 3 0 0 3",
    /* B2 */ "AP 1; M 2 1 0 0 1; PD; M 2 2 -1 0 1; M 3 3 -1 -1 1; M 4 4 0 -1 1; M 1 1 0 0 1",
    /* B3 */ "AP 4; BP 4; PD; R 0 1 1 1 3 -1 -1 3",
    /* B4 */ "AP 0; M 2 1 0 0 1; PD; M 2 2 -1 0 1; M 3 3 -1 -1 1; M 4 4 0 -1 1; M 1 1 0 0 1",
    /* B5 */ "AP 7; BP 7; PD; R 0 1 1 1 3 -1 -1 3",
    /* B6 */
    "AP 0; M 1 4 0 -2 1; PD; M 1 1 0 0 1; M 2 2 -1 0 1; AP 1; M 3 3 -1 -1 1; M 4 4 -1 -1 1",
    /* B7 */
    "AP 1; M 1 4 0 -2 1; PD; M 1 1 0 0 1; M 2 2 -1 0 1; AP 0; M 3 3 -1 -1 1; M 4 4 -1 -1 1",
    /* B8 */
    "AP 2; M 1 4 0 -2 1; PD; M 1 1 0 0 1; M 2 2 -1 0 1; AP 1; M 3 3 -1 -1 1; M 4 4 -1 -1 1; PU; "
    "AP 0; M 1 4 1 -3 0; PD; M 1 1 1 1 0; M 2 2 -2 1 0; AP 3; M 3 3 -2 -2 0; M 4 4 0 -2 0",
    /* B9 */
    "AP 1; M 1 4 0 -2 1; PD; M 1 1 0 0 1; M 2 2 -1 0 1; AP 2; M 3 3 -1 -1 1; M 4 4 -1 -1 1; PU; "
    "AP 3; M 1 4 1 -3 0; PD; M 1 1 1 1 0; M 2 2 -2 1 0; AP 0; M 3 3 -2 -2 0; M 4 4 0 -2 0",
    /* B10 */
    "AP 3; M 1 4 1 -3 1; PD; M 1 1 1 1 1; M 2 2 -2 1 1; PU; M 3 2 -1 0 1; PD; M 3 3 -1 -1 1; "
    "M 4 4 -1 -1 1; PU; AP 0; M 1 4 0 -2 1; PD; M 1 1 0 0 1; M 2 2 -2 0 1; M 3 3 -2 -2 1; "
    "M 4 4 0 -2 1",
    /* B11 */
    "AP 0; M 1 4 1 -3 1; PD; M 1 1 1 1 1; M 2 2 -2 1 1; PU; M 3 2 -1 0 1; PD; M 3 3 -1 -1 1; "
    "M 4 4 -1 -1 1; PU; AP 3; M 1 4 0 -2 1; PD; M 1 1 0 0 1; M 2 2 -2 0 1; M 3 3 -2 -2 1; "
    "M 4 4 0 -2 1",
    /* B12 */
    "AP 0; M 1 4 0 -2 1; PD; M 1 1 0 0 1; M 2 2 -1 0 1; AP 1; M 3 3 -1 -1 1; M 4 4 -1 -1 1; PU; "
    "AP 1; M 1 4 2 -4 1; PD; M 1 1 2 2 1; M 2 2 -3 2 1; AP 2; M 3 3 -3 -3 1; M 4 4 1 -3 1; PU; "
    "AP 3; M 1 4 3 -5 0; PD; M 1 1 3 3 0; M 2 2 -4 3 0; AP 0; M 3 3 -4 -4 0; M 4 4 2 -4 0",
    /* B13 */ "AP 4; BP 4; PD; R 0 1 3 3 3 -3 -3 3",
    /* B14 */
    "AP 20; M 1 4 0 -1 1; PD; M 1 1 0 0 1; M 2 2 -1 0 1; M 3 3 -1 -1 1; M 4 4 0 -1 1; PU; AP 2; "
    "M 1 4 1 -3 1; PD; M 1 1 1 1 1; M 2 2 -2 1 1; AP 1; M 3 3 -2 -2 1; M 4 4 0 -2 1; PU; AP 0; "
    "M 1 4 2 -4 0; PD; M 1 1 2 2 0; M 2 2 -3 2 0; AP 3; M 3 3 -3 -3 0; M 4 4 1 -3 0",
    /* B15 */ "AP 4; BP 4; PD; R 0 1 2 2 3 -2 -2 3",
    /* B16 */
    "AP 20; M 1 4 0 -1 1; PD; M 1 1 0 0 1; M 2 2 -1 0 1; M 3 3 -1 -1 1; M 4 4 0 -1 1; PU; AP 1; "
    "M 1 4 1 -3 1; PD; M 1 1 1 1 1; M 2 2 -2 1 1; AP 2; M 3 3 -2 -2 1; M 4 4 0 -2 1; PU; AP 3; "
    "M 1 4 2 -4 0; PD; M 1 1 2 2 0; M 2 2 -3 2 0; AP 0; M 3 3 -3 -3 0; M 4 4 1 -3 0",
    /* B17 */ "AP 7; BP 7; PD; R 0 1 2 2 3 -2 -2 3",
    /* B18 */
    "AP 0; M 1 4 0 -2 1; PD; M 1 1 0 0 1; M 2 2 -1 0 1; AP 1; M 3 3 -1 -1 1; M 4 4 -1 -1 1; PU; "
    "AP 2; M 1 4 2 -4 1; PD; M 1 1 2 2 1; M 2 2 -3 2 1; AP 1; M 3 3 -3 -3 1; M 4 4 1 -3 1; PU; "
    "AP 0; M 1 4 3 -5 0; PD; M 1 1 3 3 0; M 2 2 -4 3 0; AP 3; M 3 3 -4 -4 0; M 4 4 2 -4 0",
    /* B19 */ "AP 7; BP 7; PD; R 0 1 3 3 3 -3 -3 3",
    /* B20 */
    "AP 1; M 1 4 1 -3 1; PD; M 1 1 1 1 1; M 2 2 -2 1 1; PU; M 3 2 -1 0 1; PD; M 3 3 -1 -1 1; "
    "M 4 4 -1 -1 1; PU; AP 0; M 1 4 0 -2 1; PD; M 1 1 0 0 1; M 2 2 -2 0 1; M 3 3 -2 -2 1; "
    "M 4 4 0 -2 1",
    /* B21 */
    "AP 0; M 1 4 1 -3 1; PD; M 1 1 1 1 1; M 2 2 -2 1 1; PU; M 3 2 -1 0 1; PD; M 3 3 -1 -1 1; "
    "M 4 4 -1 -1 1; PU; AP 1; M 1 4 0 -2 1; PD; M 1 1 0 0 1; M 2 2 -2 0 1; M 3 3 -2 -2 1; "
    "M 4 4 0 -2 1",
    /* B22 */
    "AP 7; BP 7; PD; R 0 1 1 1 3 -1 -1 3; AP 9; BP 9; "
    "P 0 1 3 3 3 -4 -4 3 6 100 0 100 43 43 100 0 72 0 44 43 72",
    /* B23 */ "AP 10; BP 10; PD; R 0 1 1 1 3 -1 -1 3",
    /* B24 */
    "AP 10; BP 10; PD; R 0 1 1 1 3 -1 -1 3; AP 12; BP 12; "
    "P 0 1 3 3 3 -4 -4 3 6 100 0 100 43 43 100 0 72 0 44 43 72",
    /* B25 */
    "PD; AP 3; A 1 1 0 0 3 0 0 4500 18000 1; AP 0; A 3 1 0 0 3 0 0 22500 18000 1; AP 1; "
    "A 1 1 1 1 3 -1 -1 4500 18000 0; AP 2; A 3 1 1 1 3 -1 -1 22500 18000 0",
    /* B26 */ "AP 4; BP 4; PD; A 0 1 1 1 3 -1 -1 0 36000 3",
    /* B27 */
    "AP 7; BP 7; PD; A 0 1 1 1 3 -1 -1 0 36000 3; AP 9; BP 9; A 0 1 4 4 3 -4 -4 0 36000 3",
    /* B28 */ "AP 10; BP 10; PD; A 0 1 1 1 3 -1 -1 0 36000 3",
    /* B29 */
    "AP 10; BP 10; PD; A 0 1 1 1 3 -1 -1 0 36000 3; AP 12; BP 12; A 0 1 4 4 3 -4 -4 0 36000 3",
    /* B30 */ "",
    /* B31 */ "AP 4; BP 4; PD; R 1 1 0 0 3 0 0 3",
    /* B32 */ "AP 13; BP 13; PD; R 0 1 1 1 3 -1 -1 3",
    /* B33 */
    "AP 2; M 1 4 2 -1 1; PD; M 1 4 0 -3 1; M 1 1 0 2 1; M 1 1 1 2 1; M 1 1 1 1 1; M 1 1 2 1 1; "
    "M 1 1 2 0 1; M 2 2 -3 0 1; M 3 2 -1 2 1; M 3 2 -1 3 1; AP 1; M 3 3 -1 -3 1; M 3 3 -3 -1 1; "
    "M 4 4 2 -1 1; PU; AP 0; M 1 4 1 -3 0; PD; M 1 1 1 3 0; M 1 1 3 1 0; M 2 2 -2 1 0; PU; AP 3; "
    "M 3 2 -3 2 0; PD; M 3 2 -2 2 0; M 3 3 -2 -3 0; M 3 3 -3 -3 0; M 3 3 -3 -2 0; M 4 4 2 -2 0; "
    "M 4 4 2 -4 0",
    /* B34 */ "AP 4; BP 4; PD; RR 0 1 1 1 3 -1 -1 2 2 3",
    /* B35 */
    "AP 1; M 1 4 2 -1 1; PD; M 1 4 0 -3 1; M 1 1 0 2 1; M 1 1 1 2 1; M 1 1 1 1 1; M 1 1 2 1 1; "
    "M 1 1 2 0 1; M 2 2 -3 0 1; M 3 2 -1 2 1; M 3 2 -1 3 1; AP 2; M 3 3 -1 -3 1; M 3 3 -3 -1 1; "
    "M 4 4 2 -1 1; PU; AP 3; M 1 4 1 -3 0; PD; M 1 1 1 3 0; M 1 1 3 1 0; M 2 2 -2 1 0; PU; AP 0; "
    "M 3 2 -3 2 0; PD; M 3 2 -2 2 0; M 3 3 -2 -3 0; M 3 3 -3 -3 0; M 3 3 -3 -2 0; M 4 4 2 -2 0; "
    "M 4 4 2 -4 0",
    /* B36 */ "AP 7; BP 7; PD; RR 0 1 1 1 3 -1 -1 2 2 3",
};
constexpr int kProgramCount = static_cast<int>(std::size(kPrograms));

struct PaletteChange {
    int index;
    Colour colour;
};

struct BuiltIn {
    uint32_t id;
    const char* name;
    int32_t margin;
    // Program numbers (B1 is 1) of the slots, 0 for none.
    std::array<int, FRAME_SLOTS> programs;
    std::array<PaletteChange, 7> changes; // index -1 ends
};

constexpr PaletteChange kNoChange{-1, 0};
constexpr std::array<PaletteChange, 7> kStandard = {kNoChange, kNoChange, kNoChange, kNoChange,
                                                    kNoChange, kNoChange, kNoChange};
constexpr std::array<PaletteChange, 7> kCheckMarks = {
    PaletteChange{4, 0x80000005}, PaletteChange{5, 0x80000005},  PaletteChange{7, 0x80000005},
    PaletteChange{8, 0x80000005}, PaletteChange{12, 0x80000011}, PaletteChange{13, 0x80000005},
    PaletteChange{14, 0x80000005}};

// Slots: NORMAL, NORMAL_FILL, SELECTED, SELECTED_FILL, DISABLED, DISABLED_FILL,
// INDETERMINATE, INDETERMINATE_FILL, DISABLED_SELECTED, DISABLED_SELECTED_FILL, the two
// DISABLED_INDETERMINATE slots and SELECT.
const BuiltIn kBuiltIns[] = {
    {0, "None Frame", 0, {0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, kStandard},
    {7, "Box Frame", 1, {2, 3, 4, 5, 0, 0, 0, 0, 0, 0, 0, 0, 0}, kStandard},
    {1, "Default Frame", 1, {6, 3, 7, 5, 0, 0, 0, 0, 0, 0, 0, 0, 0}, kStandard},
    {2, "Button Frame", 2, {8, 3, 9, 5, 0, 0, 0, 0, 0, 0, 0, 0, 0}, kStandard},
    {3, "Ridge Frame", 2, {10, 3, 11, 5, 0, 0, 0, 0, 0, 0, 0, 0, 0}, kStandard},
    {4, "An Icon drop Box", 4, {12, 13, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, kStandard},
    {5,
     "Button Frame With Black Border",
     3,
     {14, 15, 16, 17, 0, 0, 0, 0, 0, 0, 0, 0, 0},
     {PaletteChange{20, 0x00000000}, kNoChange, kNoChange, kNoChange, kNoChange, kNoChange,
      kNoChange}},
    {6,
     "Button Frame With Recessed Outer Frame",
     4,
     {18, 13, 12, 19, 0, 0, 0, 0, 0, 0, 0, 0, 0},
     kStandard},
    {8, "Knob Frame", 2, {8, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, kStandard},
    {9, "String Frame", 2, {20, 3, 21, 5, 0, 0, 0, 0, 0, 0, 0, 0, 0}, kStandard},
    {10, "CheckBox Frame", 2, {9, 3, 9, 22, 9, 23, 0, 0, 9, 24, 0, 0, 0}, kCheckMarks},
    {11, "MX Frame", 2, {25, 26, 25, 27, 25, 28, 0, 0, 25, 29, 0, 0, 0}, kCheckMarks},
    {12, "List Frame", 2, {8, 3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, kStandard},
    {13, "Cycle Frame", 2, {8, 3, 9, 5, 0, 0, 0, 0, 0, 0, 0, 0, 0}, kStandard},
    {14, "Toolbar Button Frame", 1, {30, 31, 7, 5, 0, 0, 6, 32, 0, 0, 0, 0, 0}, kStandard},
    {15, "Round Button Frame", 2, {33, 34, 35, 36, 0, 0, 0, 0, 0, 0, 0, 0, 0}, kStandard},
    {16,
     "Proportional Container Frame",
     2,
     {8, 3, 9, 5, 0, 0, 0, 0, 0, 0, 0, 0, 0},
     {PaletteChange{5, 0x80000015}, PaletteChange{8, 0x80000015}, PaletteChange{11, 0x80000015},
      PaletteChange{14, 0x80000015}, kNoChange, kNoChange, kNoChange}},
};
constexpr size_t kBuiltInCount = std::size(kBuiltIns);

// The static records of the built-in frames, each with a palette of its own (the
// Button Frame With Black Border has one entry more).
Frame g_built_in[kBuiltInCount];
Colour g_built_in_palettes[kBuiltInCount][kPaletteSize + 1];
uint8_t* g_compiled[kProgramCount];

uint8_t* compile_text(const char* text)
{
    std::vector<uint8_t> records;
    const char* at = text;
    while (*at != '\0') {
        const char* end = std::strchr(at, ';');
        const size_t length = end != nullptr ? static_cast<size_t>(end - at) : std::strlen(at);
        std::string line(at, length);
        const size_t first = line.find_first_not_of(' ');
        if (first != std::string::npos)
            parse_frame_command(line.c_str() + first, records);
        at += length;
        if (*at == ';')
            ++at;
    }
    return compile_frame_program(records);
}

// ---- Catalogue ------------------------------------------------------------------------

Frame* find_frame(uint32_t id)
{
    if (g_catalogue == nullptr)
        return nullptr;
    for (Frame* frame : *g_catalogue) {
        if (frame != nullptr && frame->fr_ID == id)
            return frame;
    }
    return nullptr;
}

bool take_out(uint32_t id)
{
    if (g_catalogue == nullptr)
        return false;
    for (auto it = g_catalogue->begin(); it != g_catalogue->end(); ++it) {
        Frame* frame = *it;
        if (frame != nullptr && frame->fr_ID == id) {
            g_catalogue->erase(it);
            if ((frame->fr_Flags & FRAMEF_LOADED) != 0)
                free_loaded_frame(frame);
            return true;
        }
    }
    return false;
}

void free_frame_catalogue()
{
    if (g_catalogue == nullptr)
        return;
    while (!g_catalogue->empty()) {
        Frame* first = g_catalogue->front();
        if (first == nullptr)
            g_catalogue->erase(g_catalogue->begin());
        else
            take_out(first->fr_ID);
    }
    delete g_catalogue;
    g_catalogue = nullptr;
    for (uint8_t*& program : g_compiled) {
        FreeVec(program);
        program = nullptr;
    }
}

// ---- Drawing ----------------------------------------------------------------------------

template <typename T>
T field(const uint8_t* record, size_t at)
{
    T value;
    std::memcpy(&value, record + at, sizeof value);
    return value;
}

struct Box {
    int32_t left;
    int32_t top;
    int32_t width;
    int32_t height;

    void anchor(uint16_t word, int32_t dx, int32_t dy, int32_t& x, int32_t& y) const
    {
        switch (word & 0xF0) {
        case 0x30:
            x = left, y = top;
            break;
        case 0x60:
            x = left + width, y = top;
            break;
        case 0x90:
            x = left + width, y = top + height;
            break;
        case 0xC0:
            x = left, y = top + height;
            break;
        case 0x10:
            x = left, y = top + height / 2;
            break;
        case 0x20:
            x = left + width / 2, y = top;
            break;
        case 0x40:
            x = left + width, y = top + height / 2;
            break;
        case 0x80:
            x = left + width / 2, y = top + height;
            break;
        default:
            x = left + width / 2, y = top + height / 2;
            break;
        }
        x += dx;
        y += dy;
    }
};

// Mask and image maps of one DrawFrame or PointInFrame call, made on first use.
struct LayerMaps {
    BitMap* mask = nullptr;
    BitMap* image = nullptr;
    ~LayerMaps()
    {
        FreeBitMap(mask);
        FreeBitMap(image);
    }
};

class ProgramRun {
public:
    ProgramRun(RastPort* rp, const Box& box, const Frame& frame, uint32_t options, LayerMaps& maps)
        : m_caller(rp), m_target(rp), m_caller_box(box), m_box(box), m_frame(frame),
          m_options(options), m_maps(maps)
    {
    }

    void run(const uint8_t* program)
    {
        Move(m_target, m_box.left, m_box.top);
        const uint8_t* at = program;
        for (;;) {
            if (at[0] == 0)
                break;
            const uint16_t size = field<uint16_t>(at, 0);
            if (size < 10)
                break;
            command(at);
            at += size;
        }
        fill_polygon();
        finish_layer();
    }

private:
    Colour palette_colour(int index) const
    {
        if (m_masking)
            return index == 0 ? 0x000000u : 0xFFFFFFu;
        return static_cast<uint32_t>(index) < m_frame.fr_PaletteCount &&
                       m_frame.fr_Palette != nullptr
                   ? m_frame.fr_Palette[index]
                   : 0x000000u;
    }
    void fill_polygon()
    {
        if (m_points.size() >= 6)
            AreaPoly(m_target, static_cast<int32_t>(m_points.size() / 2), m_points.data());
        m_points.clear();
    }
    bool drawn(uint16_t anchor_word) const
    {
        const uint16_t edges = anchor_word & 0x0F;
        return m_pen_down && (edges == 0 || (edges & m_options & FRAMEOPT_EDGES) != 0) &&
               ((m_options & FRAMEOPT_MASKPASS) == 0 || (anchor_word & FRAMECMD_MASKPASS) != 0);
    }

    void command(const uint8_t* record)
    {
        const uint8_t opcode = record[4];
        const uint16_t anchor_word = field<uint16_t>(record, 2);
        const bool filled = (anchor_word & FRAMECMD_FILLED) != 0;
        if (opcode != OpMove)
            fill_polygon();
        int32_t x1 = 0;
        int32_t y1 = 0;
        int32_t x2 = 0;
        int32_t y2 = 0;
        auto both_points = [&] {
            m_box.anchor(anchor_word, field<int32_t>(record, 12), field<int32_t>(record, 16), x1,
                         y1);
            m_box.anchor(field<uint16_t>(record, 20), field<int32_t>(record, 24),
                         field<int32_t>(record, 28), x2, y2);
        };
        switch (opcode) {
        case OpPenUp:
            m_pen_down = false;
            break;
        case OpPenDown:
            m_pen_down = true;
            break;
        case OpPixel:
            m_box.anchor(anchor_word, field<int32_t>(record, 12), field<int32_t>(record, 16), x1,
                         y1);
            SetRPPixel(m_target, x1, y1, palette_colour(field<uint16_t>(record, 20) & 0xFF));
            break;
        case OpMove:
            m_box.anchor(anchor_word, field<int32_t>(record, 12), field<int32_t>(record, 16), x1,
                         y1);
            if (!drawn(anchor_word)) {
                Move(m_target, x1, y1);
            } else if (filled) {
                if (m_points.size() < 512) {
                    m_points.push_back(x1);
                    m_points.push_back(y1);
                }
            } else {
                fill_polygon();
                Draw(m_target, x1, y1);
            }
            break;
        case OpArc:
            if (!drawn(anchor_word) || field<uint16_t>(record, 0) < 40)
                break;
            both_points();
            (filled ? AreaArc : DrawArc)(m_target, x1, y1, x2 - x1, y2 - y1,
                                         field<int32_t>(record, 32), field<int32_t>(record, 36));
            break;
        case OpRect: {
            if (!drawn(anchor_word))
                break;
            both_points();
            const RectangleBox rect{x1, y1, x2, y2};
            (filled ? AreaRect : DrawRect)(m_target, &rect);
            break;
        }
        case OpRoundRect:
            if (!drawn(anchor_word) || field<uint16_t>(record, 0) < 40)
                break;
            both_points();
            (filled ? AreaRectRound : DrawRectRound)(
                m_target, x1, y1, x2, y2, field<int32_t>(record, 32), field<int32_t>(record, 36));
            break;
        case OpDitherRect: {
            if (!drawn(anchor_word) || field<uint16_t>(record, 0) < 35)
                break;
            both_points();
            const RectangleBox rect{x1, y1, x2, y2};
            if (filled) {
                const Colour colours[2] = {palette_colour(record[32]), palette_colour(record[33])};
                DitherRastPort(m_target, &rect, colours, 2, record[34] == 0 ? 5u : 6u);
            } else {
                DrawRect(m_target, &rect);
            }
            break;
        }
        case OpPolygon: {
            if (!drawn(anchor_word) || field<uint16_t>(record, 0) < 35)
                break;
            both_points();
            const uint8_t count = record[32];
            if (field<uint16_t>(record, 0) < 35u + 2u * count)
                break;
            std::vector<int32_t> points(2u * count);
            for (uint8_t i = 0; i < count; ++i) {
                points[2u * i] =
                    x1 + static_cast<int32_t>(
                             std::trunc(record[33 + 2 * i] * static_cast<double>(x2 - x1) / 100.0));
                points[2u * i + 1] =
                    y1 + static_cast<int32_t>(
                             std::trunc(record[34 + 2 * i] * static_cast<double>(y2 - y1) / 100.0));
            }
            (filled ? AreaPoly : DrawPoly)(m_target, count, points.data());
            break;
        }
        case OpAPen:
            SetAPen(m_target, palette_colour(record[10]));
            break;
        case OpBPen:
            SetBPen(m_target, palette_colour(record[10]));
            break;
        case OpDrawMode:
            if (!m_masking)
                SetDrMd(m_target, field<int32_t>(record, 12));
            break;
        case OpLinePattern:
            if (!m_masking)
                SetDrPt(m_target, static_cast<uint32_t>(field<int32_t>(record, 12)));
            break;
        case OpPenWidth:
            SetPenWidth(m_target, field<uint16_t>(record, 10));
            break;
        case OpMaskStart:
            start_mask();
            break;
        case OpMaskEnd:
            if (m_masking)
                end_mask();
            break;
        default:
            break; // unknown opcodes do nothing
        }
    }

    void start_mask()
    {
        finish_layer();
        if (m_caller_box.width <= 0 || m_caller_box.height <= 0)
            return;
        if (m_maps.mask == nullptr)
            m_maps.mask = AllocBitMask(static_cast<uint32_t>(m_caller_box.width),
                                       static_cast<uint32_t>(m_caller_box.height), nullptr);
        if (m_maps.mask == nullptr)
            return;
        if (m_mask_port == nullptr)
            m_mask_port = AllocBitMapRastPort(m_maps.mask);
        if (m_mask_port == nullptr)
            return;
        m_target = m_mask_port;
        m_box = Box{0, 0, m_caller_box.width, m_caller_box.height};
        m_masking = true;
        SetAPen(m_target, 0);
        SetBPen(m_target, 0);
        SetRast(m_target, 0xFFFFFF);
    }

    void end_mask()
    {
        if (m_maps.image == nullptr)
            m_maps.image = AllocBitMap(m_caller_box.width, m_caller_box.height, nullptr);
        if (m_maps.image == nullptr)
            return;
        if (m_image_port == nullptr)
            m_image_port = AllocBitMapRastPort(m_maps.image);
        if (m_image_port == nullptr)
            return;
        SetAPen(m_image_port, GetAPen(m_caller));
        SetBPen(m_image_port, GetBPen(m_caller));
        SetDrMd(m_image_port, GetDrMd(m_caller));
        SetDrPt(m_image_port, GetDrPt(m_caller));
        const RectangleBox whole{0, 0, m_caller_box.width, m_caller_box.height};
        const RectangleBox there{m_caller_box.left, m_caller_box.top,
                                 m_caller_box.left + m_caller_box.width,
                                 m_caller_box.top + m_caller_box.height};
        ClipBlit(m_image_port, &whole, m_caller, &there, 0xCC0020);
        m_target = m_image_port;
        m_masking = false;
    }

    // Draws a pending image layer through its mask; a mask without an image is dropped.
    void finish_layer()
    {
        fill_polygon();
        if (m_mask_port == nullptr && m_image_port == nullptr)
            return;
        const RectangleBox whole{0, 0, m_caller_box.width, m_caller_box.height};
        if (m_image_port != nullptr && m_mask_port != nullptr)
            ClipBlit(m_image_port, &whole, m_mask_port, &whole, 0x220326);
        if (m_mask_port != nullptr)
            FreeBitMapRastPort(m_mask_port);
        const bool image = m_image_port != nullptr;
        if (m_image_port != nullptr)
            FreeBitMapRastPort(m_image_port);
        m_mask_port = nullptr;
        m_image_port = nullptr;
        if (image) {
            const RectangleBox there{m_caller_box.left, m_caller_box.top,
                                     m_caller_box.left + m_caller_box.width,
                                     m_caller_box.top + m_caller_box.height};
            BltBitMapRastPortMask(m_caller, &there, m_maps.image, &whole, m_maps.mask);
        }
        m_target = m_caller;
        m_box = m_caller_box;
        m_masking = false;
    }

    RastPort* m_caller;
    RastPort* m_target;
    Box m_caller_box;
    Box m_box;
    const Frame& m_frame;
    uint32_t m_options;
    LayerMaps& m_maps;
    bool m_pen_down = false;
    bool m_masking = false;
    RastPort* m_mask_port = nullptr;
    RastPort* m_image_port = nullptr;
    std::vector<int32_t> m_points;
};

int choose_slot(const Frame& frame, uint32_t state)
{
    const bool disabled = (state & FRAMESTATE_DISABLED) != 0;
    const bool indeterminate = (state & FRAMESTATE_INDETERMINATE) != 0;
    const bool selected = (state & FRAMESTATE_SELECTED) != 0;
    auto present = [&](int slot) { return frame.fr_Programs[slot] != nullptr; };
    int slot;
    if (!disabled) {
        slot = indeterminate ? FRAME_INDETERMINATE : selected ? FRAME_SELECTED : FRAME_NORMAL;
    } else {
        slot = indeterminate ? FRAME_DISABLED_INDETERMINATE
               : selected    ? FRAME_DISABLED_SELECTED
                             : FRAME_DISABLED;
        if (!present(slot)) {
            slot = FRAME_DISABLED;
            if (!present(slot))
                slot = indeterminate ? FRAME_INDETERMINATE
                       : selected    ? FRAME_SELECTED
                                     : FRAME_DISABLED;
        }
    }
    return present(slot) ? slot : FRAME_NORMAL;
}

constexpr Colour kBlackWhitePalette[kPaletteSize] = {
    0xFFFFFF, 0x000000, 0xFFFFFF, 0x000000, 0xFFFFFF, 0xFFFFFF, 0x000000,
    0x000000, 0x000000, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0x000000, 0xFFFFFF,
    0xFFFFFF, 0x000000, 0x000000, 0x000000, 0x000000, 0x000000,
};

bool has_catalogue(uint32_t id, Frame*& frame)
{
    frame = find_frame(id);
    if (frame == nullptr) {
        set_io_error(IoErrObjectNotFound);
        return false;
    }
    return true;
}

}

}

using namespace osmark::graphics;

extern "C" {

OSMARK_API void InitialiseFrames(void) noexcept
{
    if (g_catalogue != nullptr)
        return;
    try {
        g_catalogue = new std::vector<Frame*>;
    } catch (const std::bad_alloc&) {
        return;
    }
    AddExitProc(&LibraryExitList, free_frame_catalogue);
    try {
        for (int p = 0; p < kProgramCount; ++p)
            g_compiled[p] = compile_text(kPrograms[p]);
    } catch (const std::bad_alloc&) {
        return;
    }
    for (size_t i = 0; i < kBuiltInCount; ++i) {
        const BuiltIn& built_in = kBuiltIns[i];
        Frame& frame = g_built_in[i];
        std::memset(&frame, 0, sizeof frame);
        Colour* palette = g_built_in_palettes[i];
        std::copy(std::begin(kStandardPalette), std::end(kStandardPalette), palette);
        uint32_t count = kPaletteSize;
        for (const PaletteChange& change : built_in.changes) {
            if (change.index < 0)
                break;
            palette[change.index] = change.colour;
            count = std::max(count, static_cast<uint32_t>(change.index) + 1);
        }
        frame.fr_ID = built_in.id;
        frame.fr_Name = const_cast<char*>(built_in.name);
        frame.fr_PaletteCount = count;
        frame.fr_Palette = palette;
        for (int slot = 0; slot < FRAME_SLOTS; ++slot) {
            const int program = built_in.programs[static_cast<size_t>(slot)];
            frame.fr_Programs[slot] = program > 0 ? g_compiled[program - 1] : nullptr;
        }
        std::fill(std::begin(frame.fr_Margins), std::end(frame.fr_Margins), built_in.margin);
        AddFrame(&frame);
    }
}

OSMARK_API Frame* GetFrame(uint32_t id) noexcept
{
    return find_frame(id);
}

OSMARK_API int32_t AddFrame(Frame* frame) noexcept
{
    if (frame == nullptr || g_catalogue == nullptr) {
        osmark::set_io_error(IoErrRequiredArgMissing);
        return 0;
    }
    if (std::find(g_catalogue->begin(), g_catalogue->end(), frame) != g_catalogue->end()) {
        osmark::set_io_error(IoErrObjectExists);
        return 0;
    }
    take_out(frame->fr_ID);
    try {
        g_catalogue->push_back(frame);
    } catch (const std::bad_alloc&) {
        osmark::set_io_error(IoErrNoMemory);
        return 0;
    }
    return 1;
}

OSMARK_API int32_t RemoveFrame(uint32_t id) noexcept
{
    if (!take_out(id)) {
        osmark::set_io_error(IoErrObjectNotFound);
        return 0;
    }
    return 1;
}

OSMARK_API int32_t WalkFrames(WalkFramesFunc callback, uint32_t data) noexcept
{
    if (callback == nullptr) {
        osmark::set_io_error(IoErrRequiredArgMissing);
        return -1;
    }
    if (g_catalogue == nullptr)
        return -1;
    std::vector<Frame*> snapshot;
    try {
        snapshot = *g_catalogue;
    } catch (const std::bad_alloc&) {
        return -1;
    }
    for (Frame* frame : snapshot) {
        // Frames removed by an earlier callback are skipped.
        if (frame == nullptr ||
            std::find(g_catalogue->begin(), g_catalogue->end(), frame) == g_catalogue->end())
            continue;
        if (const int32_t answer = callback(frame, data); answer != 0)
            return answer;
    }
    return 0;
}

OSMARK_API int32_t FrameBoxMargins(uint32_t id, int32_t* margins) noexcept
{
    if (margins == nullptr) {
        osmark::set_io_error(IoErrRequiredArgMissing);
        return 0;
    }
    Frame* frame = nullptr;
    if (!has_catalogue(id, frame)) {
        std::fill(margins, margins + 4, 1);
        return 0;
    }
    std::copy(std::begin(frame->fr_Margins), std::end(frame->fr_Margins), margins);
    return 1;
}

OSMARK_API int32_t GetFramePalette(uint32_t id, uint32_t first, uint32_t count,
                                   Colour* colours) noexcept
{
    if (count == 0)
        return 0;
    if (colours == nullptr) {
        osmark::set_io_error(IoErrRequiredArgMissing);
        return -1;
    }
    Frame* frame = nullptr;
    if (!has_catalogue(id, frame))
        return -1;
    if (first >= frame->fr_PaletteCount || frame->fr_Palette == nullptr)
        return 0;
    const uint32_t n = std::min(count, frame->fr_PaletteCount - first);
    std::copy_n(frame->fr_Palette + first, n, colours);
    return static_cast<int32_t>(n);
}

OSMARK_API int32_t SetFramePalette(uint32_t id, uint32_t first, uint32_t count,
                                   const Colour* colours) noexcept
{
    if (count == 0)
        return 0;
    if (colours == nullptr) {
        osmark::set_io_error(IoErrRequiredArgMissing);
        return -1;
    }
    Frame* frame = nullptr;
    if (!has_catalogue(id, frame))
        return -1;
    if (first >= frame->fr_PaletteCount || frame->fr_Palette == nullptr)
        return 0;
    const uint32_t n = std::min(count, frame->fr_PaletteCount - first);
    std::copy_n(colours, n, frame->fr_Palette + first);
    return static_cast<int32_t>(n);
}

OSMARK_API int32_t DrawFrame(RastPort* rp, const SizeBox* box, Frame* frame, uint32_t state,
                             uint32_t options) noexcept
{
    if (rp == nullptr || box == nullptr || frame == nullptr) {
        osmark::set_io_error(IoErrRequiredArgMissing);
        return 0;
    }
    const Box anchor_box{box->sb_Left + frame->fr_XOffset, box->sb_Top + frame->fr_YOffset,
                         box->sb_Width, box->sb_Height};
    // Substitute palettes over the first entries for the call.
    Colour saved_palette[kPaletteSize];
    const uint32_t substituted =
        (options & (FRAMEOPT_SHADOW | FRAMEOPT_BLACKWHITE)) != 0 && frame->fr_Palette != nullptr
            ? std::min(frame->fr_PaletteCount,
                       (options & FRAMEOPT_BLACKWHITE) != 0 ? kPaletteSize : 4u)
            : 0;
    std::copy_n(frame->fr_Palette, substituted, saved_palette);
    for (uint32_t i = 0; i < substituted; ++i)
        frame->fr_Palette[i] =
            (options & FRAMEOPT_BLACKWHITE) != 0 ? kBlackWhitePalette[i] : 0x80000010u;
    const Colour a_pen = GetAPen(rp);
    const Colour b_pen = GetBPen(rp);
    const uint32_t pattern = GetDrPt(rp);
    const int32_t mode = GetDrMd(rp);
    const uint16_t width = GetPenWidth(rp);
    const int slot = choose_slot(*frame, state);
    {
        LayerMaps maps;
        try {
            if ((options & FRAMEOPT_FILL) != 0 && frame->fr_Programs[slot + 1] != nullptr)
                ProgramRun(rp, anchor_box, *frame, options, maps).run(frame->fr_Programs[slot + 1]);
            if ((options & FRAMEOPT_EDGES) != 0 && frame->fr_Programs[slot] != nullptr)
                ProgramRun(rp, anchor_box, *frame, options, maps).run(frame->fr_Programs[slot]);
        } catch (const std::bad_alloc&) {
            osmark::set_io_error(IoErrNoMemory);
        }
    }
    SetAPen(rp, a_pen);
    SetBPen(rp, b_pen);
    SetDrPt(rp, pattern);
    SetDrMd(rp, mode);
    SetPenWidth(rp, width);
    std::copy_n(saved_palette, substituted, frame->fr_Palette);
    return 1;
}

OSMARK_API int32_t DrawFrameEdge(RastPort* rp, const SizeBox* box, uint32_t id, uint32_t state,
                                 uint32_t options) noexcept
{
    if (rp == nullptr || box == nullptr) {
        osmark::set_io_error(IoErrRequiredArgMissing);
        return 0;
    }
    Frame* frame = nullptr;
    if (!has_catalogue(id, frame))
        return 0;
    return DrawFrame(rp, box, frame, state, options);
}

OSMARK_API int32_t DrawFrameBox(RastPort* rp, const SizeBox* box, uint32_t id, uint32_t state,
                                Colour colour) noexcept
{
    if (rp == nullptr || box == nullptr) {
        osmark::set_io_error(IoErrRequiredArgMissing);
        return 0;
    }
    Frame* frame = nullptr;
    if (!has_catalogue(id, frame))
        return 0;
    if (colour == ColourNone || frame->fr_PaletteCount < 5 || frame->fr_Palette == nullptr)
        return DrawFrame(rp, box, frame, state, FRAMEOPT_EDGES);
    const Colour face = frame->fr_Palette[4];
    frame->fr_Palette[4] = colour;
    const int32_t result = DrawFrame(rp, box, frame, state, FRAMEOPT_EDGES | FRAMEOPT_FILL);
    frame->fr_Palette[4] = face;
    return result;
}

OSMARK_API int32_t PointInFrame(int32_t x, int32_t y, const SizeBox* box, uint32_t id,
                                uint32_t /*reserved*/, uint32_t options) noexcept
{
    SetIoErr(static_cast<IoErrCode>(0));
    if (box == nullptr) {
        osmark::set_io_error(IoErrRequiredArgMissing);
        return 0;
    }
    Frame* frame = nullptr;
    if (!has_catalogue(id, frame))
        return 0;
    const int64_t rx = int64_t{x} - box->sb_Left - frame->fr_XOffset;
    const int64_t ry = int64_t{y} - box->sb_Top - frame->fr_YOffset;
    if (rx < 0 || ry < 0 || rx > box->sb_Width || ry > box->sb_Height)
        return 0;
    if (frame->fr_Programs[FRAME_SELECT] == nullptr)
        return 1;
    // A point on the far edge lies outside the mask and counts as a hit.
    if (rx == box->sb_Width || ry == box->sb_Height)
        return 1;
    BitMap* mask = AllocBitMask(static_cast<uint32_t>(box->sb_Width),
                                static_cast<uint32_t>(box->sb_Height), nullptr);
    RastPort* port = mask != nullptr ? AllocBitMapRastPort(mask) : nullptr;
    if (port == nullptr) {
        FreeBitMap(mask);
        osmark::set_io_error(IoErrNoMemory);
        return 0;
    }
    SetRast(port, 0xFFFFFF);
    SetAPen(port, 0);
    SetBPen(port, 0);
    {
        LayerMaps maps;
        try {
            ProgramRun(port, Box{0, 0, box->sb_Width, box->sb_Height}, *frame,
                       options | FRAMEOPT_EDGES, maps)
                .run(frame->fr_Programs[FRAME_SELECT]);
        } catch (const std::bad_alloc&) {
            osmark::set_io_error(IoErrNoMemory);
        }
    }
    FreeBitMapRastPort(port);
    const Colour pixel = GetBitMapPixel(mask, static_cast<int32_t>(rx), static_cast<int32_t>(ry));
    FreeBitMap(mask);
    return pixel != 0xFFFFFFu ? 1 : 0;
}
}
