// The list-view control's saved state: the control's header, its groups with their
// items, and the columns, read from untrusted bytes. Malformed input must end in an
// exception of the framework, never a crash, a hang or a leak.

#include "framework/classes.h"
#include "listview/listview.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool ready = [] {
        vistrel::listview::InitializeListviewUnit();
        return true;
    }();
    (void)ready;
    fw::TMemoryStream stream;
    if (size > 0)
        stream.WriteBuffer(data, static_cast<int32_t>(size));
    stream.SetPosition(0);
    fw::TOwned<vistrel::listview::TLqListview> control(new vistrel::listview::TLqListview(nullptr));
    try {
        control->LoadFromStream(&stream);
    } catch (const fw::Exception&) {
    }
    return 0;
}
