// The message catalogue: an Array of entry pointers in ascending id order, searched by
// halving. Made at start-up step 23 with the built-in texts.

#include "osmark/gui_msgs.h"

#include "core/runtime/startup_steps.h"
#include "osmark/array.h"
#include "osmark/exit_list.h"
#include "osmark/files.h"
#include "osmark/gui_services.h"
#include "osmark/library.h"
#include "osmark/memory.h"
#include "osmark/numbers.h"
#include "osmark/owners.h"
#include "osmark/strings.h"

#include <algorithm>
#include <climits>
#include <iterator>

namespace {

struct CatalogueEntry {
    int32_t id;
    char* text; // AllocStr; the entry's own
};

struct BuiltInText {
    int32_t id;
    const char* text;
};

// clang-format off
constexpr BuiltInText kBuiltInTexts[] = {
    // Error codes.
    {-1, "insufficient memory"}, {-2, "bad template"}, {-3, "bad number"},
    {-4, "required argument missing"}, {-5, "keyword needs argument"},
    {-6, "unmatched quotes found"}, {-7, "line is too long"}, {-8, "no default directory"},
    {-9, "object is in use"}, {-10, "object exists"}, {-11, "directory not found"},
    {-12, "object not found"}, {-13, "invalid stream name"}, {-14, "invalid component name"},
    {-15, "disk is write protected"}, {-16, "directory not empty"}, {-17, "seek error"},
    {-18, "disk full"}, {-19, "delete protected"}, {-20, "write protected"},
    {-21, "read protected"}, {-22, "item not implemented"}, {-23, "buffer overflow"},
    {-24, "bad I/O"}, {-25, "object is invalid"}, {-26, "object is unmatched"},
    {-27, "invalid regular expression pattern"}, {-28, "unmatched () in regular expression"},
    {-29, "premature end of regular expression"}, {-30, "regular expression nesting too deep"},
    {-31, "regular expression too big"}, {-32, "object is of wrong type"},
    {-33, "no more entries"}, {-34, "lock error"}, {-35, "system limit reached"},
    {-36, "pipe i/o error"}, {-37, "cancelled by user"}, {-38, "access denied"},
    {-39, "child process failed"}, {-40, "unknown error"},
    // Requester words.
    {-400, "Error"}, {-401, "Warning"}, {-402, "Ok"}, {-403, "error code"}, {-404, "Cancel"},
    {-405, "Open"}, {-406, "Save"}, {-407, "Abort"}, {-408, "Retry"}, {-409, "Ignore"},
    {-410, "Yes"}, {-411, "No"},
    // Key names: the long name, then the short one at the next lower id.
    {-500, "Unknown"},
    {-502, "Left"}, {-503, "Left"}, {-504, "Right"}, {-505, "Right"},
    {-506, "Up"}, {-507, "Up"}, {-508, "Down"}, {-509, "Down"},
    {-510, "Middle"}, {-511, "Middle"}, {-512, "Shift"}, {-513, "Shft"},
    {-514, "Alt"}, {-515, "Alt"}, {-516, "Control"}, {-517, "Ctrl"},
    {-518, "Backspace"}, {-519, "Backspace"}, {-520, "Tab"}, {-521, "Tab"},
    {-522, "Clear"}, {-523, "Clear"}, {-524, "Return"}, {-525, "Ret"},
    {-526, "Pause"}, {-527, "Pause"}, {-528, "Capital lock"}, {-529, "Caps lock"},
    {-530, "Escape"}, {-531, "Esc"}, {-532, "Space"}, {-533, "Spc"},
    {-534, "Page up"}, {-535, "Pgup"}, {-536, "Page down"}, {-537, "Pgdn"},
    {-538, "End"}, {-539, "End"}, {-540, "Home"}, {-541, "Home"},
    {-542, "Left arrow"}, {-543, "Left arrow"}, {-544, "Right arrow"}, {-545, "Right arrow"},
    {-546, "Down arrow"}, {-547, "Down arrow"}, {-548, "Up arrow"}, {-549, "Up arrow"},
    {-550, "Insert"}, {-551, "Ins"}, {-552, "Delete"}, {-553, "Del"},
    {-554, "Number lock"}, {-555, "Num lock"}, {-556, "Scroll lock"}, {-557, "Scroll lock"},
    {-558, "F"}, {-559, "F"}, {-560, "Numeric pad"}, {-561, "Num"},
    {-562, "Left mouse"}, {-563, "Left mouse"}, {-564, "Right mouse"}, {-565, "Right mouse"},
    {-566, "Middle mouse"}, {-567, "Middle mouse"}, {-568, "Cancel"}, {-569, "Cancel"},
    {-570, "Select"}, {-571, "Select"}, {-572, "Execute"}, {-573, "Exe"},
    {-574, "Snapshot"}, {-575, "Snapshot"}, {-576, "Help"}, {-577, "Hlp"},
    {-578, "Multiply"}, {-579, "Mult"}, {-580, "Divide"}, {-581, "Div"},
    {-582, "Add"}, {-583, "Add"}, {-584, "Subtract"}, {-585, "Sub"},
    {-586, "Separator"}, {-587, "Sep"}, {-588, "Decimal"}, {-589, "Dec"},
    {-590, "Left menu"}, {-591, "Left menu"}, {-592, "Right menu"}, {-593, "Right menu"},
    {-594, "Apps"}, {-595, "Apps"}, {-596, "Process"}, {-597, "Proc"},
    {-598, "Mouse move"}, {-599, "Mouse move"}, {-600, "Mouse wheel up"}, {-601, "Wheel up"},
    {-602, "Mouse wheel down"}, {-603, "Wheel down"},
    // Network words.
    {-700, "Network"}, {-701, "Domain"}, {-702, "Server"},
    // The class system's requester.
    {-1000, "Unable to find external class"},
    // Editing words.
    {-1100, "Undo"}, {-1101, "Cut"}, {-1102, "Copy"}, {-1103, "Paste"}, {-1104, "Delete"},
    {-1105, "Select All"},
};
// clang-format on
static_assert(std::size(kBuiltInTexts) == 165, "165 built-in texts");

constexpr char kMissingText[] = "?????";
constexpr uint32_t kCatalogueGrowth = 100;

Array* g_catalogue = nullptr;
int32_t g_message_offset = 1;
bool g_batch_open = false;

CatalogueEntry* entry_of(uintptr_t item)
{
    return reinterpret_cast<CatalogueEntry*>(item);
}

int32_t compare_id_with_entry(const void* key, const void* element)
{
    const int32_t id = *static_cast<const int32_t*>(key);
    const int32_t entry_id = entry_of(*static_cast<const uintptr_t*>(element))->id;
    return id < entry_id ? -1 : (id > entry_id ? 1 : 0);
}

CatalogueEntry* find_entry(int32_t id)
{
    if (g_catalogue == nullptr || g_catalogue->ar_Count == 0)
        return nullptr;
    const void* found = BSearch(&id, g_catalogue->ar_Items, static_cast<int32_t>(g_catalogue->ar_Count),
                                sizeof(uintptr_t), compare_id_with_entry);
    return found != nullptr ? entry_of(*static_cast<const uintptr_t*>(found)) : nullptr;
}

// The index before which an entry of id belongs: that of the first entry whose id is
// greater.
uint32_t insertion_index(int32_t id)
{
    const uintptr_t* begin = g_catalogue->ar_Items;
    const uintptr_t* end = begin + g_catalogue->ar_Count;
    const uintptr_t* place =
        std::partition_point(begin, end, [id](uintptr_t item) { return entry_of(item)->id <= id; });
    return static_cast<uint32_t>(place - begin);
}

bool add_entry(int32_t id, char* text)
{
    auto* entry = static_cast<CatalogueEntry*>(AllocVec(sizeof(CatalogueEntry)));
    if (entry == nullptr)
        return false;
    entry->id = id;
    entry->text = text;
    const uint32_t count = g_catalogue->ar_Count;
    ArrayInsert(g_catalogue, count == 0 ? 0 : insertion_index(id), reinterpret_cast<uintptr_t>(entry));
    if (g_catalogue->ar_Count == count) {
        FreeVec(entry);
        return false;
    }
    return true;
}

void tell_gui()
{
    BroadcastGadgetChange(GadgetChangeGUIMsgs);
    RefreshAllWindows();
}

void free_catalogue()
{
    Array* catalogue = g_catalogue;
    g_catalogue = nullptr;
    if (catalogue == nullptr)
        return;
    for (uint32_t i = 0; i < catalogue->ar_Count; ++i) {
        CatalogueEntry* entry = entry_of(catalogue->ar_Items[i]);
        FreeStr(entry->text);
        FreeVec(entry);
    }
    ArrayDelete(catalogue);
}

}

