#include "listview/common/pidl_list.h"

#include "framework/sysutils.h"

#include <array>

namespace vistrel::listview {

TLqCommonPIDLList::TLqCommonPIDLList() : m_local_pidl_mgr(std::make_unique<TLqCommonPIDLManager>())
{
}

TLqCommonPIDLList::~TLqCommonPIDLList()
{
    m_destroying = true;
    // The base destructor no longer reaches this class's Clear.
    Clear();
}

void TLqCommonPIDLList::Clear()
{
    if (!m_share_pidls) {
        for (int i = 0; i < Count(); ++i)
            m_local_pidl_mgr->FreePIDL(Items(i));
    }
    fw::TList::Clear();
}

int TLqCommonPIDLList::CopyAdd(PItemIDList IDList)
{
    return Add(m_local_pidl_mgr->CopyPIDL(IDList));
}

void TLqCommonPIDLList::CloneList(TLqCommonPIDLList* PIDLList)
{
    if (PIDLList == nullptr || PIDLList == this)
        return;
    Clear();
    for (int i = 0; i < PIDLList->Count(); ++i)
        CopyAdd(PIDLList->Items(i));
}

int TLqCommonPIDLList::FindPIDL(PItemIDList TestPIDL) const
{
    for (int i = 0; i < Count(); ++i) {
        if (m_local_pidl_mgr->EqualPIDL(Items(i), TestPIDL))
            return i;
    }
    return -1;
}

bool TLqCommonPIDLList::LoadFromStream(fw::TStream* Stream)
{
    try {
        std::array<uint8_t, 4> header{};
        Stream->ReadBuffer(header.data(), 4);
        const auto count =
            static_cast<int32_t>(static_cast<uint32_t>(header[0]) | (header[1] << 8) |
                                 (header[2] << 16) | (static_cast<uint32_t>(header[3]) << 24));
        if (count < 0)
            return false;
        // Every list takes at least its 4-byte size in the stream.
        const int64_t size = Stream->Size();
        const int64_t position = Stream->Position();
        if (size >= 0 && position >= 0 && int64_t{count} * 4 > size - position)
            return false;
        for (int32_t i = 0; i < count; ++i) {
            const PItemIDList list = m_local_pidl_mgr->LoadFromStream(Stream);
            try {
                Add(list);
            } catch (...) {
                m_local_pidl_mgr->FreePIDL(list);
                throw;
            }
        }
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

bool TLqCommonPIDLList::SaveToStream(fw::TStream* Stream)
{
    try {
        const auto count = static_cast<uint32_t>(Count());
        const std::array<uint8_t, 4> header{
            static_cast<uint8_t>(count), static_cast<uint8_t>(count >> 8),
            static_cast<uint8_t>(count >> 16), static_cast<uint8_t>(count >> 24)};
        Stream->WriteBuffer(header.data(), 4);
        for (int i = 0; i < Count(); ++i)
            m_local_pidl_mgr->SaveToStream(Stream, Items(i));
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

}
