// Item-identifier lists: the shell's binary names of namespace objects, handled byte
// by byte.
//
// A list is a run of items, each a 16-bit little-endian byte count (its own two bytes
// included) followed by that many bytes less two; a zero count ends the list. The
// empty list (just the zero) stands for the desktop folder; nullptr is "no list".
// Every list that a manager returns is newly allocated from the task allocator
// (TaskAllocator), and the caller owns it and frees it with FreePIDL.
//
// There is no shell namespace here: lists are compared byte by byte and no folder can
// be bound to.
#ifndef VISTREL_LISTVIEW_COMMON_PIDL_MANAGER_H
#define VISTREL_LISTVIEW_COMMON_PIDL_MANAGER_H

#include "framework/classes.h"

#include <QtCore/QString>

#include <cstddef>
#include <cstdint>
#include <string>

namespace vistrel::listview {

// An item-identifier list; only ever handled through a pointer to its first byte.
struct ITEMIDLIST;
using PItemIDList = ITEMIDLIST*;

// The allocator that every list and task string comes from. Alloc answers nullptr
// when it cannot allocate; Free takes nullptr.
class TLqTaskAllocator {
public:
    virtual ~TLqTaskAllocator() = default;
    virtual void* Alloc(size_t bytes) = 0;
    virtual void Free(void* block) = 0;
};

// The process's task allocator (plain malloc and free).
TLqTaskAllocator* TaskAllocator();
// Replaces the task allocator (nullptr: the plain one again), for tests that make
// allocation fail; the managers made afterwards use it.
void SetTaskAllocatorForTesting(TLqTaskAllocator* allocator);

// A shell folder. Nothing can be bound here: it only names the interface.
class IShellFolder : public fw::IUnknown {
public:
    static constexpr fw::TGUID IID = fw::TGUID::Parse("{000214E6-0000-0000-C000-000000000046}");
};

class TLqCommonPIDLList;

class TLqCommonPIDLManager : public fw::TObject {
public:
    // Takes the task allocator; raises EOutOfMemory "Can not allocate the IMalloc
    // memory interface" when there is none.
    TLqCommonPIDLManager();
    ~TLqCommonPIDLManager() override;

    // ---- Walking (nothing is allocated)
    // The item after the first one (the list plus its first byte count; no test).
    PItemIDList NextID(PItemIDList IDList) const;
    // Items of the list; 0 for nullptr.
    int IDCount(PItemIDList IDList) const;
    // Bytes of the list with its terminating zero; 0 for nullptr.
    size_t PIDLSize(PItemIDList IDList) const;
    // The list exists and has no items.
    bool IsDesktopFolder(PItemIDList IDList) const;
    // The last item inside the list (the list itself when it has at most one item;
    // nullptr for nullptr).
    PItemIDList GetPointerToLastID(PItemIDList IDList) const;

    // ---- Copying (new lists; nullptr when the allocation fails)
    PItemIDList CopyPIDL(PItemIDList IDList) const;
    // Dest's items followed by Src's items; either may be nullptr (a copy of the other,
    // or of the empty list when both are). Neither is freed.
    PItemIDList AppendPIDL(PItemIDList DestPIDL, PItemIDList SrcPIDL) const;
    // A list of the last item alone (a copy of the list when it has at most one item).
    PItemIDList CopyLastID(PItemIDList IDList) const;

    // ---- Cutting in place
    // Writes a zero count over the last item and answers the list.
    PItemIDList StripLastID(PItemIDList IDList) const;
    // As above, reporting the cut item's count and place, so that the caller can write
    // the count back (LastCB 0 and LastID nullptr when nothing was cut).
    PItemIDList StripLastID(PItemIDList IDList, uint16_t& LastCB, PItemIDList& LastID) const;

    // ---- Comparing, byte by byte
    bool EqualPIDL(PItemIDList A, PItemIDList B) const;
    // FullPIDL begins with the items of SubPIDL.
    bool IsSubPIDL(PItemIDList FullPIDL, PItemIDList SubPIDL) const;

    // ---- Shell
    // False: there is no shell namespace to bind to; Folder stays empty.
    bool BindToParent(PItemIDList AbsolutePIDL, fw::TInterfacePtr<IShellFolder>& Folder) const;
    // Adds to PIDLList a copy for each item of AbsolutePIDL: with AllAbsolutePIDLs the
    // list up to and including that item, else that item alone. Nothing for nullptr.
    void ParsePIDL(PItemIDList AbsolutePIDL, TLqCommonPIDLList* PIDLList,
                   bool AllAbsolutePIDLs) const;

    // ---- Memory
    void FreePIDL(PItemIDList IDList) const;
    // Sets the variable to nullptr, then frees the list.
    void FreeAndNilPIDL(PItemIDList& IDList) const;
    void FreeOLEStr(char16_t* Str) const;
    // A NUL-terminated copy of the text in task memory; nullptr when it fails.
    char16_t* AllocStrGlobal(const QString& Text) const;
    // A list made of the string's bytes (nullptr for an empty string or when the
    // allocation fails). The bytes must form a list; they are not checked.
    PItemIDList StringToPIDL(const std::string& PIDLStr) const;

    // ---- Streams: a 4-byte size (0 for nullptr), then the list's bytes
    void SaveToStream(fw::TStream* Stream, PItemIDList IDList) const;
    // A new list, or nullptr for a nil stream or a size of 0 or below. Raises EReadError
    // "Stream read error" when the size runs past the stream's end or the bytes do not
    // form a list that ends within that size.
    PItemIDList LoadFromStream(fw::TStream* Stream) const;

private:
    TLqTaskAllocator* m_malloc;
};

// Whether the size bytes starting at Bytes form a list whose terminating zero lies
// within them.
bool IsWellFormedPIDL(const uint8_t* Bytes, size_t Size);

}

#endif