namespace osmark {

void InitialiseGUIMsgs()
{
    g_catalogue = ArrayCreate();
    if (g_catalogue == nullptr)
        return;
    g_catalogue->ar_Growth = kCatalogueGrowth;
    StartSetGUIMsg();
    for (const BuiltInText& text : kBuiltInTexts)
        SetGUIMsg(text.id, text.text);
    EndSetGUIMsg();
    AddExitProc(&LibraryExitList, free_catalogue);
}

}

extern "C" {

OSMARK_API const char* GUIMsg(int32_t id) noexcept
{
    const CatalogueEntry* entry = find_entry(id);
    return entry != nullptr ? entry->text : kMissingText;
}

OSMARK_API int32_t SetGUIMsg(int32_t id, const char* text) noexcept
{
    if (g_catalogue == nullptr)
        return 0;
    // The copy comes first: when it fails, the entry keeps its old text.
    char* copy = AllocStr(0, text != nullptr ? text : "");
    if (copy == nullptr)
        return 0;
    if (CatalogueEntry* entry = find_entry(id)) {
        FreeStr(entry->text);
        entry->text = copy;
    } else if (!add_entry(id, copy)) {
        FreeStr(copy);
        return 0;
    }
    if (g_message_offset <= id)
        g_message_offset = id == INT32_MAX ? INT32_MAX : id + 1;
    if (!g_batch_open)
        tell_gui();
    return 1;
}

OSMARK_API void StartSetGUIMsg(void) noexcept
{
    g_batch_open = true;
}

OSMARK_API void EndSetGUIMsg(void) noexcept
{
    if (!g_batch_open)
        return;
    tell_gui();
    g_batch_open = false;
}

OSMARK_API int32_t GetGUIMsgOffset(void) noexcept
{
    return g_message_offset;
}

}

