// The folder catalogue: kinds by extension, part names and revisions, the listing of a
// folder on one thread and on several, and looking entries up.
#include "units/vector_catalogue.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "framework/graphics.h"
#include "test_support/temp_folder.h"
#include "units/part_report.h"

namespace {

using namespace vistrel::catalogue;

TEST(VectorCatalogue, PartNameAndRevisionComeFromTheFileName)
{
    struct Row {
        const char* file_name;
        const char* component;
        const char* revision;
    };
    const Row rows[] = {
        {"PART(B).KZV", "PART", "B"},
        {"PART(B.KZV", "PART", ""},      // no ")" after the "("
        {"A(1)(2).KZV", "A", "1"},       // the first pair only
        {"(B).KZV", "", "B"},            // no part name: not loaded
        {"PART.KZV", "PART.KZV", ""},    // without "(" the whole name
        {"P(REV 2)X.KZV", "P", "REV 2"}, // what follows the ")" is dropped
        {"P().KZV", "P", ""},
        {"P)(A.KZV", "P)", ""}, // a ")" before the "(" does not close it
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.file_name);
        QString component = QStringLiteral("stale");
        QString revision = QStringLiteral("stale");
        SplitComponentName(QString::fromUtf8(row.file_name), component, revision);
        EXPECT_EQ(component.toStdString(), row.component);
        EXPECT_EQ(revision.toStdString(), row.revision);
    }
}

TEST(VectorCatalogue, KindsByExtensionWithoutRegardToCase)
{
    struct Row {
        const char* file_name;
        TVectorTypes kind;
    };
    const Row rows[] = {
        {"part.kzv", vt_Component}, {"x.Dxf", vt_Dxf},    {"y.iges", vt_IGS},
        {"Y.IGS", vt_IGS},          {"d.dwg", vt_DWG},    {"w.dxf.bak", vt_Unknown},
        {"dxf", vt_Unknown},        {"a.dx", vt_Unknown}, {"notes.txt", vt_Unknown},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.file_name);
        EXPECT_EQ(VectorTypeOf(QString::fromUtf8(row.file_name)), row.kind);
    }
}

class CatalogueFolder : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_folder.ok());
        for (const char* name :
             {"PART(B).KZV", "(B).KZV", "x.Dxf", "y.iges", "w.dxf.bak", "notes.txt", "DRAWING.DXF"})
            m_folder.write(name, "not really a drawing\n");
        std::filesystem::create_directory(m_folder.path("z.dxf"));
    }

    QString path() const { return QString::fromStdString(m_folder.path()); }

    test_support::TempFolder m_folder;
};

TEST_F(CatalogueFolder, ListsTheDrawingFilesOfTheFolder)
{
    TVectorManager catalogue;
    std::vector<std::string> captions;
    catalogue.GetFiles(path(), [&](const QString& caption, int done, int total) {
        captions.push_back(caption.toStdString());
        EXPECT_EQ(done, 0);
        EXPECT_EQ(total, 0);
    });

    struct Expected {
        const char* file_name;
        TVectorTypes kind;
        const char* component;
        const char* revision;
        bool has_thumbnail;
    };
    // In the folder's order; the folder z.dxf, w.dxf.bak and notes.txt are left out.
    const Expected expected[] = {
        {"(B).KZV", vt_Component, "", "B", false},
        {"DRAWING.DXF", vt_Dxf, "DRAWING.DXF", "", true},
        {"PART(B).KZV", vt_Component, "PART", "B", true},
        {"x.Dxf", vt_Dxf, "x.Dxf", "", true},
        {"y.iges", vt_IGS, "y.iges", "", true},
    };
    ASSERT_EQ(catalogue.FileCount(), static_cast<int>(std::size(expected)));
    for (int index = 0; index < catalogue.FileCount(); ++index) {
        const Expected& row = expected[index];
        SCOPED_TRACE(row.file_name);
        const TVectorFile* file = catalogue.IndexedFile(index);
        ASSERT_NE(file, nullptr);
        EXPECT_EQ(file->FileName.toStdString(), row.file_name);
        EXPECT_EQ(file->vType, row.kind);
        EXPECT_EQ(file->Component.toStdString(), row.component);
        EXPECT_EQ(file->Revision.toStdString(), row.revision);
        EXPECT_GT(file->Modified, 0.0);
        ASSERT_EQ(file->Thumb != nullptr, row.has_thumbnail);
        if (file->Thumb) {
            EXPECT_EQ(file->Thumb->Width(), kThumbnailSide);
            EXPECT_EQ(file->Thumb->Height(), kThumbnailSide);
            EXPECT_EQ(file->Thumb->PixelFormat(), fw::pf4bit);
        }
        EXPECT_EQ(captions.at(static_cast<size_t>(index)),
                  "Reading directory : " + std::to_string(index + 1));
    }
}

