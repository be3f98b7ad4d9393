/* Trennic: the native-geometry library. Includes every public header. */
#ifndef TRENNIC_TRENNIC_H
#define TRENNIC_TRENNIC_H

#include "trennic/api.h"
#include "trennic/elements.h"
#include "trennic/geometry.h"
#include "trennic/library.h"
#include "trennic/machines.h"

#endif
