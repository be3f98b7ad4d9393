// The folder catalogue: the drawing files of one folder, in the order the folder lists
// them, each with its kind, a 64 x 64 thumbnail, the part name and revision taken from
// its name and, for part files, the part's data and its report (part_report.h). There
// is one catalogue per program (VectorManager); each listing replaces every entry, so
// an entry stays valid until the next listing.
#ifndef VISTREL_UNITS_VECTOR_CATALOGUE_H
#define VISTREL_UNITS_VECTOR_CATALOGUE_H

#include <QtCore/QString>

#include <cstdint>
#include <functional>
#include <memory>

#include "framework/classes.h"
#include "framework/sysutils.h"

namespace fw {
class TBitmap;
}

// The catalogue's kinds share their type name with the drawing object's kinds, which
// are another type: the catalogue keeps its own namespace.
namespace vistrel::catalogue {

enum TVectorTypes : uint8_t {
    vt_Unknown,
    vt_Component, // part file ".KZV"
    vt_Dxf,       // ".DXF"
    vt_IGS,       // ".IGS" or ".IGES"
    vt_DWG        // ".DWG"
};

// The side of a thumbnail in pixels.
constexpr int kThumbnailSide = 64;

// The kind of a file by its extension, without regard to case; vt_Unknown for every
// other file (z.dxf.bak among them).
TVectorTypes VectorTypeOf(const QString& file_name);

// The part name and revision of a part file named X(R).KZV: X and R (R ends at the
// first ")" after the "(", or is empty without one). Without a "(" the part name is the
// whole file name, extension included, and the revision is empty. Only part files are
// named this way: callers pass other names through unchanged.
void SplitComponentName(const QString& file_name, QString& component, QString& revision);

// One file of the folder.
class TVectorFile : public fw::TObject {
public:
    TVectorFile();
    ~TVectorFile() override;

    // Makes the thumbnail and reads the part's data and report; FName is the full path.
    void LoadData(const QString& FName);
    // The drawing part of LoadData: a temporary drawing object loads the file by its
    // kind and draws the thumbnail (a drawing that cannot be loaded leaves the bitmap as
    // made: 64 x 64, nothing drawn), reduced to 4 bits per pixel; for part files also
    // the material, thickness and size. Loaders' results are not tested.
    void LoadDrawing(const QString& FName);
    // The report part of LoadData (part_report.cpp): the report beside a part file.
    void LoadReport(const QString& FName);

    TVectorTypes vType = vt_Unknown;
    std::unique_ptr<fw::TBitmap> Thumb; // none until the entry is loaded
    QString FileName;                   // as the folder lists it, with its extension
    QString Component;
    fw::TDateTime Modified = 0;
    QString Revision;
    QString JobId;
    QString Material;
    double Thickness = 0;
    double Density = 0; // g/mm3
    double SizeX = 0;
    double SizeY = 0;
    double PartArea = 0; // mm2
    double HolesArea = 0;
    double TotalArea = 0;
    double PartWgt = 0; // kg
    double HolesWgt = 0;
    double TotalWgt = 0;
    double RectWgt = 0;
    fw::TObjectList Machines; // TMchRec (part_report.h), owned, in report order
};

// Progress of a listing: the caption to show and the work done of the total.
using Tzu_OnProgress = std::function<void(const QString& Caption, int Done, int Total)>;

class TVectorManager : public fw::TObject {
public:
    TVectorManager() = default;

    // Replaces the entries by the drawing files of the folder Path (none for an empty
    // Path), in the folder's order, and loads each one that has a part name. The
    // loading runs on Threads threads at once (0: one per core), the calling thread
    // among them; the entries come out the same for any number. OnProgress is called on
    // the calling thread only.
    void GetFiles(const QString& Path, const Tzu_OnProgress& OnProgress, int Threads = 0);
    int FileCount() const { return fFiles.Count(); }
    // The entry at Index; null outside 0 .. FileCount() - 1.
    TVectorFile* IndexedFile(int Index) const;
    // The first entry whose FileName is aName exactly (letter case counts); null when none.
    TVectorFile* NamedFile(const QString& aName) const;

    bool LastDirOnStart = false;

private:
    fw::TObjectList fFiles;
};

// The program's catalogue, made on the first call.
TVectorManager& VectorManager();

}

#endif
