#include "units/vector_catalogue.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <exception>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "framework/graphics.h"
#include "trennic/geometry.h"
#include "units/string_utils.h"
#include "units/vector_object.h"

namespace vistrel::catalogue {

namespace {

struct KindByExtension {
    const char* extension;
    TVectorTypes kind;
};

// A thumbnail: the drawing in grey on white.
constexpr fw::TColor kThumbnailForeground = 0x808080;
constexpr fw::TColor kThumbnailBackground = 0xFFFFFF;

// Tested in this order.
constexpr std::array<KindByExtension, 5> kKinds{{
    {".KZV", vt_Component},
    {".DXF", vt_Dxf},
    {".IGS", vt_IGS},
    {".IGES", vt_IGS},
    {".DWG", vt_DWG},
}};

// Ends a folder scan however the listing ends.
class FolderScan {
public:
    FolderScan() = default;
    ~FolderScan()
    {
        if (m_open)
            fw::FindClose(m_record);
    }
    FolderScan(const FolderScan&) = delete;
    FolderScan& operator=(const FolderScan&) = delete;

    bool first(const QString& pattern)
    {
        m_open = fw::FindFirst(pattern, fw::faAnyFile, m_record) == 0;
        return m_open;
    }
    bool next() { return fw::FindNext(m_record) == 0; }
    const fw::TSearchRec& entry() const { return m_record; }

private:
    fw::TSearchRec m_record;
    bool m_open = false;
};

// The first failure of the loading threads, passed on to the calling thread.
class FirstFailure {
public:
    void keep(std::exception_ptr failure)
    {
        const std::lock_guard lock(m_lock);
        if (!m_failure)
            m_failure = std::move(failure);
        m_failed.store(true, std::memory_order_relaxed);
    }
    bool failed() const { return m_failed.load(std::memory_order_relaxed); }
    void rethrow()
    {
        if (m_failure)
            std::rethrow_exception(m_failure);
    }

private:
    std::mutex m_lock;
    std::exception_ptr m_failure;
    std::atomic<bool> m_failed{false};
};

int threads_for(int asked, size_t work)
{
    int threads = asked > 0 ? asked : static_cast<int>(std::thread::hardware_concurrency());
    threads = std::max(threads, 1);
    return static_cast<int>(std::min(static_cast<size_t>(threads), std::max<size_t>(work, 1)));
}

// Loads the entries, each on its own and into itself only. Conversions of DWG files
// stay on the calling thread, one after the other: each runs the converter in the
// process's current folder into the one temporary file and may show a message. The
// others are shared by up to `threads` threads, the calling thread among them, taking
// the next entry as they finish one.
void load_entries(const std::vector<TVectorFile*>& entries, const QString& folder, int threads)
{
    std::vector<TVectorFile*> converted;
    std::vector<TVectorFile*> shared;
    for (TVectorFile* entry : entries)
        (entry->vType == vt_DWG ? converted : shared).push_back(entry);

    std::atomic<size_t> next{0};
    FirstFailure failure;
    const auto load_shared = [&] {
        try {
            for (size_t index = next++; index < shared.size() && !failure.failed(); index = next++)
                shared[index]->LoadData(folder + shared[index]->FileName);
        } catch (...) {
            failure.keep(std::current_exception());
        }
    };
    {
        std::vector<std::jthread> workers;
        const int count = threads_for(threads, shared.size());
        for (int started = 1; started < count; ++started) {
            try {
                workers.emplace_back(load_shared);
            } catch (const std::system_error&) {
                break; // fewer threads do the same work
            }
        }
        try {
            for (TVectorFile* entry : converted) {
                if (failure.failed())
                    break;
                entry->LoadData(folder + entry->FileName);
            }
        } catch (...) {
            failure.keep(std::current_exception());
        }
        load_shared();
    }
    failure.rethrow();
}
}

TVectorTypes VectorTypeOf(const QString& file_name)
{
    for (const KindByExtension& kind : kKinds) {
        if (SameFileExt(file_name, QString::fromLatin1(kind.extension)))
            return kind.kind;
    }
    return vt_Unknown;
}

void SplitComponentName(const QString& file_name, QString& component, QString& revision)
{
    component = file_name;
    revision.clear();
    const qsizetype open = file_name.indexOf(u'(');
    if (open < 0)
        return;
    const qsizetype close = file_name.indexOf(u')', open + 1);
    if (close >= 0)
        revision = file_name.mid(open + 1, close - open - 1);
    component = file_name.left(open);
}

// ---- Entries -----------------------------------------------------------------------------

TVectorFile::TVectorFile() = default;
TVectorFile::~TVectorFile() = default;

void TVectorFile::LoadData(const QString& FName)
{
    LoadDrawing(FName);
    if (vType == vt_Component)
        LoadReport(FName);
}

void TVectorFile::LoadDrawing(const QString& FName)
{
    // A temporary drawing object: loaded, measured and drawn into the thumbnail.
    Tqxp_VectorObject drawing;
    switch (vType) {
    case vt_Component:
        drawing.Load_Component(FName);
        if (const QXGeometryRec* geometry = drawing.GeoStruct(); geometry != nullptr) {
            Material = geometry->kz_MaterialName != nullptr
                           ? QString::fromUtf8(geometry->kz_MaterialName)
                           : QString();
            Thickness = geometry->kz_MaterialThickness;
        }
        SizeX = drawing.Width();
        SizeY = drawing.Height();
        break;
    case vt_Dxf:
        drawing.Load_Dxf(FName);
        break;
    case vt_IGS:
        drawing.Load_Iges(FName);
        break;
    case vt_DWG:
        drawing.Load_Dwg(FName);
        break;
    case vt_Unknown:
        break;
    }
    auto thumb = std::make_unique<fw::TBitmap>();
    thumb->SetSize(kThumbnailSide, kThumbnailSide);
    thumb->Canvas()->Pen()->SetColor(fw::clBlack);
    if (vType != vt_Unknown)
        drawing.Draw_ToThumbnail(thumb->Canvas(), fw::TRect{0, 0, kThumbnailSide, kThumbnailSide},
                                 kThumbnailForeground, kThumbnailBackground);
    thumb->SetPixelFormat(fw::pf4bit);
    Thumb = std::move(thumb);
}

// ---- Catalogue ---------------------------------------------------------------------------

void TVectorManager::GetFiles(const QString& Path, const Tzu_OnProgress& OnProgress, int Threads)
{
    fFiles.Clear();
    if (Path.isEmpty())
        return;
    const QString folder = fw::IncludeTrailingPathDelimiter(Path);

    // First the entries, in the folder's order, then the loading of each: a listing
    // shows the same entries however the loading is spread.
    {
        FolderScan scan;
        for (bool found = scan.first(folder + QStringLiteral("*.*")); found; found = scan.next()) {
            const fw::TSearchRec& entry = scan.entry();
            if ((entry.Attr & fw::faDirectory) != 0)
                continue;
            const TVectorTypes kind = VectorTypeOf(entry.Name);
            if (kind == vt_Unknown)
                continue;
            auto file = std::make_unique<TVectorFile>();
            TVectorFile& added = *file;
            fFiles.Add(file.release());
            if (OnProgress)
                OnProgress(QStringLiteral("Reading directory : ") + QString::number(fFiles.Count()),
                           0, 0);
            added.vType = kind;
            added.Modified = fw::FileDateToDateTime(entry.Time);
            added.FileName = entry.Name;
            added.Component = entry.Name;
            if (kind == vt_Component)
                SplitComponentName(entry.Name, added.Component, added.Revision);
        }
    }
    std::vector<TVectorFile*> loaded;
    for (int index = 0; index < fFiles.Count(); ++index) {
        TVectorFile* file = IndexedFile(index);
        if (!file->Component.isEmpty())
            loaded.push_back(file);
    }
    load_entries(loaded, folder, Threads);
}

TVectorFile* TVectorManager::IndexedFile(int Index) const
{
    if (Index < 0 || Index >= fFiles.Count())
        return nullptr;
    return static_cast<TVectorFile*>(fFiles.Items(Index));
}

TVectorFile* TVectorManager::NamedFile(const QString& aName) const
{
    for (int index = 0; index < fFiles.Count(); ++index) {
        TVectorFile* file = IndexedFile(index);
        if (file->FileName == aName)
            return file;
    }
    return nullptr;
}

TVectorManager& VectorManager()
{
    static TVectorManager manager;
    return manager;
}

}