TEST_F(CatalogueFolder, EntriesAreFoundByIndexAndByExactName)
{
    TVectorManager catalogue;
    catalogue.GetFiles(path() + QStringLiteral("/"), nullptr);
    ASSERT_EQ(catalogue.FileCount(), 5);
    EXPECT_EQ(catalogue.IndexedFile(-1), nullptr);
    EXPECT_EQ(catalogue.IndexedFile(5), nullptr);
    const TVectorFile* part = catalogue.NamedFile(QStringLiteral("PART(B).KZV"));
    ASSERT_NE(part, nullptr);
    EXPECT_EQ(part, catalogue.IndexedFile(2));
    EXPECT_EQ(catalogue.NamedFile(QStringLiteral("part(b).kzv")), nullptr);
    EXPECT_EQ(catalogue.NamedFile(QStringLiteral("PART")), nullptr);

    // Each listing replaces the entries; an empty path leaves none.
    m_folder.write("late.dxf", "");
    catalogue.GetFiles(path(), nullptr);
    EXPECT_EQ(catalogue.FileCount(), 6);
    catalogue.GetFiles(QString(), nullptr);
    EXPECT_EQ(catalogue.FileCount(), 0);
    catalogue.GetFiles(path() + QStringLiteral("/missing"), nullptr);
    EXPECT_EQ(catalogue.FileCount(), 0);
}

// The colours of a thumbnail's pixels.
std::set<uint32_t> colours(fw::TBitmap& thumb)
{
    std::set<uint32_t> found;
    for (int y = 0; y < thumb.Height(); ++y) {
        const auto* row = static_cast<const uint32_t*>(thumb.ScanLine(y));
        found.insert(row, row + thumb.Width());
    }
    return found;
}

TEST(VectorCatalogueDrawings, ThumbnailsAndPartDataComeFromTheDrawings)
{
    test_support::TempFolder folder;
    ASSERT_TRUE(folder.ok());
    const std::filesystem::path samples(TARVEK_SAMPLES_DIR);
    for (const char* name : {"bracket_r12.dxf", "flange.igs", "BRACKET(B).KZV", "BRACKET(B).gr"})
        std::filesystem::copy_file(samples / name, folder.path(name));
    folder.write("broken.dxf", "  0\nSECTION\n  2\nENTITIES\n  0\nLINE\n 10\nnot a number\n");

    TVectorManager catalogue;
    catalogue.GetFiles(QString::fromStdString(folder.path()), nullptr);
    ASSERT_EQ(catalogue.FileCount(), 4);
    for (const char* name : {"bracket_r12.dxf", "flange.igs", "BRACKET(B).KZV"}) {
        SCOPED_TRACE(name);
        TVectorFile* file = catalogue.NamedFile(QString::fromUtf8(name));
        ASSERT_NE(file, nullptr);
        ASSERT_NE(file->Thumb, nullptr);
        EXPECT_EQ(file->Thumb->PixelFormat(), fw::pf4bit);
        // Grey lines on white, nothing else.
        EXPECT_EQ(colours(*file->Thumb), (std::set<uint32_t>{0x808080, 0xFFFFFF}));
    }

    const TVectorFile* part = catalogue.NamedFile(QStringLiteral("BRACKET(B).KZV"));
    EXPECT_EQ(part->Material.toStdString(), "S235JR");
    EXPECT_DOUBLE_EQ(part->Thickness, 3.0);
    EXPECT_GT(part->SizeX, 0.0);
    EXPECT_GT(part->SizeY, 0.0);
    EXPECT_EQ(part->JobId.toStdString(), "J-1044");
    EXPECT_EQ(part->Machines.Count(), 2);

    // A drawing that cannot be read keeps its entry and a thumbnail with nothing drawn.
    TVectorFile* broken = catalogue.NamedFile(QStringLiteral("broken.dxf"));
    ASSERT_NE(broken, nullptr);
    ASSERT_NE(broken->Thumb, nullptr);
    EXPECT_EQ(broken->Thumb->Width(), kThumbnailSide);
    EXPECT_EQ(colours(*broken->Thumb).size(), 1u);
}

