// The main window's pictures, PNG files built into the program (vistrel/artwork/, drawn
// by make_artwork).
#ifndef VISTREL_FORMS_ARTWORK_H
#define VISTREL_FORMS_ARTWORK_H

#include <cstddef>
#include <span>

namespace vistrel::artwork {

std::span<const unsigned char> BannerPng();
std::span<const unsigned char> LogoPng();

}

#endif
