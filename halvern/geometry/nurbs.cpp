// Rational B-spline basis values, and the points of spline curves and surfaces.
#include "geometry/geometry_internal.h"

#include <cmath>
#include <cstddef>

#include "halvern/items.h"
#include "osmark/memory.h"
#include "osmark/owners.h"

using namespace halvern;

namespace {

using ScratchBlock = osmark::BlockOwner<double[]>;

// Scratch space of count values: the caller's, or a cleared block owned by holder.
// NULL when the count does not fit a block or the block cannot be allocated.
double* scratch_for(double* given, int64_t count, ScratchBlock& holder) {
    if (given != nullptr) {
        return given;
    }
    if (count <= 0 || count > static_cast<int64_t>(UINT32_MAX / sizeof(double))) {
        return nullptr;
    }
    holder.reset(static_cast<double*>(
        CAllocVec(static_cast<uint32_t>(count), static_cast<uint32_t>(sizeof(double)))));
    return holder.get();
}

// One term of the recursion: value * numerator / denominator, where a value that is
// zero contributes nothing. A zero-length knot interval (only a knot vector that is
// not non-decreasing gives one under a non-zero value) contributes nothing either.
double basis_term(double value, double numerator, double denominator) {
    if (is_zero(value) || denominator == 0.0) {
        return 0.0;
    }
    return value * numerator / denominator;
}

// Whether a spline of count points and the degree has the knots its basis reads.
bool has_enough_knots(int64_t knot_count, int64_t count, int64_t degree) {
    return knot_count >= count + degree + 1;
}

}

