// The running minimum every distance of the profile geometry takes: it starts at
// +infinity, and a candidate replaces the best only when smaller by the tolerance, so
// of near-equal candidates the first stays. An infinite candidate never replaces an
// infinite best.
#ifndef OSMARK_GEOMETRY_MINIMUM_H
#define OSMARK_GEOMETRY_MINIMUM_H

#include "geometry/tolerance.h"

#include <cmath>

namespace osmark::geometry {

struct Minimum {
    double best = HUGE_VAL;
    bool taken = false;

    // True when the candidate became the best.
    bool offer(double candidate) noexcept
    {
        if (!beats(candidate, best))
            return false;
        best = candidate;
        taken = true;
        return true;
    }
};

}

#endif
