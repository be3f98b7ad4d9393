// The tooling bits that element records leave on the layers of the machine table.

#include <gtest/gtest.h>

#include "part_file_writer.h"
#include "trennic/elements.h"
#include "trennic_test_support.h"

namespace {

using trennic_test::Geometry;
using trennic_test::record_of;

// Two machines: "A" with layers 9001 and 9002, "B" with 9002 and 9003.
class LayerTooling : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(AddMachine(geometry.get(), "A"), 0);
        ASSERT_EQ(AddMachine(geometry.get(), "B"), 1);
        QXMachineRec* machines = geometry->kz_Machines;
        machines[0].km_Layers[0].kl_ID = 9001;
        machines[0].km_Layers[1].kl_ID = 9002;
        machines[1].km_Layers[0].kl_ID = 9002;
        machines[1].km_Layers[1].kl_ID = 9003;
    }

    uint32_t tooling_of(size_t machine, size_t layer) const
    {
        return geometry.record.kz_Machines[machine].km_Layers[layer].kl_HasTooling;
    }

    Geometry geometry;
};

TEST_F(LayerTooling, EachKindMarksItsBits)
{
    struct Row {
        kzv::Element element;
        uint32_t bits;
    };
    const Row rows[] = {
        {kzv::tooling(0), 0x11},
        {kzv::tooling(1), 0x11},
        {kzv::tooling(5), 0x11},
        {kzv::rectangular_array("X", 0, 0, 0, 1, 0, 0, 1, 0, 0), 0x11},
        {kzv::tooling_with_word(1), 0x11},
        {kzv::tooling_with_word(10), 0x11},
        {kzv::tooling_with_word(2), 0},
        {kzv::tooling(2), 0x21},
        {kzv::tooling(3), 0x21},
        {kzv::tooling(4), 0x21},
        {kzv::tooling(11), 0x05},
        {kzv::tooling(17), 0x05},
        {kzv::tooling(14), 0x41},
        {kzv::tooling(16), 0x41},
        {kzv::tooling(15), 0x03},
        {kzv::tooling(18), 0x09},
        {kzv::tooling(19), 0x81},
        {kzv::tooling(115), 0x101},
        {kzv::tooling(215), 0x101},
        {kzv::tooling(6), 0},
        {kzv::tooling(117), 0},
        {kzv::line(0, 0, 1, 1), 0},
        {kzv::placement("X", 0, 0, 0), 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.element.kind());
        geometry->kz_Machines[1].km_Layers[1].kl_HasTooling = 0;
        kzv::Element element = row.element;
        const QXElementRec record = record_of(element.layer(9003));
        MarkLayerTooling(geometry.get(), &record);
        EXPECT_EQ(tooling_of(1, 1), row.bits);
    }
}

TEST_F(LayerTooling, LayerIsTheFirstWithTheIdOrTheBaseLayer)
{
    QXElementRec record = record_of(kzv::tooling(2).layer(9002));
    MarkLayerTooling(geometry.get(), &record);
    EXPECT_EQ(tooling_of(0, 1), 0x21u) << "machine A's layer comes first";
    EXPECT_EQ(tooling_of(1, 0), 0u);
    record = record_of(kzv::tooling(15).layer(9002));
    MarkLayerTooling(geometry.get(), &record);
    EXPECT_EQ(tooling_of(0, 1), 0x23u) << "bits add up";

    record = record_of(kzv::tooling(19).layer(0));
    MarkLayerTooling(geometry.get(), &record);
    EXPECT_EQ(geometry->kz_BaseLayer.kl_HasTooling, 0x81u);

    // No layer of that id: nothing changes anywhere.
    const QXLayerRec base = geometry->kz_BaseLayer;
    record = record_of(kzv::tooling(0).layer(4711));
    MarkLayerTooling(geometry.get(), &record);
    EXPECT_EQ(geometry->kz_BaseLayer.kl_HasTooling, base.kl_HasTooling);
    for (size_t m = 0; m < 2; ++m) {
        for (size_t l = 2; l < 6; ++l)
            EXPECT_EQ(tooling_of(m, l), 0u);
    }
    EXPECT_EQ(tooling_of(0, 0), 0u);
    MarkLayerTooling(nullptr, &record);
    MarkLayerTooling(geometry.get(), nullptr);
}

TEST_F(LayerTooling, RecordTooShortForItsWordMarksNothing)
{
    const QXElementRec record = record_of(kzv::tooling_with_word(1).layer(9001).length(47));
    MarkLayerTooling(geometry.get(), &record);
    EXPECT_EQ(tooling_of(0, 0), 0u);
}

}
