// Argument parsing against a template (ReadArgs, FreeArgs).

#include "osmark/args.h"

#include "core/runtime/make_error.h"
#include "core/runtime/read_args_internal.h"
#include "osmark/errors.h"
#include "osmark/files.h"
#include "osmark/memory.h"
#include "osmark/strings.h"

#include <cstring>
#include <new>
#include <string>

namespace {

constexpr uint32_t kTokenBufferStep = 64;

// The names of the template's items and their modifiers.
struct TemplateItem {
    const char* names; // the item's text up to its first '/' or ','
    size_t names_length;
    uint32_t modifiers;
};

uint32_t modifier_bit(char letter)
{
    switch (letter) {
    case 'S':
    case 's':
        return ArgSwitch;
    case 'K':
    case 'k':
        return ArgKeyword;
    case 'T':
    case 't':
        return ArgToggle;
    case 'N':
    case 'n':
        return ArgNumber;
    case 'A':
    case 'a':
        return ArgRequired;
    case 'F':
    case 'f':
        return ArgFinal;
    case 'M':
    case 'm':
        return ArgMultiple;
    case 'D':
    case 'd':
        return ArgReal;
    default:
        return 0;
    }
}

uint32_t count_items(const char* arg_template)
{
    uint32_t count = 1;
    for (const char* c = arg_template; *c != '\0'; ++c) {
        if (*c == ',')
            ++count;
    }
    return count;
}

// The count-th item of the template (from 0).
TemplateItem template_item(const char* arg_template, uint32_t index)
{
    const char* item = arg_template;
    for (uint32_t i = 0; i < index; ++i)
        item = std::strchr(item, ',') + 1;
    TemplateItem parsed{item, 0, 0};
    const char* c = item;
    while (*c != '\0' && *c != ',' && *c != '/')
        ++c;
    parsed.names_length = static_cast<size_t>(c - item);
    while (*c == '/') {
        ++c;
        if (*c != '\0' && *c != ',') {
            parsed.modifiers |= modifier_bit(*c);
            ++c;
        }
        while (*c != '\0' && *c != ',' && *c != '/')
            ++c;
    }
    return parsed;
}

bool is_blank(char c)
{
    return c == ' ' || c == '\t';
}

bool only_blanks_from(const char* c)
{
    while (is_blank(*c))
        ++c;
    return *c == '\0';
}

bool integer_is_whole(const char* text, int32_t& value)
{
    char* end = nullptr;
    value = StrToLong(text, &end, 0);
    return end != nullptr && end != text && only_blanks_from(end);
}

bool real_is_whole(const char* text, double& value, bool by_num)
{
    char* end = nullptr;
    int32_t is_integer = 1;
    value = by_num ? StrToNum(text, &end, &is_integer, 0) : StrToDouble(text, &end);
    return end != nullptr && end != text && only_blanks_from(end);
}

// One call of ReadArgs: the block, the template, the results and what goes wrong.
class Parse {
public:
    Parse(ArgBlock* block, const char* arg_template, uintptr_t* results)
        : m_block(block), m_template(arg_template), m_results(results)
    {
    }
    ~Parse() { release_buffer(); }
    Parse(const Parse&) = delete;
    Parse& operator=(const Parse&) = delete;

    // 1 on success, else the error code has been set.
    bool run();

private:
    struct Source {
        const char* text;
        size_t length;
        size_t position;
    };

    bool prepare();
    bool read_pass(Source& source);
    bool read_token(Source& source, bool& quoted, bool& found);
    bool put_token_char(size_t& length, char c);
    bool set_item(ArgItem& item, const char* text);
    bool set_leading_number(ArgItem& item, const char* text);
    bool add_multi_value(const char* text, bool report_bad);
    bool add_positional(const char* text);
    void take_positional_into(ArgItem& item, bool from_back);
    bool assign_strings();
    void close_multi_list(ArgItem& item);
    int32_t find_keyword(const char* word) const;
    bool read_input_line(std::string& line);
    bool fail(IoErrCode code, platform::SourceSite where = platform::SourceSite::current())
    {
        osmark::set_io_error(code, where);
        return false;
    }

