// What the font outline and enumeration calls share with the text calls.
#ifndef PLATFORM_SRC_GDI_FONTS_H
#define PLATFORM_SRC_GDI_FONTS_H

#include "gdi_objects.h"

#include <QtCore/QString>
#include <QtGui/QFont>

namespace platform::gdi {

// The Qt font that draws the DC's font; NULL with ERROR_NOT_ENOUGH_MEMORY when Qt
// cannot provide it.
const QFont* qt_font_of(DeviceContext& dc);
// The installed face that draws a face asked for by name, or an empty text when the name
// is neither an installed face nor one that an installed face stands for.
QString installed_face(const QString& asked);
// The text metrics of the font a record makes; false when Qt cannot provide it.
bool text_metrics_for(const LOGFONTA& record, TEXTMETRICA& metrics);

}

#endif
