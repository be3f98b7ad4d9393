// Where external references are looked for: a relative name in the folder of the file
// that names it, an absolute one where it says, whatever the current directory is; and
// no read changes the current directory.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <atomic>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "dxf_test_support.h"
#include "halvern/halvern.h"

namespace {

namespace fs = std::filesystem;
using dxf_test::Group;

// A folder of the test's own in the temporary folder, removed at the end.
class TempFolder {
public:
    TempFolder()
    {
        const char* base = std::getenv("TMPDIR");
        m_path = fs::path(base != nullptr ? base : "/tmp") / "external_reference_test";
        fs::remove_all(m_path);
        fs::create_directories(m_path);
    }
    ~TempFolder() { fs::remove_all(m_path); }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    std::string write(const std::string& name, const std::vector<Group>& groups) const
    {
        const fs::path path = m_path / name;
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << dxf_test::ascii(groups);
        return path.string();
    }
    fs::path path(const std::string& name = "") const
    {
        return name.empty() ? m_path : m_path / name;
    }

private:
    fs::path m_path;
};

// Puts the current directory back at the end of a test.
class CurrentDirectoryKeeper {
public:
    CurrentDirectoryKeeper() : m_saved(fs::current_path()) {}
    ~CurrentDirectoryKeeper() { fs::current_path(m_saved); }
    CurrentDirectoryKeeper(const CurrentDirectoryKeeper&) = delete;
    CurrentDirectoryKeeper& operator=(const CurrentDirectoryKeeper&) = delete;

private:
    fs::path m_saved;
};

std::vector<Group> external_block(const char* name, const std::string& path)
{
    return {{0, "BLOCK"}, {2, name}, {70, "4"}, {10, "0"}, {20, "0"}, {1, path}, {0, "ENDBLK"}};
}

std::vector<Group> file_of(const std::vector<Group>& blocks, const std::vector<Group>& entities)
{
    std::vector<Group> groups = {{0, "SECTION"}, {2, "BLOCKS"}};
    groups.insert(groups.end(), blocks.begin(), blocks.end());
    groups.insert(groups.end(), {{0, "ENDSEC"}, {0, "SECTION"}, {2, "ENTITIES"}});
    groups.insert(groups.end(), entities.begin(), entities.end());
    groups.insert(groups.end(), {{0, "ENDSEC"}, {0, "EOF"}});
    return groups;
}

std::vector<int32_t> types_of(const ItemBufferRec& buffer)
{
    std::vector<int32_t> types;
    for (int32_t i = 0; i < buffer.ib_N; ++i)
        types.push_back(buffer.ib_Items[i]->it_Header.ih_ItemType);
    return types;
}

// drawings/host.dxf refers to parts/part.dxf (relative, below it), which refers to
// ../leaf.dxf (relative to its own folder); and to an absolute path in another folder,
// whose file refers to near.dxf beside itself. Each file gives one kind of item.
class ExternalReferences : public ::testing::Test {
protected:
    ExternalReferences()
    {
        m_folder.write("drawings/leaf.dxf", file_of({}, {{0, "POINT"}, {10, "1"}, {20, "2"}}));
        m_folder.write(
            "drawings/parts/part.dxf",
            file_of(external_block("LEAF", "../leaf.dxf"),
                    {{0, "CIRCLE"}, {10, "5"}, {20, "5"}, {40, "1"}, {0, "INSERT"}, {2, "LEAF"}}));
        m_folder.write("elsewhere/near.dxf",
                       file_of({}, {{0, "TEXT"}, {10, "0"}, {20, "0"}, {1, "near"}}));
        const std::string absolute = m_folder.write(
            "elsewhere/far.dxf", file_of(external_block("NEAR", "near.dxf"), {{0, "LINE"},
                                                                              {10, "0"},
                                                                              {20, "0"},
                                                                              {11, "9"},
                                                                              {21, "9"},
                                                                              {0, "INSERT"},
                                                                              {2, "NEAR"}}));
        std::vector<Group> blocks = external_block("PART", "parts/part.dxf");
        const std::vector<Group> far = external_block("FAR", absolute);
        blocks.insert(blocks.end(), far.begin(), far.end());
        m_host = m_folder.write("drawings/host.dxf", file_of(blocks, {{0, "POINT"}}));
    }

