// Tooling bits of element records on the layers of a machine table.

#include "elements/layer_tooling.h"

#include "elements/element_layout.h"
#include "trennic/elements.h"

namespace trennic {

uint32_t tooling_bits(const ElementView& element)
{
    switch (element.kind()) {
    case 0:
    case 1:
    case 5:
    case 8:
        return 0x11;
    case element::kToolingWithWord: {
        const uint32_t word = element.u32(element::kToolingWordOffset);
        return word == 1 || word == 10 ? 0x11 : 0;
    }
    case 2:
    case 3:
    case 4:
        return 0x21;
    case 11:
    case 17:
        return 0x05;
    case 14:
    case 16:
        return 0x41;
    case 15:
        return 0x03;
    case 18:
        return 0x09;
    case 19:
        return 0x81;
    case 115:
    case 215:
        return 0x101;
    default:
        return 0;
    }
}

void mark_layer_tooling(QXMachineRec* machines, int32_t count, QXLayerRec& base_layer,
                        const ElementView& element)
{
    if (!element.is_complete())
        return;
    const uint32_t bits = tooling_bits(element);
    if (bits == 0)
        return;
    const auto id = static_cast<int32_t>(element.layer_id());
    if (id == 0) {
        base_layer.kl_HasTooling |= bits;
        return;
    }
    for (int32_t m = 0; m < count; ++m) {
        QXMachineRec& machine = machines[m];
        for (int32_t l = 0; l < machine.km_NumLayers; ++l) {
            if (machine.km_Layers[l].kl_ID == id) {
                machine.km_Layers[l].kl_HasTooling |= bits;
                return;
            }
        }
    }
}

}

extern "C" {

TRENNIC_API void MarkLayerTooling(QXGeometryRec* geometry, const QXElementRec* record) noexcept
{
    if (geometry == nullptr)
        return;
    trennic::mark_layer_tooling(geometry->kz_Machines, geometry->kz_NumMachines,
                                geometry->kz_BaseLayer, trennic::ElementView(record));
}

}
