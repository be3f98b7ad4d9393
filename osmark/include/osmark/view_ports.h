/*
 * View ports: a profile drawing shown in a rectangle of a raster port.
 *
 * A view port fits a world rectangle (y upward) into a device rectangle of the port (y
 * downward) with one scale both ways, centred across or up and down, and draws every
 * line and arc of the drawing's profile lists as line segments clipped to the world
 * area that the whole device rectangle shows. Arcs become chords that leave the circle
 * by at most half a device unit; an arc under half a unit in radius is a dot.
 *
 * The raster port and the drawing stay the caller's and must outlive their use here.
 * A NULL view port makes every operation do nothing.
 */
#ifndef OSMARK_VIEW_PORTS_H
#define OSMARK_VIEW_PORTS_H

#include "osmark/api.h"
#include "osmark/geometry_types.h"
#include "osmark/lists.h"
#include "osmark/profile_lists.h"
#include "osmark/raster_ports.h"

OSMARK_BEGIN_DECLS

typedef struct ViewPort {
    MinNode node;           /* for the caller's lists; both links at the port when new */
    RastPort* rast_port;    /* the drawing target; not owned */
    Rectangle2DRec device;  /* port coordinates (y downward), kept ordered */
    Rectangle2DRec world;   /* the world area to fit (y upward), as given */
    Rectangle2DRec visible; /* the world area of the whole device rectangle; rendering
                                clips to it */
    double scale_x;         /* device units per world unit; equal once sized */
    double scale_y;
    double offset_x; /* device position of the fitted world area */
    double offset_y;
    ProfileDrawing* drawing; /* what ViewPortRender draws; not owned */
    Colour pen;              /* the colour of each rendered segment's last pixel */
} ViewPort;

/* A new view port on the raster port, every field 0 but the links and the port; NULL
 * when memory runs out. */
OSMARK_API ViewPort* ViewPortCreate(RastPort* rast_port) OSMARK_NOEXCEPT;
/* Unlinks the view port from the caller's list and frees it; NULL is ignored. */
OSMARK_API void ViewPortDelete(ViewPort* view_port) OSMARK_NOEXCEPT;
OSMARK_API void ViewPortSetDrawing(ViewPort* view_port, ProfileDrawing* drawing) OSMARK_NOEXCEPT;
/*
 * Takes the rectangles that are given (NULL keeps one) and fits the world into the
 * device rectangle: scale = the smaller of device width / world width and device
 * height / world height (a side within 1e-6 of 0 gives 0), the fitted area centred
 * on the other axis. A zero scale maps every world point to the offset and every
 * device point to (0, 0).
 */
OSMARK_API void ViewPortSetSize(ViewPort* view_port, const Rectangle2DRec* device,
                                const Rectangle2DRec* world) OSMARK_NOEXCEPT;
/* A device point to world coordinates, in place; nothing when a pointer is NULL. */
OSMARK_API void ViewPortMapToWorld(const ViewPort* view_port, double* x, double* y) OSMARK_NOEXCEPT;
/* A world point to device coordinates, in place (not rounded); nothing when a pointer
 * is NULL. */
OSMARK_API void ViewPortMapToViewPort(const ViewPort* view_port, double* x,
                                      double* y) OSMARK_NOEXCEPT;
/* Draws the lines and arcs of every profile list of the drawing with Move and Draw in
 * the port's A pen, and sets each segment's last pixel in the A pen too. */
OSMARK_API void ViewPortRender(ViewPort* view_port) OSMARK_NOEXCEPT;

OSMARK_END_DECLS

#endif
