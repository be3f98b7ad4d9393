// Mirroring items across a line: every image point keeps its place along the line and
// lies as far on the other side.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "geometry/geometry_internal.h"
#include "drawing_fixture.h"
#include "halvern/edits.h"
#include "halvern/item_geometry.h"

namespace {

using halvern::kHalfPi;
using halvern::kPi;
using halvern::kTwoPi;
using halvern_test::Drawing;
using halvern_test::make_line;
using halvern_test::make_polyline;
using halvern_test::make_spline;

using halvern_test::expect_point;
using halvern_test::kNear;
using halvern_test::make_arc;
using halvern_test::vertex;

ItemRec* make_ellipse(Pool* pool, Point3DRec centre, Point3DRec major, double ratio, double start,
                      double end)
{
    ItemRec* item = CreateItem(DXFItemEllipse, 0, 0, 0, 0, pool);
    item->it_Ellipse = EllipseRec{centre, major, ratio, start, end, std::atan2(major.y, major.x), 1};
    return item;
}

// ---------------------------------------------------------------------------------------
// The mirror line at 30 degrees through (1, 2), and what a reflection must keep.

const Point3DRec kLinePoint{1, 2, 0};
const double kLineAngle = kPi / 6;

double along_line(const Point3DRec& q)
{
    return std::cos(kLineAngle) * (q.x - kLinePoint.x) + std::sin(kLineAngle) * (q.y - kLinePoint.y);
}

// Positive left of the line.
double side_of_line(const Point3DRec& q)
{
    return std::cos(kLineAngle) * (q.y - kLinePoint.y) - std::sin(kLineAngle) * (q.x - kLinePoint.x);
}

void expect_image(const Point3DRec& image, const Point3DRec& original)
{
    EXPECT_NEAR(along_line(image), along_line(original), kNear);
    EXPECT_NEAR(side_of_line(image), -side_of_line(original), kNear);
    EXPECT_NEAR(image.z, original.z, kNear);
}

void expect_image_vector(const Point3DRec& image, const Point3DRec& original)
{
    const Point3DRec origin = kLinePoint;
    expect_image(Point3DRec{origin.x + image.x, origin.y + image.y, image.z},
                 Point3DRec{origin.x + original.x, origin.y + original.y, original.z});
}

ItemRec* mirrored_copy(const ItemRec* item, Pool* pool)
{
    ItemRec* copy = CopyItem(item, pool);
    EXPECT_EQ(DXFMirror(copy, &kLinePoint, kLineAngle), 0);
    return copy;
}

void expect_ends(const ItemRec* image, const ItemRec* original)
{
    Point3DRec a{};
    Point3DRec b{};
    ASSERT_EQ(DXFItemStart(original, &a), 1);
    ASSERT_EQ(DXFItemStart(image, &b), 1);
    expect_image(b, a);
    ASSERT_EQ(DXFItemEnd(original, &a), 1);
    ASSERT_EQ(DXFItemEnd(image, &b), 1);
    expect_image(b, a);
}

// Points at equal distances along the curve from its start are images of each other.
void expect_curve_along(const ItemRec* image, const ItemRec* original, double length)
{
    for (int32_t i = 0; i <= 8; ++i) {
        SCOPED_TRACE(testing::Message() << "distance " << length * i / 8);
        Point3DRec a{};
        Point3DRec b{};
        ASSERT_EQ(DXFItemArcLengthPoint(original, length * i / 8, 1, &a), 1);
        ASSERT_EQ(DXFItemArcLengthPoint(image, length * i / 8, 1, &b), 1);
        expect_image(b, a);
    }
}

TEST(Mirror, PointLineAndText)
{
    Drawing drawing;
    Pool* pool = drawing.pool();
    ItemRec* point = CreateItem(DXFItemPoint, 0, 0, 0, 0, pool);
    point->it_Point.pt_Point = Point3DRec{5, -1, 7};
    expect_image(mirrored_copy(point, pool)->it_Point.pt_Point, point->it_Point.pt_Point);

    ItemRec* line = make_line(pool, -3, 4, 6, 1);
    line->it_Line.ln_End.z = 2;
    expect_ends(mirrored_copy(line, pool), line);

    ItemRec* text = halvern_test::make_text(pool, "Label");
    text->it_Text.tx_Point = Point3DRec{3, 3, 0};
    text->it_Text.tx_Point2 = Point3DRec{6, 3, 0};
    text->it_Text.tx_Rotation = 0.4;
    const ItemRec* image = mirrored_copy(text, pool);
    expect_image(image->it_Text.tx_Point, text->it_Text.tx_Point);
    expect_image(image->it_Text.tx_Point2, text->it_Text.tx_Point2);
    EXPECT_EQ(image->it_Text.tx_Rotation, 0.4) << "moved, not turned";
    EXPECT_STREQ(image->it_Text.tx_Text, "Label");
}

TEST(Mirror, ArcsKeepTheirPointsWithTheOtherDirection)
{
    Drawing drawing;
    Pool* pool = drawing.pool();
    for (int32_t direction : {1, -1}) {
        SCOPED_TRACE(direction);
        ItemRec* arc = make_arc(pool, {4, -1, 3}, 2, 0.3, 2.5, direction);
        ItemRec* image = mirrored_copy(arc, pool);
        EXPECT_EQ(image->it_Arc.ar_Dir, -direction);
        EXPECT_EQ(image->it_Arc.ar_Radius, 2.0);
        expect_image(image->it_Arc.ar_Centre, arc->it_Arc.ar_Centre);
        expect_ends(image, arc);
        const ArcRec& a = arc->it_Arc;
        expect_curve_along(image, arc, halvern::DXFArcLength(a.ar_Radius, a.ar_Start, a.ar_End, a.ar_Dir));
    }
    // A full circle stays a full circle.
    ItemRec* circle = make_arc(pool, {4, -1, 0}, 2, 0, kTwoPi, 1);
    const ArcRec& image = mirrored_copy(circle, pool)->it_Arc;
    EXPECT_NEAR(halvern::DXFArcSweep(image.ar_Start, image.ar_End, image.ar_Dir), kTwoPi, kNear);
}

TEST(Mirror, PolylineBulgesAreNegated)
{
    Drawing drawing;
    Pool* pool = drawing.pool();
    ItemRec* polyline = make_polyline(
        pool, {vertex(0, 0, 0.5), vertex(4, 0), vertex(4, 3, -1), vertex(6, 5, 5e-7), vertex(7, 5)});
    ItemRec* image = mirrored_copy(polyline, pool);
    const VertexRec* v = image->it_Polyline.pl_Vertices;
    EXPECT_EQ(v[0].vx_Bulge, -0.5);
    EXPECT_EQ(v[2].vx_Bulge, 1.0);
    EXPECT_EQ(v[3].vx_Bulge, 5e-7) << "a bulge within the tolerance stays";
    for (int32_t i = 0; i < 5; ++i)
        expect_image(v[i].vx_Point, polyline->it_Polyline.pl_Vertices[i].vx_Point);
    expect_curve_along(image, polyline, 12.0);

    // The stored corners enclose the mirrored outline.
    const PolylineRec& p = image->it_Polyline;
    for (int32_t i = 0; i <= 40; ++i) {
        Point3DRec q{};
        ASSERT_EQ(DXFItemArcLengthPoint(image, 12.0 * i / 40, 1, &q), 1);
        EXPECT_GE(q.x, p.pl_Min.x - kNear);
        EXPECT_LE(q.x, p.pl_Max.x + kNear);
        EXPECT_GE(q.y, p.pl_Min.y - kNear);
        EXPECT_LE(q.y, p.pl_Max.y + kNear);
    }
}

TEST(Mirror, EllipseParametersAreNegated)
{
    Drawing drawing;
    Pool* pool = drawing.pool();
    ItemRec* ellipse = make_ellipse(pool, {2, 5, 1}, {3, 1, 0.5}, 0.4, 0.7, 2.9);
    ItemRec* image = mirrored_copy(ellipse, pool);
    const EllipseRec& e = image->it_Ellipse;
    expect_image(e.el_Centre, ellipse->it_Ellipse.el_Centre);
    expect_image_vector(e.el_MajorAxis, ellipse->it_Ellipse.el_MajorAxis);
    EXPECT_NEAR(e.el_Angle, std::atan2(e.el_MajorAxis.y, e.el_MajorAxis.x), kNear);
    EXPECT_EQ(e.el_Ratio, 0.4);
    EXPECT_EQ(e.el_Dir, -1);
    expect_ends(image, ellipse);
    // The image of the point at t is the point at -t.
    for (double t = 0.7; t <= 2.9; t += 0.2) {
        SCOPED_TRACE(t);
        Point3DRec a{};
        Point3DRec b{};
        ASSERT_EQ(DXFItemEvaluate(ellipse, t, &a), 1);
        ASSERT_EQ(DXFItemEvaluate(image, -t, &b), 1);
        expect_image(b, a);
    }
}

TEST(Mirror, SplinePointsAndTangents)
{
    Drawing drawing;
    Pool* pool = drawing.pool();
    ItemRec* spline = make_spline(pool, {{0, 0, 0}, {1, 3, 1}, {4, 3, 0}, {6, 0, 0}},
                                  {0, 0, 0, 1, 2, 2, 2}, {1, 2, 0.5, 1});
    spline->it_Spline.sp_Degree = 2;
    spline->it_Spline.sp_StartTangent = Point3DRec{1, 1, 0};
    ItemRec* image = mirrored_copy(spline, pool);
    const SplineRec& s = image->it_Spline;
    expect_image_vector(s.sp_StartTangent, Point3DRec{1, 1, 0});
    EXPECT_EQ(s.sp_Weights[1], 2.0);
    EXPECT_EQ(s.sp_Knots[4], 2.0);
    for (double t = 0.0; t <= 2.0; t += 0.25) {
        SCOPED_TRACE(t);
        Point3DRec a{};
        Point3DRec b{};
        ASSERT_EQ(DXFItemEvaluate(spline, t, &a), 1);
        ASSERT_EQ(DXFItemEvaluate(image, t, &b), 1);
        expect_image(b, a);
        EXPECT_GE(b.x, s.sp_Min.x - kNear);
        EXPECT_LE(b.y, s.sp_Max.y + kNear);
    }
}

TEST(Mirror, RaysAndInfiniteLines)
{
    Drawing drawing;
    Pool* pool = drawing.pool();
    for (int32_t type : {DXFItemRay, DXFItemXLine}) {
        SCOPED_TRACE(type);
        ItemRec* ray = CreateItem(type, 0, 0, 0, 0, pool);
        ray->it_Ray = RayRec{{3, -2, 1}, {0.6, 0.8, 0}};
        const RayRec& image = mirrored_copy(ray, pool)->it_Ray;
        expect_image(image.ry_Base, ray->it_Ray.ry_Base);
        expect_image_vector(image.ry_Direction, ray->it_Ray.ry_Direction);
    }
}

// Where a placement puts a block point q: P + R(r) * diag(sx, sy) * q.
Point3DRec place(const Point3DRec& position, double rotation, const Point3DRec& scale,
                 const Point3DRec& q)
{
    const double x = q.x * scale.x;
    const double y = q.y * scale.y;
    return Point3DRec{position.x + x * std::cos(rotation) - y * std::sin(rotation),
                      position.y + x * std::sin(rotation) + y * std::cos(rotation), position.z};
}

Point3DRec polar(const Point3DRec& from, double length, double angle)
{
    return Point3DRec{from.x + length * std::cos(angle), from.y + length * std::sin(angle), from.z};
}

TEST(Mirror, InsertPlacesTheMirroredBlock)
{
    Drawing drawing;
    Pool* pool = drawing.pool();
    ItemRec* item = halvern_test::make_insert(pool, nullptr, 0);
    InsertRec& insert = item->it_Insert;
    insert.in_Point = Point3DRec{5, 1, 0};
    insert.in_Rotation = 0.6;
    insert.in_Scale = Point3DRec{2, 3, 1};
    insert.in_Rows = 2;
    insert.in_Columns = 2;
    insert.in_RowSpacing = 4;
    insert.in_ColumnSpacing = 6;
    insert.in_RowAngle = kHalfPi + 0.2;
    insert.in_ColumnAngle = 0.2;
    const ItemRec* mirrored = mirrored_copy(item, pool);
    const InsertRec& image = mirrored->it_Insert;
    EXPECT_EQ(image.in_Scale.x, 2.0);
    EXPECT_EQ(image.in_Scale.y, -3.0);
    EXPECT_NEAR(image.in_Rotation, 2 * kLineAngle - 0.6, kNear);
    const Point3DRec members[] = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {-2, 5, 0}};
    for (int32_t row = 0; row < 2; ++row) {
        for (int32_t column = 0; column < 2; ++column) {
            SCOPED_TRACE(testing::Message() << "cell " << row << ", " << column);
            const Point3DRec cell = polar(polar(insert.in_Point, row * 4.0, insert.in_RowAngle),
                                          column * 6.0, insert.in_ColumnAngle);
            const Point3DRec cell_image =
                polar(polar(image.in_Point, row * 4.0, image.in_RowAngle), column * 6.0,
                      image.in_ColumnAngle);
            for (const Point3DRec& q : members) {
                expect_image(place(cell_image, image.in_Rotation, image.in_Scale, q),
                             place(cell, insert.in_Rotation, insert.in_Scale, q));
            }
        }
    }
}

