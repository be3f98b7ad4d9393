#include "listview/common/pidl_manager.h"

#include "listview/common/pidl_list.h"

#include "framework/sysutils.h"

#include <cstdlib>
#include <cstring>

namespace vistrel::listview {

// ---- The task allocator ----------------------------------------------------------------

namespace {

class PlainAllocator final : public TLqTaskAllocator {
public:
    void* Alloc(size_t bytes) override { return std::malloc(bytes == 0 ? 1 : bytes); }
    void Free(void* block) override { std::free(block); }
};

PlainAllocator g_plain_allocator;
TLqTaskAllocator* g_allocator = &g_plain_allocator;

}

TLqTaskAllocator* TaskAllocator()
{
    return g_allocator;
}

void SetTaskAllocatorForTesting(TLqTaskAllocator* allocator)
{
    g_allocator = allocator != nullptr ? allocator : &g_plain_allocator;
}

// ---- Bytes of a list -----------------------------------------------------------------------

namespace {

uint8_t* bytes_of(PItemIDList list)
{
    return reinterpret_cast<uint8_t*>(list);
}

PItemIDList list_at(uint8_t* bytes)
{
    return reinterpret_cast<PItemIDList>(bytes);
}

// The byte count at the start of an item (read byte by byte: items need not be aligned).
uint16_t count_at(const uint8_t* item)
{
    return static_cast<uint16_t>(item[0] | (item[1] << 8));
}

void set_count_at(uint8_t* item, uint16_t count)
{
    item[0] = static_cast<uint8_t>(count);
    item[1] = static_cast<uint8_t>(count >> 8);
}

// A count of 1 cannot hold even itself; it would loop for ever, so it ends the list.
bool ends_list(const uint8_t* item)
{
    return count_at(item) < 2;
}

// The bytes of the list without its terminating zero.
size_t items_size(const uint8_t* list)
{
    size_t size = 0;
    while (!ends_list(list + size))
        size += count_at(list + size);
    return size;
}

}

bool IsWellFormedPIDL(const uint8_t* Bytes, size_t Size)
{
    size_t position = 0;
    while (position + 2 <= Size) {
        const uint16_t count = count_at(Bytes + position);
        if (count == 0)
            return true;
        if (count < 2)
            return false;
        position += count;
    }
    return false;
}

// ---- The manager ----------------------------------------------------------------------------

TLqCommonPIDLManager::TLqCommonPIDLManager() : m_malloc(TaskAllocator())
{
    if (m_malloc == nullptr)
        throw fw::EOutOfMemory(QStringLiteral("Can not allocate the IMalloc memory interface"));
}

TLqCommonPIDLManager::~TLqCommonPIDLManager() = default;

PItemIDList TLqCommonPIDLManager::NextID(PItemIDList IDList) const
{
    return list_at(bytes_of(IDList) + count_at(bytes_of(IDList)));
}

int TLqCommonPIDLManager::IDCount(PItemIDList IDList) const
{
    if (IDList == nullptr)
        return 0;
    int count = 0;
    for (const uint8_t* item = bytes_of(IDList); !ends_list(item); item += count_at(item))
        ++count;
    return count;
}

size_t TLqCommonPIDLManager::PIDLSize(PItemIDList IDList) const
{
    if (IDList == nullptr)
        return 0;
    return items_size(bytes_of(IDList)) + 2;
}

bool TLqCommonPIDLManager::IsDesktopFolder(PItemIDList IDList) const
{
    return IDList != nullptr && ends_list(bytes_of(IDList));
}

PItemIDList TLqCommonPIDLManager::GetPointerToLastID(PItemIDList IDList) const
{
    if (IDList == nullptr)
        return nullptr;
    uint8_t* last = bytes_of(IDList);
    if (ends_list(last))
        return IDList;
    while (!ends_list(last + count_at(last)))
        last += count_at(last);
    return list_at(last);
}

PItemIDList TLqCommonPIDLManager::CopyPIDL(PItemIDList IDList) const
{
    if (IDList == nullptr)
        return nullptr;
    const size_t size = PIDLSize(IDList);
    auto* copy = static_cast<uint8_t*>(m_malloc->Alloc(size));
    if (copy == nullptr)
        return nullptr;
    std::memcpy(copy, IDList, size);
    return list_at(copy);
}

PItemIDList TLqCommonPIDLManager::AppendPIDL(PItemIDList DestPIDL, PItemIDList SrcPIDL) const
{
    const size_t first = DestPIDL != nullptr ? items_size(bytes_of(DestPIDL)) : 0;
    // Without a second part the terminator still has to be there: the result is then a
    // copy of Dest (or of the empty list).
    const size_t second = SrcPIDL != nullptr ? PIDLSize(SrcPIDL) : 2;
    auto* list = static_cast<uint8_t*>(m_malloc->Alloc(first + second));
    if (list == nullptr)
        return nullptr;
    if (first > 0)
        std::memcpy(list, DestPIDL, first);
    if (SrcPIDL != nullptr)
        std::memcpy(list + first, SrcPIDL, second);
    else
        set_count_at(list + first, 0);
    return list_at(list);
}

PItemIDList TLqCommonPIDLManager::CopyLastID(PItemIDList IDList) const
{
    if (IDList == nullptr)
        return nullptr;
    return CopyPIDL(GetPointerToLastID(IDList));
}

PItemIDList TLqCommonPIDLManager::StripLastID(PItemIDList IDList) const
{
    uint16_t count = 0;
    PItemIDList last = nullptr;
    return StripLastID(IDList, count, last);
}

PItemIDList TLqCommonPIDLManager::StripLastID(PItemIDList IDList, uint16_t& LastCB,
                                              PItemIDList& LastID) const
{
    LastCB = 0;
    LastID = nullptr;
    if (IDList == nullptr || ends_list(bytes_of(IDList)))
        return IDList;
    LastID = GetPointerToLastID(IDList);
    LastCB = count_at(bytes_of(LastID));
    set_count_at(bytes_of(LastID), 0);
    return IDList;
}

bool TLqCommonPIDLManager::EqualPIDL(PItemIDList A, PItemIDList B) const
{
    if (A == nullptr || B == nullptr)
        return false;
    const size_t size = PIDLSize(A);
    return size == PIDLSize(B) && std::memcmp(A, B, size) == 0;
}

bool TLqCommonPIDLManager::IsSubPIDL(PItemIDList FullPIDL, PItemIDList SubPIDL) const
{
    if (FullPIDL == nullptr || SubPIDL == nullptr)
        return false;
    const int items = IDCount(SubPIDL);
    if (IDCount(FullPIDL) < items)
        return false;
    // FullPIDL is cut after as many items as SubPIDL has, compared, and mended.
    uint8_t* cut = bytes_of(FullPIDL);
    for (int i = 0; i < items; ++i)
        cut += count_at(cut);
    const uint16_t saved = count_at(cut);
    set_count_at(cut, 0);
    const bool equal = EqualPIDL(FullPIDL, SubPIDL);
    set_count_at(cut, saved);
    return equal;
}

bool TLqCommonPIDLManager::BindToParent(PItemIDList /*AbsolutePIDL*/,
                                        fw::TInterfacePtr<IShellFolder>& Folder) const
{
    Folder.reset();
    return false;
}

void TLqCommonPIDLManager::ParsePIDL(PItemIDList AbsolutePIDL, TLqCommonPIDLList* PIDLList,
                                     bool AllAbsolutePIDLs) const
{
    if (PIDLList == nullptr || AbsolutePIDL == nullptr)
        return;
    uint8_t* const start = bytes_of(AbsolutePIDL);
    for (uint8_t* item = start; !ends_list(item);) {
        uint8_t* const next = item + count_at(item);
        // Cut right after this item for the copy, and mend at once.
        const uint16_t saved = count_at(next);
        set_count_at(next, 0);
        PIDLList->CopyAdd(list_at(AllAbsolutePIDLs ? start : item));
        set_count_at(next, saved);
        item = next;
    }
}

void TLqCommonPIDLManager::FreePIDL(PItemIDList IDList) const
{
    m_malloc->Free(IDList);
}

void TLqCommonPIDLManager::FreeAndNilPIDL(PItemIDList& IDList) const
{
    const PItemIDList doomed = IDList;
    IDList = nullptr;
    FreePIDL(doomed);
}

void TLqCommonPIDLManager::FreeOLEStr(char16_t* Str) const
{
    m_malloc->Free(Str);
}

char16_t* TLqCommonPIDLManager::AllocStrGlobal(const QString& Text) const
{
    const size_t units = static_cast<size_t>(Text.size()) + 1;
    auto* copy = static_cast<char16_t*>(m_malloc->Alloc(units * sizeof(char16_t)));
    if (copy == nullptr)
        return nullptr;
    std::memcpy(copy, Text.utf16(), units * sizeof(char16_t));
    return copy;
}

PItemIDList TLqCommonPIDLManager::StringToPIDL(const std::string& PIDLStr) const
{
    if (PIDLStr.empty())
        return nullptr;
    auto* list = static_cast<uint8_t*>(m_malloc->Alloc(PIDLStr.size()));
    if (list == nullptr)
        return nullptr;
    std::memcpy(list, PIDLStr.data(), PIDLStr.size());
    return list_at(list);
}

void TLqCommonPIDLManager::SaveToStream(fw::TStream* Stream, PItemIDList IDList) const
{
    const auto size = static_cast<int32_t>(PIDLSize(IDList));
    uint8_t header[4] = {static_cast<uint8_t>(size), static_cast<uint8_t>(size >> 8),
                         static_cast<uint8_t>(size >> 16), static_cast<uint8_t>(size >> 24)};
    Stream->WriteBuffer(header, 4);
    if (size > 0)
        Stream->WriteBuffer(IDList, size);
}

PItemIDList TLqCommonPIDLManager::LoadFromStream(fw::TStream* Stream) const
{
    if (Stream == nullptr)
        return nullptr;
    uint8_t header[4] = {};
    Stream->ReadBuffer(header, 4);
    const auto size =
        static_cast<int32_t>(static_cast<uint32_t>(header[0]) | (header[1] << 8) |
                             (header[2] << 16) | (static_cast<uint32_t>(header[3]) << 24));
    if (size <= 0)
        return nullptr;
    const int64_t stream_size = Stream->Size();
    const int64_t position = Stream->Position();
    if (stream_size >= 0 && position >= 0 && size > stream_size - position)
        throw fw::EReadError(QStringLiteral("Stream read error"));
    auto* list = static_cast<uint8_t*>(m_malloc->Alloc(static_cast<size_t>(size)));
    if (list == nullptr)
        throw fw::EOutOfMemory(QStringLiteral("Out of memory"));
    try {
        Stream->ReadBuffer(list, size);
    } catch (...) {
        m_malloc->Free(list);
        throw;
    }
    // Every walk over the list trusts its counts: they must end within the block.
    if (!IsWellFormedPIDL(list, static_cast<size_t>(size))) {
        m_malloc->Free(list);
        throw fw::EReadError(QStringLiteral("Stream read error"));
    }
    return list_at(list);
}

}
