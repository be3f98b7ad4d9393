// The tooling bits that element records leave on the layers of a machine table.
#ifndef TRENNIC_ELEMENTS_LAYER_TOOLING_H
#define TRENNIC_ELEMENTS_LAYER_TOOLING_H

#include <cstdint>

#include "elements/element_view.h"
#include "trennic/machines.h"

namespace trennic {

// The bits that a record of this kind marks on its layer (0 for none); the record
// must hold its head.
uint32_t tooling_bits(const ElementView& element);

// ORs the record's bits into its layer: base_layer for layer id 0, else the first
// layer of the machines (in table order) with that id; nothing when none matches or
// the record is too short for its kind.
void mark_layer_tooling(QXMachineRec* machines, int32_t count, QXLayerRec& base_layer,
                        const ElementView& element);

}

#endif
