// Damaged part files, failing memory and repeated loads: every failure is a code, and
// a failed load leaves the record as it was.

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "part_file_samples.h"
#include "part_file_writer.h"
#include "test_support/allocation_failure.h"
#include "trennic_test_support.h"

namespace {

using trennic_test::FailingAllocations;
using trennic_test::Geometry;
using trennic_test::live_blocks;

constexpr size_t kHeaderLength = 128;
constexpr size_t kMaterialLength = 256;

void put_u32(std::vector<uint8_t>& bytes, size_t offset, uint32_t value)
{
    for (size_t i = 0; i < 4; ++i)
        bytes.at(offset + i) = static_cast<uint8_t>(value >> (8 * i));
}

// The record holds nothing that a load makes (set up, or as a load left it).
struct RecordState {
    int32_t version;
    const char* material;
    int32_t machines;
    const QXMachineRec* table;
    int32_t items;
    int32_t block_items;
    int32_t blocks;
    int32_t layers;
    const Pool* pool;
    uint32_t last_id;
    int32_t allow_cluster;

    static RecordState of(const QXGeometryRec& record)
    {
        const DXFDrawingRec& drawing = record.kz_Drawing;
        return {record.kz_Version,
                record.kz_MaterialName,
                record.kz_NumMachines,
                record.kz_Machines,
                drawing.dxf_ItemBuffer.ib_N,
                drawing.dxf_BlockItemBuffer.ib_N,
                drawing.dxf_BlockIdentifierBuffer.bib_N,
                drawing.dxf_LayerTable.lt_N,
                drawing.dxf_Pool,
                drawing.dxf_LastID,
                record.kz_CommonCutNestData.qxc_AllowCluster};
    }
    bool operator==(const RecordState&) const = default;
};

TEST(PartFileFaults, DamagedHeadersAndMarkers)
{
    const std::vector<uint8_t> good = kzv::write_part(kzv::plate({15, 20, 0}));
    const size_t section_a = kHeaderLength + kMaterialLength;
    constexpr size_t kAll = SIZE_MAX;
    struct Row {
        const char* what;
        size_t keep;   // bytes kept
        size_t offset; // word to change, or kAll
        uint32_t value;
        int32_t expected;
    };
    const Row rows[] = {
        {"empty file", 0, kAll, 0, -24},
        {"short header", kHeaderLength - 1, kAll, 0, -24},
        {"unknown format id", kAll, 0, 0x12345678, -25},
        {"another id of the maker", kAll, 0, 0x55AA0000, -25},
        {"nest file", kAll, 52, 0x02020202, -32},
        {"short material header", kHeaderLength + 10, kAll, 0, -24},
        {"material header of another format", kAll, kHeaderLength, 0x55AA1234, -25},
        {"section A without marker", section_a + 2, kAll, 0, -24},
        {"section A without count", section_a + 6, kAll, 0, -24},
        {"section A with a wrong marker", kAll, section_a, 0x55AA55AB, -25},
        {"section A counting more records than the file holds", kAll, section_a + 4, 100000, -24},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        std::vector<uint8_t> bytes = good;
        if (row.keep != kAll)
            bytes.resize(row.keep);
        if (row.offset != kAll)
            put_u32(bytes, row.offset, row.value);
        Geometry geometry;
        const RecordState before = RecordState::of(geometry.record);
        EXPECT_EQ(QX_LoadGeometryInfoMem(bytes.data(), static_cast<uint32_t>(bytes.size()),
                                         geometry.get(), 3),
                  row.expected);
        EXPECT_TRUE(RecordState::of(geometry.record) == before);
    }
}

TEST(PartFileFaults, ElementLengthsAndRecordsTooShortForTheirKind)
{
    struct Row {
        const char* what;
        kzv::Element element;
        kzv::Version version;
        int32_t expected;
    };
    const kzv::Version current{15, 20, 0};
    const kzv::Version old{15, 19, 0};
    const kzv::Element array = kzv::circular_array("B", 0, 0, 0, 1, 1, 0, 1, 2);
    const Row rows[] = {
        {"length 4", kzv::tooling(3).length(4), current, -24},
        {"length 1025", kzv::tooling(3).length(1025), current, -24},
        {"length 1024", kzv::tooling(3).length(1024), current, 0},
        {"shorter than the head", kzv::tooling(3).length(23), current, -24},
        {"head only", kzv::tooling(3).length(24), current, 0},
        {"line without its angle", kzv::line(0, 0, 1, 1).length(103), current, -24},
        {"line", kzv::line(0, 0, 1, 1).length(104), current, 0},
        {"arc without direction", kzv::arc(0, 0, 1, 0, 1, 1).length(123), current, -24},
        {"circle", kzv::circle(0, 0, 1).length(72), current, 0},
        {"text without height", kzv::text(0, 0, 0, 1, "").length(75), current, -24},
        {"text ending in its text", kzv::text(0, 0, 0, 1, "LONG TEXT").length(88), current, 0},
        {"circular array without count", kzv::Element(array).length(189), current, -24},
        {"old circular array without count", kzv::Element(array).length(193), old, -24},
        {"old circular array", kzv::Element(array).length(194), old, 0},
        {"tooling word cut", kzv::tooling_with_word(1).length(47), current, -24},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        kzv::Part part;
        part.version = row.version;
        part.elements = {kzv::line(0, 0, 5, 5), row.element};
        Geometry geometry;
        EXPECT_EQ(geometry.load(kzv::write_part(part)), row.expected);
        // A failed load adds nothing; a good one at least the first line.
        EXPECT_EQ(geometry.drawing().dxf_ItemBuffer.ib_N > 0, row.expected == 0);
    }
}

TEST(PartFileFaults, CountsNeverSizeAnAllocationOrWrapAProduct)
{
    // Counts whose 32-bit products with their record sizes wrap to a few bytes: only
    // as many records as the file holds are ever read or reserved.
    struct Row {
        const char* what;
        kzv::Version version;
        size_t section; // 0 A, 1 B, 2 C
        uint32_t count;
    };
    const Row rows[] = {
        {"layer definitions", {15, 20, 0}, 0, 0xFFFFFFFF},
        {"layer definitions wrapping", {15, 20, 0}, 0, 0x013B13B2},
        {"section B wrapping to 44", {15, 20, 0}, 1, 0x04444445},
        {"section C of 81 bytes wrapping to 32", {15, 20, 0}, 2, 0x03291620},
        {"section C of 44 bytes wrapping to 40", {3, 0, 0}, 2, 0x05D1745E},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        kzv::Part part = kzv::plate(row.version);
        part.layers.clear();
        part.section_b_records = 0;
        part.section_c_records = 0;
        std::vector<uint8_t> bytes = kzv::write_part(part);
        const size_t section_a = kHeaderLength + (row.version.at_least(3.0) ? kMaterialLength : 0);
        const size_t count_offset = section_a + 4 + 8 * row.section;
        put_u32(bytes, count_offset, row.count);
        Geometry geometry;
        EXPECT_EQ(geometry.load(bytes), -24);
    }
}

TEST(PartFileFaults, EveryCutOfAFileIsAShortReadOrAWholePart)
{
    for (const kzv::Part& part : {kzv::plate({15, 20, 0}), kzv::plate({15, 19, 0}),
                                  kzv::plate({2, 10, 0}), kzv::blocks_part()}) {
        const std::vector<uint8_t> bytes = kzv::write_part(part);
        // The text lines begin behind the last length word.
        size_t text = bytes.size();
        for (const std::string& line : part.text_lines)
            text -= line.size() + part.line_end.size();
        for (size_t cut = 0; cut < bytes.size(); ++cut) {
            Geometry geometry;
            const RecordState before = RecordState::of(geometry.record);
            const int32_t result =
                QX_LoadGeometryInfoMem(bytes.data(), static_cast<uint32_t>(cut), geometry.get(), 3);
            if (cut >= text) {
                ASSERT_EQ(result, 0) << cut;
                continue;
            }
            ASSERT_EQ(result, -24) << cut;
            ASSERT_TRUE(RecordState::of(geometry.record) == before) << cut;
        }
    }
}

TEST(PartFileFaults, FailingMemoryLeavesTheRecordAsItWasAndLeaksNothing)
{
    const std::vector<uint8_t> bytes = kzv::write_part(kzv::plate({15, 20, 0}));
    const std::vector<uint8_t> blocks = kzv::write_part(kzv::blocks_part());
    const uint32_t baseline = live_blocks();
    int32_t result = -1;
    for (uint32_t successes = 0; result != 0; ++successes) {
        ASSERT_LT(successes, 5000u);
        Geometry geometry;
        // A record that holds a part already: a failed load keeps it as it was.
        ASSERT_EQ(geometry.load(blocks), 0);
        const RecordState before = RecordState::of(geometry.record);
        {
            FailingAllocations failing(successes, 1);
            test_support::NewJoinsCountdown joins;
            result = geometry.load(bytes);
        }
        if (result != 0) {
            ASSERT_EQ(result, -1) << successes;
            ASSERT_TRUE(RecordState::of(geometry.record) == before) << successes;
        }
    }
    EXPECT_EQ(live_blocks(), baseline);
}

TEST(PartFileFaults, LoadingAgainIntoTheSameRecordLeaksNothing)
{
    const std::vector<uint8_t> plate = kzv::write_part(kzv::plate({15, 20, 0}));
    const uint32_t baseline = live_blocks();
    {
        Geometry geometry;
        ASSERT_EQ(geometry.load(plate), 0);
        const int32_t items = geometry.drawing().dxf_ItemBuffer.ib_N;
        ASSERT_EQ(geometry.load(plate), 0);
        ASSERT_EQ(geometry.load(plate, 0), 0);
        EXPECT_EQ(geometry.drawing().dxf_ItemBuffer.ib_N, 2 * items)
            << "a load adds to the drawing";
        EXPECT_EQ(geometry->kz_NumMachines, 3)
            << "the table is built anew, the lines find their machines";
        EXPECT_STREQ(geometry->kz_MaterialName, "S235JR");
    }
    EXPECT_EQ(live_blocks(), baseline);
}

}
