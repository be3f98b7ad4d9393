// Version numbers of the maker's files: major + minor / 100 + maintenance / 10000,
// compared with a tolerance.
#ifndef TRENNIC_GEOMETRY_FILE_VERSION_H
#define TRENNIC_GEOMETRY_FILE_VERSION_H

#include <cstdint>

namespace trennic {

constexpr double kVersionTolerance = 1e-6;

// The major version from which the header's maintenance word counts.
constexpr int32_t kFirstMaintainedMajor = 14;

struct FileVersion {
    int32_t major = 0;
    int32_t minor = 0;
    int32_t maintenance = 0;

    double number() const { return major + minor / 100.0 + maintenance / 10000.0; }
    // "Version v or later".
    bool at_least(double v) const { return number() - v > -kVersionTolerance; }
};

// The versions at which the layout of the files changed.
constexpr double kVersionMaterialHeader = 3.0; // material header
constexpr double kVersionSectionB = 2.2;       // section B
constexpr double kVersionLongRecordsC = 4.01;  // 81-byte records in section C
constexpr double kVersionCurrentLayout = 15.2; // 208-byte layer definitions, long names

}

#endif