    ArgBlock* m_block;
    const char* m_template;
    uintptr_t* m_results;
    ArgList* m_list = nullptr;
    int32_t m_multi_index = -1;
    bool m_own_buffer = false;
    bool m_help = false;

    // Frees the token buffer that the call made.
    void release_buffer()
    {
        if (!m_own_buffer)
            return;
        FreeVec(m_block->ab_Buffer);
        m_block->ab_Buffer = nullptr;
        m_block->ab_BufferSize = 0;
        m_own_buffer = false;
    }
};

bool Parse::prepare()
{
    const uint32_t count = count_items(m_template);
    const uint64_t size = sizeof(ArgList) + uint64_t{count} * sizeof(ArgItem);
    if (size > UINT32_MAX)
        return fail(IoErrNoMemory);
    m_list = static_cast<ArgList*>(CAllocVec(1, static_cast<uint32_t>(size)));
    if (m_list == nullptr)
        return false;
    m_block->ab_Parse = m_list;
    m_list->al_Count = count;
    m_list->al_Items = reinterpret_cast<ArgItem*>(m_list + 1);
    m_list->al_MultiValues = ArrayCreate();
    m_list->al_Positional = ArrayCreate();
    if (m_list->al_MultiValues == nullptr || m_list->al_Positional == nullptr)
        return false;
    for (uint32_t i = 0; i < count; ++i) {
        ArgItem& item = m_list->al_Items[i];
        uint32_t modifiers = template_item(m_template, i).modifiers;
        if (modifiers & ArgToggle)
            modifiers &= ~ArgSwitch;
        if (modifiers & ArgReal)
            modifiers &= ~ArgNumber;
        if (modifiers & ArgToggle)
            item.ai_Value = m_results[i] != 0 ? 1 : 0;
        if ((modifiers & ArgMultiple) &&
            (m_multi_index >= 0 || (modifiers & (ArgSwitch | ArgToggle))))
            modifiers &= ~ArgMultiple;
        if (modifiers & ArgMultiple) {
            m_multi_index = static_cast<int32_t>(i);
            m_list->al_MultiMode = (modifiers & ArgNumber) ? ArgMultiNumbers
                                   : (modifiers & ArgReal) ? ArgMultiReals
                                                           : ArgMultiStrings;
        }
        item.ai_Modifiers = modifiers;
    }
    return true;
}

int32_t Parse::find_keyword(const char* word) const
{
    const size_t word_length = std::strlen(word);
    for (uint32_t i = 0; i < m_list->al_Count; ++i) {
        const TemplateItem item = template_item(m_template, i);
        const char* name = item.names;
        const char* names_end = item.names + item.names_length;
        while (name <= names_end) {
            const char* name_end = name;
            while (name_end < names_end && *name_end != '=')
                ++name_end;
            const size_t name_length = static_cast<size_t>(name_end - name);
            if (name_length == word_length && name_length != 0 &&
                StrniCmp(name, word, static_cast<int32_t>(name_length)) == 0)
                return static_cast<int32_t>(i);
            name = name_end + 1;
        }
    }
    return -1;
}

bool Parse::put_token_char(size_t& length, char c)
{
    if (length + 1 >= m_block->ab_BufferSize) {
        if (!m_own_buffer)
            return fail(IoErrNoMemory);
        const uint64_t grown = uint64_t{m_block->ab_BufferSize} + kTokenBufferStep;
        if (grown > UINT32_MAX)
            return fail(IoErrNoMemory);
        auto* buffer =
            static_cast<char*>(ReAllocVec(m_block->ab_Buffer, static_cast<uint32_t>(grown)));
        if (buffer == nullptr)
            return false;
        m_block->ab_Buffer = buffer;
        m_block->ab_BufferSize = static_cast<uint32_t>(grown);
    }
    m_block->ab_Buffer[length++] = c;
    m_block->ab_Buffer[length] = '\0';
    return true;
}

// The next token into the token buffer: a quoted text, or a word ended by a blank, an
// '=' or the end (its terminator consumed); lone '=' are passed over. found is false
// at the end of the text.
bool Parse::read_token(Source& source, bool& quoted, bool& found)
{
    found = false;
    quoted = false;
    size_t length = 0;
    m_block->ab_Buffer[0] = '\0';
    while (source.position < source.length &&
           (is_blank(source.text[source.position]) || source.text[source.position] == '='))
        ++source.position;
    if (source.position >= source.length)
        return true;
    found = true;
    if (source.text[source.position] == '"') {
        quoted = true;
        ++source.position;
        while (source.position < source.length && source.text[source.position] != '"') {
            if (!put_token_char(length, source.text[source.position++]))
                return false;
        }
        if (source.position < source.length)
            ++source.position;
        return true;
    }
    while (source.position < source.length) {
        const char c = source.text[source.position++];
        if (is_blank(c) || c == '=')
            break;
        if (!put_token_char(length, c))
            return false;
    }
    return true;
}

bool Parse::add_multi_value(const char* text, bool report_bad)
{
    Array* values = m_list->al_MultiValues;
    // A list closed by an earlier pass opens again.
    if (ArrayGetCount(values) != 0 && ArrayLast(values) == 0)
        ArrayRemove(values, ArrayGetCount(values) - 1);
    uintptr_t value = 0;
    if (m_list->al_MultiMode == ArgMultiStrings) {
        value = reinterpret_cast<uintptr_t>(AllocStr(0, text));
    } else if (m_list->al_MultiMode == ArgMultiNumbers) {
        int32_t number = 0;
        if (!integer_is_whole(text, number))
            return report_bad ? fail(IoErrBadNumber) : true;
        auto* block = static_cast<int32_t*>(AllocVec(sizeof(int32_t)));
        if (block != nullptr)
            *block = number;
        value = reinterpret_cast<uintptr_t>(block);
    } else {
        double real = 0.0;
        if (!real_is_whole(text, real, false))
            return report_bad ? fail(IoErrBadNumber) : true;
        auto* block = static_cast<double*>(AllocVec(sizeof(double)));
        if (block != nullptr)
            *block = real;
        value = reinterpret_cast<uintptr_t>(block);
    }
    if (value == 0)
        return false;
    if (ArrayAdd(values, value) < 0) {
        FreeVec(reinterpret_cast<void*>(value));
        return false;
    }
    return true;
}

void Parse::close_multi_list(ArgItem& item)
{
    Array* values = m_list->al_MultiValues;
    if (ArrayGetCount(values) == 0 || ArrayLast(values) != 0) {
        if (ArrayAdd(values, 0) < 0)
            return;
    }
    item.ai_Value = reinterpret_cast<uintptr_t>(values->ar_Items);
    item.ai_HasValue = 1;
}

void free_owned_value(ArgItem& item)
{
    if (item.ai_Owned)
        FreeVec(reinterpret_cast<void*>(item.ai_Value));
    item.ai_Owned = 0;
}

bool Parse::set_item(ArgItem& item, const char* text)
{
    const uint32_t modifiers = item.ai_Modifiers;
    if (modifiers & ArgSwitch) {
        item.ai_Value = 1;
    } else if (modifiers & ArgToggle) {
        item.ai_Value = item.ai_Value != 0 ? 0 : 1;
    } else if (modifiers & ArgMultiple) {
        if (!add_multi_value(text, true))
            return false;
        close_multi_list(item);
    } else if (modifiers & ArgNumber) {
        int32_t number = 0;
        const bool whole = integer_is_whole(text, number);
        item.ai_Value = static_cast<uintptr_t>(static_cast<intptr_t>(number));
        item.ai_HasValue = 1;
        if (!whole)
            return fail(IoErrBadNumber);
    } else if (modifiers & ArgReal) {
        double real = 0.0;
        const bool whole = real_is_whole(text, real, true);
        auto* block = static_cast<double*>(AllocVec(sizeof(double)));
        if (block == nullptr)
            return false;
        *block = real;
        free_owned_value(item);
        item.ai_Value = reinterpret_cast<uintptr_t>(block);
        item.ai_Owned = 1;
        item.ai_HasValue = 1;
        if (!whole)
            return fail(IoErrBadNumber);
    } else {
        char* copy = AllocStr(0, text);
        if (copy == nullptr)
            return false;
        free_owned_value(item);
        item.ai_Value = reinterpret_cast<uintptr_t>(copy);
        item.ai_Owned = 1;
    }
    item.ai_HasValue = 1;
    return true;
}

// By position a number or real keeps what its text begins with, whatever follows.
bool Parse::set_leading_number(ArgItem& item, const char* text)
{
    if (item.ai_Modifiers & ArgNumber) {
        item.ai_Value = static_cast<uintptr_t>(static_cast<intptr_t>(StrToLong(text, nullptr, 0)));
    } else {
        int32_t is_integer = 1;
        auto* block = static_cast<double*>(AllocVec(sizeof(double)));
        if (block == nullptr)
            return false;
        *block = StrToNum(text, nullptr, &is_integer, 0);
        free_owned_value(item);
        item.ai_Value = reinterpret_cast<uintptr_t>(block);
        item.ai_Owned = 1;
    }
    item.ai_HasValue = 1;
    return true;
}

bool Parse::add_positional(const char* text)
{
    char* copy = AllocStr(0, text);
    if (copy == nullptr)
        return false;
    if (ArrayAdd(m_list->al_Positional, reinterpret_cast<uintptr_t>(copy)) < 0) {
        FreeStr(copy);
        return false;
    }
    return true;
}

bool Parse::read_pass(Source& source)
{
    const bool whole_line =
        m_list->al_Count == 1 && (m_list->al_Items[0].ai_Modifiers & ~ArgRequired) == ArgFinal;
    if (whole_line) {
        std::string rest = " ";
        rest.append(source.text + source.position, source.length - source.position);
        source.position = source.length;
        return set_item(m_list->al_Items[0], rest.c_str());
    }
    for (;;) {
        bool quoted = false;
        bool found = false;
        if (!read_token(source, quoted, found))
            return false;
        if (!found)
            return true;
        const char* token = m_block->ab_Buffer;
        if (!quoted && std::strcmp(token, "?") == 0) {
            m_help = true;
            continue;
        }
        const int32_t index = quoted ? -1 : find_keyword(token);
        if (index < 0) {
            if (!add_positional(token))
                return false;
            continue;
        }
        ArgItem& item = m_list->al_Items[index];
        if (item.ai_Modifiers & (ArgSwitch | ArgToggle)) {
            if (!set_item(item, token))
                return false;
            continue;
        }
        if (item.ai_Modifiers & ArgFinal) {
            std::string rest = " ";
            rest.append(source.text + source.position, source.length - source.position);
            source.position = source.length;
            if (!set_item(item, rest.c_str()))
                return false;
            continue;
        }
        if (!read_token(source, quoted, found))
            return false;
        if (!found)
            return true; // a keyword at the end is dropped
        if (!set_item(item, m_block->ab_Buffer))
            return false;
    }
}

// Takes a positional string for an item from the front or the back of the list: a
// string item the first string; a number or real the first that parses whole.
void Parse::take_positional_into(ArgItem& item, bool from_back)
{
    Array* strings = m_list->al_Positional;
    const uint32_t count = ArrayGetCount(strings);
    const bool numeric = (item.ai_Modifiers & (ArgNumber | ArgReal)) != 0;
    for (uint32_t step = 0; step < count; ++step) {
        const uint32_t index = from_back ? count - 1 - step : step;
        auto* text = reinterpret_cast<char*>(ArrayGet(strings, index));
        if (numeric) {
            int32_t number = 0;
            double real = 0.0;
            const bool whole = (item.ai_Modifiers & ArgNumber) ? integer_is_whole(text, number)
                                                               : real_is_whole(text, real, true);
            if (!whole)
                continue;
        }
        if (set_item(item, text)) {
            ArrayRemove(strings, index);
            FreeStr(text);
        }
        return;
    }
}

bool Parse::assign_strings()
{
    Array* strings = m_list->al_Positional;
    ArgItem* items = m_list->al_Items;
    const uint32_t count = m_list->al_Count;
    int32_t multi = -1;
    for (uint32_t i = 0; i < count && multi < 0; ++i) {
        const uint32_t modifiers = items[i].ai_Modifiers;
        if ((modifiers & ArgMultiple) && !(modifiers & ArgKeyword) &&
            (!(modifiers & ArgRequired) || ArrayGetCount(strings) != 0))
            multi = static_cast<int32_t>(i);
    }
    if (multi >= 0) {
        for (int32_t i = 0; i < multi && ArrayGetCount(strings) != 0; ++i) {
            if (!items[i].ai_HasValue && (items[i].ai_Modifiers & ArgRequired))
                take_positional_into(items[i], false);
        }
        for (int32_t i = static_cast<int32_t>(count) - 1; i > multi && ArrayGetCount(strings) != 0;
             --i) {
            if (!items[i].ai_HasValue && (items[i].ai_Modifiers & ArgRequired))
                take_positional_into(items[i], true);
        }
        ArgItem& item = items[multi];
        if (!((item.ai_Modifiers & ArgRequired) && ArrayGetCount(strings) == 0)) {
            while (ArrayGetCount(strings) != 0) {
                auto* text = reinterpret_cast<char*>(ArrayGet(strings, 0));
                const bool added = add_multi_value(text, false);
                ArrayRemove(strings, 0);
                FreeStr(text);
                if (!added)
                    return false;
            }
            close_multi_list(item);
        }
    } else {
        for (uint32_t i = 0; i < count && ArrayGetCount(strings) != 0; ++i) {
            ArgItem& item = items[i];
            if (item.ai_HasValue)
                continue;
            const uint32_t kind = item.ai_Modifiers & ~ArgRequired;
            if (kind != 0 && kind != ArgNumber && kind != ArgReal)
                continue;
            auto* text = reinterpret_cast<char*>(ArrayGet(strings, 0));
            if (kind == 0) {
                if (!set_item(item, text))
                    return false;
            } else if (!set_leading_number(item, text)) {
                return false;
            }
            ArrayRemove(strings, 0);
            FreeStr(text);
        }
    }
    return true;
}

bool Parse::read_input_line(std::string& line)
{
    FileHandle* input = Input();
    if (input == nullptr)
        return true;
    for (;;) {
        const int32_t c = FGetc(input);
        if (c < 0 || c == '\r' || c == '\n')
            return true;
        line += static_cast<char>(c);
    }
}

bool Parse::run()
{
    if (m_block->ab_Buffer == nullptr) {
        m_block->ab_Buffer = static_cast<char*>(AllocVec(kTokenBufferStep));
        if (m_block->ab_Buffer == nullptr)
            return false;
        m_block->ab_BufferSize = kTokenBufferStep;
        m_own_buffer = true;
    }
    if (m_block->ab_BufferSize == 0)
        return fail(IoErrNoMemory);
    if (!prepare())
        return false;
    for (;;) {
        m_help = false;
        std::string line;
        Source source{m_block->ab_Source != nullptr ? m_block->ab_Source : "", m_block->ab_Length,
                      m_block->ab_Position};
        if (m_block->ab_Source == nullptr || source.position > source.length)
            source.length = source.position = 0;
        if (m_block->ab_Flags & ArgBlockFromInput) {
            if (!read_input_line(line))
                return false;
            source = Source{line.c_str(), line.size(), 0};
        }
        const bool read = read_pass(source);
        if (!(m_block->ab_Flags & ArgBlockFromInput))
            m_block->ab_Position = static_cast<uint32_t>(source.position);
        if (!read || !assign_strings())
            return false;
        bool complete = true;
        for (uint32_t i = 0; i < m_list->al_Count; ++i) {
            const ArgItem& item = m_list->al_Items[i];
            if (item.ai_HasValue)
                m_results[i] = item.ai_Value;
            else if (item.ai_Modifiers & ArgRequired)
                complete = false;
        }
        if (!m_help)
            return complete ? true : fail(IoErrRequiredArgMissing);
        if (m_block->ab_Flags & ArgBlockNeverPrompt)
            return true;
        FileHandle* output = Output();
        if (output != nullptr) {
            if (m_block->ab_Prompt != nullptr) {
                FPuts(output, m_block->ab_Prompt);
            } else {
                FPuts(output, m_template);
                FPuts(output, " : ");
            }
            Flush(output);
        }
        m_block->ab_Flags |= ArgBlockFromInput;
    }
}

}