    // The block items every read must give: each block's BLOCK item, what its files
    // give (INSERTs of nested references expanded) and its ENDBLK.
    static std::vector<int32_t> expected_blocks()
    {
        return {DXFItemBlock, DXFItemArc,  DXFItemPoint, DXFItemEndBlock,
                DXFItemBlock, DXFItemLine, DXFItemText,  DXFItemEndBlock};
    }

    TempFolder m_folder;
    std::string m_host;
};

TEST_F(ExternalReferences, ResolveAgainstTheReferringFileWhereverTheCurrentDirectoryIs)
{
    const CurrentDirectoryKeeper keeper;
    // A decoy that a read against the current directory would take for the part.
    m_folder.write("other/parts/part.dxf",
                   file_of({}, {{0, "LINE"}, {10, "0"}, {20, "0"}, {11, "1"}, {21, "1"}}));
    const std::string image = [&] {
        std::ifstream file(m_host, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }();
    const struct {
        const char* name;
        fs::path directory;
        std::string path; // the host as the read names it
    } rows[] = {
        {"the root", "/", m_host},
        {"another folder", m_folder.path("other"), m_host},
        {"the host's folder", m_folder.path("drawings"), m_host},
        {"the part's folder", m_folder.path("drawings/parts"), m_host},
        {"the host named relative to the current directory", m_folder.path(), "drawings/host.dxf"},
        {"the host named with a dot-dot", m_folder.path("other"), "../drawings/host.dxf"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        fs::current_path(row.directory);
        const fs::path before = fs::current_path();
        {
            DXFDrawingRec drawing;
            NewDXFDrawing(&drawing);
            EXPECT_EQ(ReadDXFNoWarnings(row.path.c_str(), &drawing), 0);
            EXPECT_EQ(types_of(drawing.dxf_BlockItemBuffer), expected_blocks());
            FreeDXFDrawing(&drawing);
        }
        EXPECT_EQ(fs::current_path(), before);
        {
            // An image read in the name of the host finds the same files.
            DXFDrawingRec drawing;
            NewDXFDrawing(&drawing);
            EXPECT_EQ(ReadADXFFileMem(image.data(), static_cast<uint32_t>(image.size()),
                                      row.path.c_str(), &drawing, 1),
                      0);
            EXPECT_EQ(types_of(drawing.dxf_BlockItemBuffer), expected_blocks());
            FreeDXFDrawing(&drawing);
        }
        EXPECT_EQ(fs::current_path(), before);
    }
}

TEST_F(ExternalReferences, AStreamWithoutANameResolvesAgainstTheCurrentDirectory)
{
    const CurrentDirectoryKeeper keeper;
    FileHandle* stream = Open(m_host.c_str(), FileModeRead);
    ASSERT_NE(stream, nullptr);
    const struct {
        const char* name;
        fs::path directory;
        size_t block_items;
    } rows[] = {
        // The absolute reference (and its own relative one) is found from anywhere.
        {"the host's folder", m_folder.path("drawings"), 8},
        {"another folder", m_folder.path(), 6},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        fs::current_path(row.directory);
        ASSERT_EQ(Seek(stream, 0, 0), 0);
        DXFDrawingRec drawing;
        NewDXFDrawing(&drawing);
        EXPECT_EQ(ReadADXFFileFP(stream, &drawing, 1), 0);
        EXPECT_EQ(static_cast<size_t>(drawing.dxf_BlockItemBuffer.ib_N), row.block_items);
        EXPECT_EQ(fs::current_path(), row.directory);
        FreeDXFDrawing(&drawing);
    }
    Close(stream);
}

TEST_F(ExternalReferences, NoReadChangesTheCurrentDirectoryWhileItRuns)
{
    // The current directory belongs to the whole process: a read that switched it, even
    // for a moment, would move every other thread's relative names. A watcher looks at
    // it all the time that reads run.
    const CurrentDirectoryKeeper keeper;
    fs::current_path(m_folder.path());
    const fs::path start = fs::current_path();
    std::atomic<bool> reading{true};
    std::atomic<int> changes{0};
    std::thread watcher([&] {
        while (reading.load()) {
            if (fs::current_path() != start)
                changes.fetch_add(1);
        }
    });
    for (int i = 0; i < 20; ++i) {
        DXFDrawingRec drawing;
        NewDXFDrawing(&drawing);
        EXPECT_EQ(ReadDXFNoWarnings(m_host.c_str(), &drawing), 0);
        FreeDXFDrawing(&drawing);
    }
    reading.store(false);
    watcher.join();
    EXPECT_EQ(changes.load(), 0);
}

}
