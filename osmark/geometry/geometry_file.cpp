// The geometry data file: profile drawings written as nested Begin/End sections of
// key lines, and read back.

#include "osmark/geometry_file.h"

#include "core/runtime/make_error.h"
#include "geometry/curves.h"
#include "geometry/entity_geometry.h"
#include "geometry/profile_store.h"
#include "geometry/tolerance.h"
#include "osmark/format.h"
#include "osmark/profiles.h"
#include "osmark/strings.h"
#include "osmark/versions.h"

#include <cstring>

using namespace osmark::geometry;

namespace {

// The keywords of the format, in the order of the library's table ("File" is used by
// neither the writer nor the reader).
constexpr const char* kTitle = "Geometry Data File V1.00";
constexpr const char* kBegin = "Begin";
constexpr const char* kEnd = "End";
constexpr const char* kDrawing = "Drawing";
constexpr const char* kArray = "Array";
constexpr const char* kProfiles = "Profiles";
constexpr const char* kProfile = "Profile";
constexpr const char* kId = "ID";
constexpr const char* kAccuracy = "Accuracy";
constexpr const char* kLine = "Line";
constexpr const char* kArc = "Arc";
constexpr const char* kLineKeys[] = {"X1", "Y1", "X2", "Y2"};
constexpr const char* kArcKeys[] = {"X1", "Y1", "Radius", "XStart", "YStart", "XEnd", "YEnd"};

constexpr const char* kLineEnd = "\r\n";
constexpr int32_t kLineSize = 511;
constexpr int32_t kIndent = 2;
constexpr double kDefaultAccuracy = 1e-6;

// ---- writing ----

class Writer {
public:
    explicit Writer(FileHandle* fh) noexcept : fh_(fh) {}

    void section(int32_t level, const char* word, const char* name) const noexcept
    {
        FPrintf(fh_, "%*s%s %s%s", level * kIndent, "", word, name, kLineEnd);
    }

    void real(int32_t level, const char* key, double value) const noexcept
    {
        char text[kLineSize];
        SnPrintf(text, kLineSize, "%*.*lf", 15, 15, value);
        text[kLineSize - 1] = '\0';
        StrRmZeros(text, 1);
        FPrintf(fh_, "%*s%s %s%s", level * kIndent, "", key, text, kLineEnd);
    }

    void integer(int32_t level, const char* key, int32_t value) const noexcept
    {
        FPrintf(fh_, "%*s%s %ld%s", level * kIndent, "", key, value, kLineEnd);
    }

    void entity(const ProfileEntityRec& e) const noexcept
    {
        constexpr int32_t level = 3;
        if (is_line(e)) {
            const Line2DRec line = line_of(e);
            section(level, kBegin, kLine);
            const double values[] = {line.start.x, line.start.y, line.end.x, line.end.y};
            for (size_t k = 0; k < 4; ++k)
                real(level + 1, kLineKeys[k], values[k]);
            section(level, kEnd, kLine);
        } else if (is_arc(e)) {
            // Stored counter-clockwise: a clockwise arc from its end to its start.
            const Arc2DRec arc = arc_of(e);
            const bool ccw = arc.direction >= 0;
            const Point2DRec from = ccw ? arc_start(arc) : arc_end(arc);
            const Point2DRec to = ccw ? arc_end(arc) : arc_start(arc);
            section(level, kBegin, kArc);
            const double values[] = {arc.centre.x, arc.centre.y, arc.radius, from.x,
                                     from.y,       to.x,         to.y};
            for (size_t k = 0; k < 7; ++k)
                real(level + 1, kArcKeys[k], values[k]);
            section(level, kEnd, kArc);
        }
    }

    void profile(const Profile& p) const noexcept
    {
        constexpr int32_t level = 2;
        section(level, kBegin, kProfile);
        integer(level + 1, kId, p.id);
        if (!is_near(p.accuracy, kDefaultAccuracy))
            real(level + 1, kAccuracy, p.accuracy);
        for (uint32_t i = 0, count = entity_count(p); i < count; ++i)
            entity(*entity_at(p, i));
        section(level, kEnd, kProfile);
    }

    void profiles(const Profiles* list) const noexcept
    {
        constexpr int32_t level = 1;
        section(level, kBegin, kProfiles);
        for (uint32_t i = 0, count = ProfilesCount(list); i < count; ++i) {
            if (const Profile* p = ProfilesProfile(list, i))
                profile(*p);
        }
        section(level, kEnd, kProfiles);
    }

private:
    FileHandle* fh_;
};

// ---- reading ----

bool starts_with(const char* line, const char* word) noexcept
{
    return std::strncmp(line, word, std::strlen(word)) == 0;
}

class Reader {
public:
    explicit Reader(FileHandle* fh) noexcept : fh_(fh) {}

    // The next line, stripped at both ends; false at the end of the file.
    bool next_line() noexcept
    {
        if (FGets(fh_, line_, kLineSize) == nullptr)
            return false;
        StrStrip(line_, 'B');
        return true;
    }

    bool is_begin() const noexcept { return starts_with(line_, kBegin); }
    bool is_end() const noexcept { return starts_with(line_, kEnd); }