// Everything an entry holds but its thumbnail, as text.
std::string describe(const TVectorFile& file)
{
    QString text = QStringLiteral("%1 kind %2 part %3 rev %4 at %5 job %6 %7 %8 mm")
                       .arg(file.FileName)
                       .arg(file.vType)
                       .arg(file.Component, file.Revision)
                       .arg(file.Modified, 0, 'g', 17)
                       .arg(file.JobId, file.Material)
                       .arg(file.Thickness, 0, 'g', 17);
    for (const double value :
         {file.Density, file.SizeX, file.SizeY, file.PartArea, file.HolesArea, file.TotalArea,
          file.PartWgt, file.HolesWgt, file.TotalWgt, file.RectWgt})
        text += u' ' + QString::number(value, 'g', 17);
    for (int index = 0; index < file.Machines.Count(); ++index) {
        const auto& machine = *static_cast<const TMchRec*>(file.Machines.Items(index));
        text += QStringLiteral(" [%1 %2 %3 %4 %5]")
                    .arg(machine.Machine)
                    .arg(machine.TotHits)
                    .arg(machine.TotPierce)
                    .arg(machine.TotCutLen, 0, 'g', 17)
                    .arg(machine.TimeTotal, 0, 'g', 17);
    }
    return text.toStdString();
}

std::vector<uint32_t> pixels(fw::TBitmap& thumb)
{
    std::vector<uint32_t> all;
    for (int y = 0; y < thumb.Height(); ++y) {
        const auto* row = static_cast<const uint32_t*>(thumb.ScanLine(y));
        all.insert(all.end(), row, row + thumb.Width());
    }
    return all;
}

// A drawing whose block refers to a file that is not there: its reader warns.
constexpr const char* kMissingReference =
    "  0\nSECTION\n  2\nBLOCKS\n  0\nBLOCK\n  2\nXREF\n 70\n4\n"
    " 10\n0\n 20\n0\n  1\nnot_there.dxf\n  0\nENDBLK\n"
    "  0\nENDSEC\n  0\nSECTION\n  2\nENTITIES\n  0\nINSERT\n"
    "  2\nXREF\n 10\n0\n 20\n0\n  0\nLINE\n 10\n0\n 20\n0\n"
    " 11\n10\n 21\n5\n  0\nENDSEC\n  0\nEOF\n";

TEST(VectorCatalogueThreads, SeveralThreadsListWhatOneThreadLists)
{
    // Every sample (DXF of several versions, ASCII and binary, IGES, part files with
    // their reports) three times over, so that the same kinds load side by side, with
    // drawings that warn and one that cannot be read.
    test_support::TempFolder folder;
    ASSERT_TRUE(folder.ok());
    for (const auto& sample : std::filesystem::directory_iterator(TARVEK_SAMPLES_DIR)) {
        const std::string name = sample.path().filename().string();
        for (const char* prefix : {"", "B", "C"})
            std::filesystem::copy_file(sample.path(), folder.path(prefix + name));
    }
    for (const char* name : {"ref1.dxf", "ref2.dxf", "ref3.dxf"})
        folder.write(name, kMissingReference);
    folder.write("broken.dxf", "  0\nSECTION\n  2\nENTITIES\n  0\nLINE\n 10\nnot a number\n");
    const QString path = QString::fromStdString(folder.path());

    TVectorManager alone;
    alone.GetFiles(path, nullptr, 1);
    TVectorManager together;
    together.GetFiles(path, nullptr, 4);

    ASSERT_EQ(together.FileCount(), alone.FileCount());
    int drawn = 0;
    for (int index = 0; index < alone.FileCount(); ++index) {
        TVectorFile& expected = *alone.IndexedFile(index);
        TVectorFile& actual = *together.IndexedFile(index);
        SCOPED_TRACE(expected.FileName.toStdString());
        EXPECT_EQ(describe(actual), describe(expected));
        ASSERT_EQ(actual.Thumb != nullptr, expected.Thumb != nullptr);
        if (expected.Thumb == nullptr)
            continue;
        EXPECT_EQ(actual.Thumb->PixelFormat(), expected.Thumb->PixelFormat());
        const std::vector<uint32_t> thumb = pixels(*expected.Thumb);
        EXPECT_TRUE(pixels(*actual.Thumb) == thumb) << "the thumbnails differ";
        drawn += std::set<uint32_t>(thumb.begin(), thumb.end()).size() > 1 ? 1 : 0;
    }
    // Nearly every entry has a drawing: the comparison is not one of blank thumbnails.
    EXPECT_GE(drawn, alone.FileCount() - 2);
}
}
