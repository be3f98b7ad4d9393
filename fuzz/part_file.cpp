// Fuzz target of the part-file reader (its memory entry point).
//
// Every input is read with each combination of flags. The checks are the reader's
// promises: only its codes come back, whether a file is accepted does not depend on
// what is built from it, and a refused file leaves the record set up and empty.

#include <cstddef>
#include <cstdint>
#include <initializer_list>

#include "osmark/errors.h"
#include "trennic/trennic.h"

namespace {

void check(bool condition)
{
    if (!condition)
        __builtin_trap();
}

bool is_reader_code(int32_t result)
{
    return result == 0 || result == IoErrBadIO || result == IoErrObjectInvalid ||
           result == IoErrWrongType || result == IoErrNoMemory;
}

}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > (1u << 22))
        return 0;
    int32_t first = 1;
    for (const uint32_t flags : {0u, 1u, 2u, 3u}) {
        QXGeometryRec geometry;
        QX_NewGeometry(&geometry);
        const int32_t result =
            QX_LoadGeometryInfoMem(data, static_cast<uint32_t>(size), &geometry, flags);
        check(is_reader_code(result));
        if (first == 1)
            first = result;
        check(result == first || result == IoErrNoMemory || first == IoErrNoMemory);
        if (result != 0) {
            check(geometry.kz_Version == 0 && geometry.kz_MaterialName == nullptr &&
                  geometry.kz_Machines == nullptr);
            check(geometry.kz_Drawing.dxf_Pool == nullptr &&
                  geometry.kz_Drawing.dxf_ItemBuffer.ib_N == 0);
        }
        QX_FreeGeometry(&geometry);
    }
    return 0;
}