TEST(Mirror, CircularArrayRunsTheOtherWay)
{
    Drawing drawing;
    Pool* pool = drawing.pool();
    ItemRec* item = halvern_test::make_insert(pool, nullptr, 0);
    InsertRec& insert = item->it_Insert;
    insert.in_ArrayKind = 2;
    insert.in_CircCentre = Point3DRec{3, 4, 0};
    insert.in_CircRadius = 5;
    insert.in_CircFirst = Point3DRec{8, 4, 0};
    insert.in_CircStep = kHalfPi;
    insert.in_CircCount = 4;
    insert.in_CircRotation = 0.3;
    const InsertRec& image = mirrored_copy(item, pool)->it_Insert;
    EXPECT_EQ(image.in_CircStep, -kHalfPi);
    EXPECT_EQ(image.in_CircRadius, 5.0);
    const auto start_angle = [](const InsertRec& r) {
        return std::atan2(r.in_CircFirst.y - r.in_CircCentre.y, r.in_CircFirst.x - r.in_CircCentre.x);
    };
    const Point3DRec q{1, 2, 0};
    for (int32_t j = 0; j < 4; ++j) {
        SCOPED_TRACE(j);
        const Point3DRec at = polar(insert.in_CircCentre, 5, start_angle(insert) + j * insert.in_CircStep);
        const Point3DRec at_image = polar(image.in_CircCentre, 5, start_angle(image) + j * image.in_CircStep);
        expect_image(at_image, at);
        expect_image(place(at_image, image.in_CircRotation + j * image.in_CircStep, image.in_Scale, q),
                     place(at, insert.in_CircRotation + j * insert.in_CircStep, insert.in_Scale, q));
    }
}

