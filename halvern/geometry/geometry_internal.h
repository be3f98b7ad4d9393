// Geometry helpers shared inside Halvern: tolerance tests, angles, points on curves,
// arcs, the arbitrary-axis matrix and the plane vector operations.
//
// Conventions: angles are radians; arcs run counter-clockwise for a direction >= 0 and
// clockwise for a negative one; two values are equal when their difference lies strictly
// inside (-kTolerance, kTolerance). Unless a function says otherwise it works in x and y
// and carries z along. Outputs are written only on success, and only after every input
// has been read, so an output may be one of the inputs.
#ifndef HALVERN_MODEL_GEOMETRY_INTERNAL_H
#define HALVERN_MODEL_GEOMETRY_INTERNAL_H

#include <cstdint>

#include "halvern/geometry.h"
#include "halvern/types.h"

namespace halvern {

inline constexpr double kPi = 3.141592653589793;
inline constexpr double kHalfPi = 1.5707963267948966;
inline constexpr double kTwoPi = 6.283185307179586;
inline constexpr double kFourPi = 12.566370614359172;
inline constexpr double kDegreesPerRadian = 57.29577951308232;
inline constexpr double kRadiansPerDegree = 0.0174532925199433;

// Coordinates, lengths and angles.
inline constexpr double kTolerance = 1e-6;
// Spline knots.
inline constexpr double kKnotTolerance = 1e-4;
// The DXF arbitrary-axis rule: an extrusion this close to the world z axis takes the
// world y axis as its helper axis.
inline constexpr double kArbitraryAxisLimit = 1.0 / 64.0;

// -kTolerance < value < kTolerance.
inline constexpr bool is_zero(double value) noexcept {
    return value > -kTolerance && value < kTolerance;
}
inline constexpr bool is_equal(double a, double b) noexcept { return is_zero(a - b); }

// ---------------------------------------------------------------------------------------
// Points and angles

// 1 when x, y and z all agree within the tolerance.
int32_t DXFSamePoint(const Point3DRec* a, const Point3DRec* b) noexcept;
// The angle brought into (-1e-6, 2*pi - 1e-6]: an angle within 1e-6 below a whole turn
// gives 0, a value just below 0 stays as it is; an infinite or NaN angle gives 0.
double DXFNormaliseAngle(double angle) noexcept;
// Normalised direction from one point to another in x and y; 0 when they coincide.
double DXFPointDirection(const Point3DRec* from, const Point3DRec* to) noexcept;
// Distance in x and y; 0 when the points coincide within the tolerance.
double DXFPointDistance(const Point3DRec* from, const Point3DRec* to) noexcept;
// 1 when point lies on the infinite line (line != 0) or on the forward ray (line == 0)
// through origin at angle; 0 also when origin or point is NULL.
int32_t DXFPointOnRay(const Point3DRec* origin, double angle, int32_t line,
                                           const Point3DRec* point) noexcept;
// 1 when point lies on the segment from start to end (ends included, within tolerance).
int32_t DXFPointOnSegment(const Point3DRec* start, const Point3DRec* end,
                                               const Point3DRec* point) noexcept;

// Swept angle from start to end in the direction, in (0, 2*pi]: equal angles give a full
// turn. 0 when either angle is infinite or NaN.
double DXFArcSweep(double start, double end, int32_t direction) noexcept;
// 1 when angle lies on the arc from start to end in the direction (ends included; equal
// start and end make a full circle).
int32_t DXFAngleInSweep(double start, double angle, double end,
                                             int32_t direction) noexcept;
double DXFArcLength(double radius, double start, double end,
                                         int32_t direction) noexcept;
// 1 when point lies on the circle (within tolerance) and inside the arc's sweep; 0 also
// for a NULL pointer.
int32_t DXFPointOnArc(const Point3DRec* centre, double radius, double start,
                                           double end, int32_t direction,
                                           const Point3DRec* point) noexcept;

// ---------------------------------------------------------------------------------------
// Arcs

// The arc from start through middle to end: its centre (x and y written), radius,
// atan2 start and end angles (-pi to pi) and direction. 1, or 0 when a pointer is NULL,
// start and end coincide or the points are collinear (outputs then unwritten).
int32_t DXFArcThroughPoints(const Point3DRec* start, const Point3DRec* middle,
                                                 const Point3DRec* end, Point3DRec* centre,
                                                 double* radius, double* start_angle,
                                                 double* end_angle, int32_t* direction) noexcept;
// DXFArcThroughPoints in steps, for a caller that tries many middle points between the
// same two ends and needs the angles of few of the arcs: the chord's frame is measured
// once, each middle point then gives a circle, and the angles come last. The answers
// are those of DXFArcThroughPoints to the last bit.
struct ArcChord {
    Point3DRec start;
    Point3DRec end;
    double cos_theta;
    double sin_theta;
    double length;
};
struct ArcCircle {
    double cx;
    double cy;
    double radius;
    int32_t direction;
};
// false when start and end coincide.
bool ArcChordOf(const Point3DRec& start, const Point3DRec& end, ArcChord& chord) noexcept;
// false when the middle point lies on the chord's line.
bool ArcCircleOnChord(const ArcChord& chord, const Point3DRec& middle, ArcCircle& circle) noexcept;
// The atan2 angles of the chord's start and end about the circle's centre.
void ArcCircleAngles(const ArcChord& chord, const ArcCircle& circle, double& start_angle,
                     double& end_angle) noexcept;
// The arc from start to end that leaves start along tangent. 1, or 0 when a pointer is
// NULL, the points coincide or the tangent runs along the chord.
int32_t DXFArcFromTangent(const Point3DRec* start, const Point3DRec* end,
                                               const Point3DRec* tangent, Point3DRec* centre,
                                               double* radius, double* start_angle,
                                               double* end_angle, int32_t* direction) noexcept;
// The parameter (-pi to pi) of point on the ellipse about centre with the given major
// axis (x and y read) and minor-to-major ratio; 0 for a zero ratio or a point at the
// centre.
double DXFEllipseParameter(const Point3DRec* centre, const Point3DRec* major_axis,
                                                double ratio, const Point3DRec* point) noexcept;

// ---------------------------------------------------------------------------------------
// Arbitrary-axis matrix and its application

// The object-to-world matrix of an extrusion direction: columns X, Y and the direction
// itself, row 3 (0, 0, 0, 1). 0, or -1 (matrix unwritten) for a zero or non-finite
// direction.
int32_t DXFArbitraryAxisMatrix(const Point3DRec* extrusion,
                                                    DXFMatrixRec* matrix) noexcept;
void DXFMatrixPoint(double* x, double* y, double* z,
                                         const DXFMatrixRec* matrix) noexcept;
void DXFMatrixPoints(double* x1, double* y1, double* z1, double* x2, double* y2,
                                          double* z2, const DXFMatrixRec* matrix) noexcept;
// Maps the arc's centre in place and re-derives its angles; the direction becomes 1 and
// the radius (a value) is the caller's to scale.
void DXFMatrixArc(double* cx, double* cy, double* cz, double radius,
                                       double* start, double* end, int32_t* direction,
                                       const DXFMatrixRec* matrix) noexcept;
// Re-derives the start and end parameters of the ellipse in place; centre, axis, ratio
// and direction stay, angle is not read.
void DXFMatrixEllipse(double* cx, double* cy, double* cz, double* ax,
                                           double* ay, double* az, double* ratio, double* angle,
                                           double* start, double* end, int32_t* direction,
                                           const DXFMatrixRec* matrix) noexcept;
// The matrix operations with DXFArbitraryAxisMatrix of the extrusion; a zero direction
// changes nothing (DXFExtrudeArc then returns -1, otherwise 0).
void DXFExtrudePoint(double* x, double* y, double* z,
                                          const Point3DRec* extrusion) noexcept;
void DXFExtrudePoints(double* x1, double* y1, double* z1, double* x2,
                                           double* y2, double* z2,
                                           const Point3DRec* extrusion) noexcept;
int32_t DXFExtrudeArc(double* cx, double* cy, double* cz, double radius,
                                           double* start, double* end, int32_t* direction,
                                           const Point3DRec* extrusion) noexcept;
void DXFExtrudeEllipse(double* cx, double* cy, double* cz, double* ax,
                                            double* ay, double* az, double* ratio, double* angle,
                                            double* start, double* end, int32_t* direction,
                                            const Point3DRec* extrusion) noexcept;

// ---------------------------------------------------------------------------------------
// Vectors (no NULL tests)

void DXFVectorFromPoints(const Point3DRec* from, const Point3DRec* to,
                                              Point3DRec* out) noexcept;
void DXFVectorNegate(const Point3DRec* vector, Point3DRec* out) noexcept;
void DXFVectorAdd(const Point3DRec* point, const Point3DRec* vector,
                                       Point3DRec* out) noexcept;
void DXFVectorScale(double factor, const Point3DRec* vector,
                                         Point3DRec* out) noexcept;
// z of the cross product of the plane parts: a.x * b.y - a.y * b.x.
double DXFVectorCross(const Point3DRec* a, const Point3DRec* b) noexcept;
// (length * cos angle, length * sin angle, 0).
void DXFVectorPolar(double length, double angle, Point3DRec* out) noexcept;
void DXFVectorUnit(double angle, Point3DRec* out) noexcept;
double DXFVectorLength(const Point3DRec* vector) noexcept;
// 1 when the length is below the tolerance.
int32_t DXFVectorIsZero(const Point3DRec* vector) noexcept;
// The unit vector, or (0, 0, 0) for a vector shorter than the tolerance.
void DXFVectorNormalise(const Point3DRec* vector, Point3DRec* out) noexcept;
// Normalised direction of the plane part; 0 for a zero vector.
double DXFVectorAngle(const Point3DRec* vector) noexcept;

}

#endif
