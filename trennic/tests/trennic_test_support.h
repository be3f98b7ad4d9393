// Geometry records, drawings and element records built in Trennic's tests.
#ifndef TRENNIC_TESTS_TRENNIC_TEST_SUPPORT_H
#define TRENNIC_TESTS_TRENNIC_TEST_SUPPORT_H

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "osmark/memory.h"
#include "osmark/testing.h"
#include "part_file_writer.h"
#include "trennic/trennic.h"

namespace trennic_test {

// A geometry record set up for the test and released when it ends.
struct Geometry {
    QXGeometryRec record{};

    Geometry() { QX_NewGeometry(&record); }
    ~Geometry() { QX_FreeGeometry(&record); }
    Geometry(const Geometry&) = delete;
    Geometry& operator=(const Geometry&) = delete;

    QXGeometryRec* get() { return &record; }
    QXGeometryRec* operator->() { return &record; }
    DXFDrawingRec& drawing() { return record.kz_Drawing; }

    int32_t load(const std::vector<uint8_t>& bytes, uint32_t flags = QXLoadDrawing | QXLoadMachines)
    {
        return QX_LoadGeometryInfoMem(bytes.data(), static_cast<uint32_t>(bytes.size()), &record,
                                      flags);
    }
};

// A set-up drawing with a pool, released when the test ends.
struct Drawing {
    DXFDrawingRec record{};

    Drawing()
    {
        NewDXFDrawing(&record);
        record.dxf_Pool = CreatePool(8192, 4096);
    }
    ~Drawing() { FreeDXFDrawing(&record); }
    Drawing(const Drawing&) = delete;
    Drawing& operator=(const Drawing&) = delete;

    DXFDrawingRec* get() { return &record; }
    DXFDrawingRec* operator->() { return &record; }
};

// The element's bytes in a record buffer; the rest of the buffer holds fill.
inline QXElementRec record_of(const kzv::Element& element,
                              kzv::Layout layout = kzv::Layout::Current, uint8_t fill = 0xEE)
{
    QXElementRec record;
    std::memset(record.qe_Bytes, fill, sizeof record.qe_Bytes);
    const std::vector<uint8_t> bytes = element.bytes(layout);
    std::memcpy(record.qe_Bytes, bytes.data(), bytes.size());
    return record;
}

inline const char* layer_name(const DXFDrawingRec& drawing, const ItemRec* item)
{
    return drawing.dxf_LayerTable.lt_Layers[item->it_Header.ih_Layer]->ld_Name;
}

inline void expect_point(const Point3DRec& got, double x, double y, double z = 0.0)
{
    EXPECT_NEAR(got.x, x, 1e-9);
    EXPECT_NEAR(got.y, y, 1e-9);
    EXPECT_NEAR(got.z, z, 1e-9);
}

// The live blocks of Osmark's heap.
inline uint32_t live_blocks()
{
    uint32_t live = 0;
    uint32_t total = 0;
    osmark_testing_allocation_counts(&live, &total);
    return live;
}

// Allocations fail for the life of the scope: after `successes` that work, the next
// `failures`.
struct FailingAllocations {
    FailingAllocations(uint32_t successes, uint32_t failures)
    {
        osmark_testing_fail_allocations(successes, failures);
    }
    ~FailingAllocations() { osmark_testing_fail_allocations(0, 0); }
    FailingAllocations(const FailingAllocations&) = delete;
    FailingAllocations& operator=(const FailingAllocations&) = delete;
};

}

#endif
