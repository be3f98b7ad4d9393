// Fuzz target of the list-view control's binary stream readers: the values of its
// collections (booleans, colours, integers, extended floats, strings, whole streams)
// and the lists of item-identifier lists.
//
// Input: a control byte, then the stream's bytes. Control bit 0 set: the stream is a
// list of item-identifier lists, loaded, walked and saved again. Clear: the stream is
// read as values, each preceded by a byte whose low three bits pick the reader, until
// the stream ends or a reader refuses it.

#include "listview/common/memory_stream_helper.h"
#include "listview/common/pidl_list.h"

#include "framework/classes.h"
#include "framework/sysutils.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

using namespace vistrel::listview;

void read_values(fw::TMemoryStream& stream)
{
    TLqCommonMemoryStreamHelper helper;
    fw::TMemoryStream target;
    try {
        while (stream.Position() < stream.Size()) {
            uint8_t pick = 0;
            stream.ReadBuffer(&pick, 1);
            switch (pick & 7) {
            case 0:
                helper.ReadBoolean(&stream);
                break;
            case 1:
                helper.ReadColor(&stream);
                break;
            case 2:
                helper.ReadInteger(&stream);
                break;
            case 3:
                helper.ReadInt64(&stream);
                break;
            case 4:
                helper.ReadExtended(&stream);
                break;
            case 5:
                helper.ReadString(&stream);
                break;
            case 6:
                helper.ReadWideString(&stream);
                break;
            default:
                helper.ReadStream(&stream, &target);
                break;
            }
        }
    } catch (const fw::EReadError&) {
        // A length past the end: the stream is refused, nothing more to check.
    }
}

void read_lists(fw::TMemoryStream& stream)
{
    TLqCommonPIDLList lists;
    lists.LoadFromStream(&stream);
    const TLqCommonPIDLManager& manager = *lists.PIDLManager();
    TLqCommonPIDLList levels;
    for (int i = 0; i < lists.Count(); ++i) {
        const PItemIDList list = lists.Items(i);
        // Every walk must keep within what was loaded.
        manager.IDCount(list);
        manager.GetPointerToLastID(list);
        manager.ParsePIDL(list, &levels, (i & 1) != 0);
        if (list != nullptr && !manager.IsSubPIDL(list, list))
            std::abort(); // a list begins with itself
        manager.FreePIDL(manager.CopyLastID(list));
    }
    fw::TMemoryStream saved;
    if (!lists.SaveToStream(&saved))
        std::abort();
    saved.SetPosition(0);
    TLqCommonPIDLList again;
    if (!again.LoadFromStream(&saved) || again.Count() != lists.Count())
        std::abort(); // what was loaded must load again
}

}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    fw::TMemoryStream stream;
    if (size > 1)
        stream.WriteBuffer(data + 1, static_cast<int32_t>(size - 1));
    stream.SetPosition(0);
    if ((data[0] & 1) != 0)
        read_lists(stream);
    else
        read_values(stream);
    return 0;
}