// ---------------------------------------------------------------------------------------
// Cases with exact results

TEST(Mirror, ExactCases)
{
    Drawing drawing;
    Pool* pool = drawing.pool();
    const Point3DRec origin{0, 0, 0};

    ItemRec* line = make_line(pool, 1, 0, 3, 2);
    line->it_Line.ln_Start.z = line->it_Line.ln_End.z = 5;
    EXPECT_EQ(DXFMirror(line, &origin, kHalfPi), 0);
    expect_point(line->it_Line.ln_Start, {-1, 0, 5});
    expect_point(line->it_Line.ln_End, {-3, 2, 5});

    ItemRec* point = CreateItem(DXFItemPoint, 0, 0, 0, 0, pool);
    point->it_Point.pt_Point = Point3DRec{1, 2, 7};
    const Point3DRec above{0, 5, 0};
    DXFMirror(point, &above, 0.0);
    expect_point(point->it_Point.pt_Point, {1, 8, 7});

    ItemRec* on_line = CreateItem(DXFItemPoint, 0, 0, 0, 0, pool);
    on_line->it_Point.pt_Point = Point3DRec{0, 3, 1};
    DXFMirror(on_line, &origin, kHalfPi);
    expect_point(on_line->it_Point.pt_Point, {0, 3, 1});

    ItemRec* arc = make_arc(pool, {2, 0, 0}, 1, kHalfPi, kPi, 1);
    DXFMirror(arc, &origin, kHalfPi);
    expect_point(arc->it_Arc.ar_Centre, {-2, 0, 0});
    EXPECT_NEAR(arc->it_Arc.ar_Start, kHalfPi, kNear);
    EXPECT_NEAR(arc->it_Arc.ar_End, 0.0, kNear);
    EXPECT_EQ(arc->it_Arc.ar_Dir, -1);

    ItemRec* ellipse = make_ellipse(pool, {0, 0, 0}, {2, 2, 0}, 0.5, 0, kTwoPi);
    DXFMirror(ellipse, &origin, kHalfPi);
    expect_point(ellipse->it_Ellipse.el_MajorAxis, {-2, 2, 0});
    EXPECT_NEAR(ellipse->it_Ellipse.el_Angle, 3 * kPi / 4, kNear);
    EXPECT_EQ(ellipse->it_Ellipse.el_Dir, -1);
    EXPECT_EQ(ellipse->it_Ellipse.el_Ratio, 0.5);
}

TEST(Mirror, OtherTypesAndNullArgumentsChangeNothing)
{
    Drawing drawing;
    Pool* pool = drawing.pool();
    for (int32_t type : {DXFItem3DFace, DXFItemBlock, DXFItemEndBlock, DXFItemSolid}) {
        SCOPED_TRACE(type);
        ItemRec* item = CreateItem(type, 0, 0, 0, 0, pool);
        if (type == DXFItem3DFace)
            item->it_Face.fc_Corners[1] = Point3DRec{4, 4, 0};
        const std::vector<unsigned char> before(reinterpret_cast<unsigned char*>(item),
                                                reinterpret_cast<unsigned char*>(item) +
                                                    item->it_Header.ih_ItemSize);
        EXPECT_EQ(DXFMirror(item, &kLinePoint, kLineAngle), 0);
        EXPECT_EQ(std::memcmp(before.data(), item, before.size()), 0);
    }
    ItemRec* line = make_line(pool, 1, 1, 2, 2);
    EXPECT_EQ(DXFMirror(line, nullptr, kLineAngle), 0);
    expect_point(line->it_Line.ln_Start, {1, 1, 0});
    EXPECT_EQ(DXFMirror(nullptr, &kLinePoint, kLineAngle), 0);
}

}