    // The section name of a Begin line, stripped.
    const char* section_name() noexcept
    {
        char* name = line_ + std::strlen(kBegin);
        StrStrip(name, 'B');
        return name;
    }

    // Skips the rest of a section whose Begin line was read.
    void skip_section() noexcept
    {
        for (int64_t depth = 1; depth > 0 && next_line();) {
            if (is_begin())
                ++depth;
            else if (is_end())
                --depth;
        }
    }

    int32_t file(ProfileDrawing& drawing) noexcept
    {
        while (next_line()) {
            if (!is_begin())
                continue;
            if (starts_with(section_name(), kDrawing)) {
                const int32_t result = drawing_body(drawing);
                if (result < 0)
                    return result;
            } else {
                skip_section();
            }
        }
        return 0;
    }

private:
    int32_t drawing_body(ProfileDrawing& drawing) noexcept
    {
        while (next_line()) {
            if (is_end())
                return 0;
            if (!is_begin())
                continue;
            const char* name = section_name();
            if (starts_with(name, kArray)) {
                // Osmark makes no profile arrays.
                if (ProfilesArrayCreate() == nullptr)
                    return osmark::make_error(IoErrNoMemory);
            } else if (starts_with(name, kProfiles)) {
                Profiles* list = ProfilesCreate();
                if (list == nullptr)
                    return osmark::make_error(IoErrNoMemory);
                const bool read = profiles_body(*list);
                if (read && ProfileDrawingInsertProfiles(&drawing, -1, list))
                    continue;
                ProfilesDelete(list);
                if (read) // the drawing could not take the list
                    return osmark::make_error(IoErrNoMemory);
            } else {
                skip_section();
            }
        }
        return 0;
    }

    // false when a profile cannot be made.
    bool profiles_body(Profiles& list) noexcept
    {
        while (next_line()) {
            if (is_end())
                return true;
            if (!is_begin())
                continue;
            if (!starts_with(section_name(), kProfile)) {
                skip_section();
                continue;
            }
            Profile* profile = ProfileCreate();
            if (profile == nullptr)
                return false;
            profile_body(*profile);
            if (!ProfilesInsert(&list, -1, profile)) {
                ProfileDelete(profile);
                return false;
            }
        }
        return true;
    }

    void profile_body(Profile& profile) noexcept
    {
        while (next_line()) {
            if (is_end())
                return;
            if (is_begin()) {
                const char* name = section_name();
                if (starts_with(name, kLine)) {
                    double v[4] = {};
                    values(kLineKeys, v, 4);
                    ProfileAddLine(&profile, v[0], v[1], v[2], v[3], 0);
                } else if (starts_with(name, kArc)) {
                    arc(profile);
                } else {
                    skip_section();
                }
                continue;
            }
            int32_t id = 0;
            double accuracy = 0.0;
            if (StrGetVar(line_, kId, 'd', &id))
                profile.id = id;
            else if (StrGetVar(line_, kAccuracy, 'f', &accuracy))
                profile.accuracy = accuracy;
        }
    }

    // The values of a line or arc body, each 0 until its key is read.
    void values(const char* const keys[], double v[], size_t count) noexcept
    {
        while (next_line()) {
            if (is_end())
                return;
            if (is_begin()) {
                skip_section();
                continue;
            }
            for (size_t k = 0; k < count; ++k) {
                double value = 0.0;
                if (StrGetVar(line_, keys[k], 'f', &value)) {
                    v[k] = value;
                    break;
                }
            }
        }
    }

    void arc(Profile& profile) noexcept
    {
        double v[7] = {};
        values(kArcKeys, v, 7);
        const Point2DRec centre{v[0], v[1]};
        const Point2DRec start{v[3], v[4]};
        const Point2DRec end{v[5], v[6]};
        const double radius = is_near_zero(v[2]) ? line_length(start, centre) : v[2];
        ProfileAddArc(&profile, centre.x, centre.y, radius, line_angle(centre, start),
                      line_angle(centre, end), 1, 0);
    }

    FileHandle* fh_;
    char line_[kLineSize] = {};
};

}

extern "C" {

OSMARK_API int32_t ProfileDrawingWrite(FileHandle* fh, const ProfileDrawing* drawing) noexcept
{
    if (fh == nullptr || drawing == nullptr)
        return osmark::make_error(IoErrRequiredArgMissing);
    char version[kLineSize];
    CreateVersionStr(kTitle, version, kLineSize);
    FPrintf(fh, "%s%s", version, kLineEnd);
    FPrintf(fh, "%s %s%s", kBegin, kDrawing, kLineEnd);
    const Writer writer(fh);
    for (uint32_t i = 0, count = ProfileDrawingGetProfilesCount(drawing); i < count; ++i)
        writer.profiles(ProfileDrawingGetProfiles(drawing, i));
    FPrintf(fh, "%s %s%s", kEnd, kDrawing, kLineEnd);
    if ((fh->fh_Flags & FileFlagError) != 0)
        return osmark::make_error(IoErrBadIO);
    return 0;
}

OSMARK_API int32_t ProfileDrawingRead(FileHandle* fh, ProfileDrawing* drawing) noexcept
{
    if (fh == nullptr || drawing == nullptr)
        return osmark::make_error(IoErrRequiredArgMissing);
    return Reader(fh).file(*drawing);
}
}
