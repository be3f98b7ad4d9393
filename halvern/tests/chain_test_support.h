// Test support for the chain builders' tests: segments given by their ends, and the
// ends of an item as the chain builders see them.
#ifndef HALVERN_TESTS_CHAIN_TEST_SUPPORT_H
#define HALVERN_TESTS_CHAIN_TEST_SUPPORT_H

#include <gtest/gtest.h>

#include "halvern/halvern.h"

namespace halvern_test {

struct Segment {
    double x1, y1, x2, y2;
};

inline Point3DRec start_of(const ItemRec* item)
{
    Point3DRec point{};
    EXPECT_EQ(DXFItemStart(item, &point), 1);
    return point;
}

inline Point3DRec end_of(const ItemRec* item)
{
    Point3DRec point{};
    EXPECT_EQ(DXFItemEnd(item, &point), 1);
    return point;
}

}

#endif