namespace osmark {

void free_arg_parse(ArgBlock* block)
{
    ArgList* list = block->ab_Parse;
    if (list == nullptr)
        return;
    if (list->al_MultiValues != nullptr) {
        for (uint32_t i = 0; i < ArrayGetCount(list->al_MultiValues); ++i)
            FreeVec(reinterpret_cast<void*>(ArrayGet(list->al_MultiValues, i)));
        ArrayDelete(list->al_MultiValues);
    }
    if (list->al_Positional != nullptr) {
        for (uint32_t i = 0; i < ArrayGetCount(list->al_Positional); ++i)
            FreeStr(reinterpret_cast<char*>(ArrayGet(list->al_Positional, i)));
        ArrayDelete(list->al_Positional);
    }
    for (uint32_t i = 0; i < list->al_Count; ++i)
        free_owned_value(list->al_Items[i]);
    FreeVec(list);
    block->ab_Parse = nullptr;
}

}

extern "C" {

OSMARK_API ArgBlock* ReadArgs(const char* arg_template, uintptr_t* results,
                              ArgBlock* block) noexcept
{
    if (arg_template == nullptr || results == nullptr) {
        osmark::set_io_error(IoErrNoMemory);
        return nullptr;
    }
    ArgBlock* used = block;
    if (used == nullptr) {
        used = static_cast<ArgBlock*>(AllocDosObjectA(DosObjectArgBlock, nullptr));
        if (used == nullptr)
            return nullptr;
        used->ab_Flags |= ArgBlockMadeByReadArgs;
    }
    osmark::free_arg_parse(used);
    bool parsed = false;
    try {
        Parse parse(used, arg_template, results);
        parsed = parse.run();
    } catch (const std::bad_alloc&) {
        osmark::set_io_error(IoErrNoMemory);
    }
    if (parsed)
        return used;
    const IoErrCode code = IoErr();
    osmark::free_arg_parse(used);
    if (used != block)
        FreeDosObject(DosObjectArgBlock, used);
    SetIoErr(code);
    return nullptr;
}

OSMARK_API void FreeArgs(ArgBlock* block) noexcept
{
    if (block == nullptr || block->ab_Parse == nullptr)
        return;
    osmark::free_arg_parse(block);
    if (block->ab_Flags & ArgBlockMadeByReadArgs) {
        const IoErrCode code = IoErr();
        FreeDosObject(DosObjectArgBlock, block);
        SetIoErr(code);
    }
}
}