extern "C" {

HALVERN_API void Basis(uint32_t order, double t, uint32_t count, const double* knots,
                       const double* weights, double* out) noexcept {
    if (order == 0 || count == 0 || knots == nullptr || out == nullptr) {
        return;
    }
    // Sizes in 64 bits: order + count cannot wrap.
    const size_t c = order;
    const size_t n = count;
    const double* x = knots;
    double* r = out;

    // First order: 1 on the knot span that holds t; spans are shifted down by the knot
    // tolerance so that a parameter on an inner knot belongs to the span it starts.
    for (size_t i = 0; i + 1 < c + n; ++i) {
        r[i] = t - x[i] > -kKnotTolerance && t - x[i + 1] <= -kKnotTolerance ? 1.0 : 0.0;
    }
    // Higher orders in place: r[i + 1] still holds the lower order while r[i] is made.
    for (size_t k = 2; k <= c; ++k) {
        for (size_t i = 0; i + k < c + n; ++i) {
            const double d = basis_term(r[i], t - x[i], x[i + k - 1] - x[i]);
            const double e = basis_term(r[i + 1], x[i + k] - t, x[i + k] - x[i + 1]);
            r[i] = d + e;
        }
    }
    // At the last knot no span holds t; the curve ends on its last point.
    if (std::fabs(t - x[c + n - 1]) < kKnotTolerance) {
        r[n - 1] = 1.0;
    }
    if (weights == nullptr) {
        return;
    }
    double sum = 0.0;
    for (size_t i = 0; i < n; ++i) {
        sum += r[i] * weights[i];
    }
    const bool has_weight = !is_zero(sum);
    for (size_t i = 0; i < n; ++i) {
        r[i] = has_weight ? r[i] * weights[i] / sum : 0.0;
    }
}

HALVERN_API void NURBEvaluate(const ItemRec* item, double* scratch, double t,
                              Point3DRec* out) noexcept {
    if (item == nullptr || out == nullptr || item->it_Header.ih_ItemType != DXFItemSpline) {
        return;
    }
    const SplineRec& spline = item->it_Spline;
    const int64_t count = spline.sp_NumPoints;
    const int64_t degree = spline.sp_Degree;
    // A knot count below count + degree + 1 (a file may announce any number) would send
    // the basis past the end of sp_Knots.
    if (count <= 0 || degree < 0 || spline.sp_Knots == nullptr ||
        !has_enough_knots(spline.sp_NumKnots, count, degree)) {
        return;
    }
    ScratchBlock holder;
    double* values = scratch_for(scratch, count + degree + 2, holder);
    if (values == nullptr) {
        return;
    }
    // Weights count only when there is one for every point.
    const double* weights =
        spline.sp_NumWeights >= spline.sp_NumPoints ? spline.sp_Weights : nullptr;
    Basis(static_cast<uint32_t>(degree + 1), t, static_cast<uint32_t>(count), spline.sp_Knots,
          weights, values);

    const Point3DRec* points = spline.sp_Points;  // the points run on behind the record
    Point3DRec sum{0.0, 0.0, 0.0};
    for (int64_t i = 0; i < count; ++i) {
        const double value = values[i];
        if (value == 0.0) {
            continue;
        }
        sum.x += value * points[i].x;
        sum.y += value * points[i].y;
        sum.z += value * points[i].z;
    }
    *out = sum;
}

HALVERN_API void NURBEvaluate2(const NURBSurfaceRec* surface, double* su, double* sv, double u,
                               double v, Point3DRec* out) noexcept {
    if (surface == nullptr || out == nullptr) {
        return;
    }
    const int64_t count_u = surface->ns_NumU;
    const int64_t count_v = surface->ns_NumV;
    const int64_t degree_u = surface->ns_DegreeU;
    const int64_t degree_v = surface->ns_DegreeV;
    if (count_u == 0 || count_v == 0 || degree_u < 0 || degree_v < 0 ||
        surface->ns_KnotsU == nullptr || surface->ns_KnotsV == nullptr ||
        surface->ns_Points == nullptr ||
        !has_enough_knots(surface->ns_NumKnotsU, count_u, degree_u) ||
        !has_enough_knots(surface->ns_NumKnotsV, count_v, degree_v)) {
        return;
    }
    for (int64_t i = 0; i < count_u; ++i) {
        if (surface->ns_Points[i] == nullptr ||
            (surface->ns_Weights != nullptr && surface->ns_Weights[i] == nullptr)) {
            return;
        }
    }
    ScratchBlock holder_u;
    ScratchBlock holder_v;
    double* ru = scratch_for(su, count_u + degree_u + 2, holder_u);
    double* rv = scratch_for(sv, count_v + degree_v + 2, holder_v);
    if (ru == nullptr || rv == nullptr) {
        return;
    }
    Basis(static_cast<uint32_t>(degree_u + 1), u, static_cast<uint32_t>(count_u),
          surface->ns_KnotsU, nullptr, ru);
    Basis(static_cast<uint32_t>(degree_v + 1), v, static_cast<uint32_t>(count_v),
          surface->ns_KnotsV, nullptr, rv);

    double total_weight = 0.0;
    if (surface->ns_Weights != nullptr) {
        for (int64_t i = 0; i < count_u; ++i) {
            for (int64_t j = 0; j < count_v; ++j) {
                total_weight += ru[i] * rv[j] * surface->ns_Weights[i][j];
            }
        }
    }
    // Rational only with a positive total weight; otherwise the plain tensor product.
    const bool is_rational = total_weight > 0.0;
    Point3DRec sum{0.0, 0.0, 0.0};
    for (int64_t i = 0; i < count_u; ++i) {
        for (int64_t j = 0; j < count_v; ++j) {
            double factor = ru[i] * rv[j];
            if (is_rational) {
                factor *= surface->ns_Weights[i][j];
            }
            const Point3DRec& point = surface->ns_Points[i][j];
            sum.x += factor * point.x;
            sum.y += factor * point.y;
            sum.z += factor * point.z;
        }
    }
    if (is_rational) {
        sum.x /= total_weight;
        sum.y /= total_weight;
        sum.z /= total_weight;
    }
    *out = sum;
}

}