namespace {

bool is_blank(char c)
{
    return c == ' ' || c == '\t';
}

// A line "<digits and blanks>:<text>" gives the number at its start and the text
// after the colon; any other line gives nothing.
bool parse_message_line(const char* line, int64_t& number, const char*& text)
{
    if (line[0] < '0' || line[0] > '9')
        return false;
    const char* c = line;
    while ((*c >= '0' && *c <= '9') || is_blank(*c))
        ++c;
    if (*c != ':')
        return false;
    number = 0;
    for (const char* digit = line; *digit >= '0' && *digit <= '9'; ++digit) {
        number = number * 10 + (*digit - '0');
        if (number > INT32_MAX)
            return false;
    }
    text = c + 1;
    return true;
}

}

extern "C" {

OSMARK_API int32_t ReadGUIMsgs(int32_t offset, const char* name) noexcept
{
    const bool batch_was_open = g_batch_open;
    const osmark::StreamOwner stream(Open(name, FileModeRead));
    if (stream == nullptr)
        return 0;
    char line[1024];
    bool any_set = false;
    while (FGets(stream.get(), line, sizeof line) != nullptr) {
        if (line[0] == '\0')
            continue;
        StrStrip(line, 'B');
        int64_t number = 0;
        const char* text = nullptr;
        if (!parse_message_line(line, number, text))
            continue;
        const int64_t id = number + offset;
        if (id < INT32_MIN || id > INT32_MAX)
            continue;
        if (!any_set) {
            StartSetGUIMsg();
            any_set = true;
        }
        SetGUIMsg(static_cast<int32_t>(id), text);
    }
    if (any_set) {
        EndSetGUIMsg();
        if (batch_was_open)
            StartSetGUIMsg();
    }
    return any_set ? 1 : 0;
}

}
