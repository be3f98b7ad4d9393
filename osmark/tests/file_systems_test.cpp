// File-system trees: drives, assigns and the network as volumes, folders grown along
// paths, refreshed and pruned.

#include "osmark/assigns.h"
#include "osmark/errors.h"
#include "osmark/file_systems.h"
#include "platform/volumes.h"
#include "test_support/files.h"
#include "test_support/temp_folder.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

std::vector<std::string> child_names(FileSystemNode* node)
{
    std::vector<std::string> names;
    for (TreeNode* child = node->fsn_Node.tn_FirstChild; child != nullptr;
         child = child->tn_NextSibling)
        names.emplace_back(reinterpret_cast<FileSystemNode*>(child)->fsn_Name);
    return names;
}

FileSystemVolume* volume_named(List* list, const char* name)
{
    for (Node* n = list->lh_Head; n->ln_Succ != nullptr; n = n->ln_Succ) {
        if (std::strcmp(n->ln_Name, name) == 0)
            return reinterpret_cast<FileSystemVolume*>(n);
    }
    return nullptr;
}

FileSystemNode* root_of(FileSystemVolume* volume)
{
    return reinterpret_cast<FileSystemNode*>(volume->fsv_Folders.tr_First);
}

// A folder "Jobs" with "Sub" (holding a file) and two files, laid under drive D:.
class TreeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_folder.ok());
        m_folder.write("Jobs/Sub/inner.dxf", "0\nEOF\n");
        m_folder.write("Jobs/a.dxf", "a");
        m_folder.write("Jobs/b.dxf", "b");
        m_folder.write("top.txt", "t");
        platform_set_drive_for_testing('D', m_folder.path().c_str(), DRIVE_FIXED);
    }
    void TearDown() override
    {
        if (m_tree != nullptr) {
            EXPECT_EQ(DeleteFileSystem(m_tree, nullptr), 1);
        }
        platform_set_drive_for_testing('D', nullptr, 0);
    }

    test_support::TempFolder m_folder;
    FileSystem* m_tree = nullptr;
};

TEST_F(TreeTest, DrivesAreVolumesWithRootNodes)
{
    platform_set_drive_for_testing('E', m_folder.path().c_str(), DRIVE_REMOVABLE);
    m_tree = CreateFileSystem(nullptr, nullptr, FileSystemDrives);
    platform_set_drive_for_testing('E', nullptr, 0);
    ASSERT_NE(m_tree, nullptr);
    EXPECT_EQ(m_tree->fs_Listed, static_cast<uint32_t>(FileSystemDrives));

    FileSystemVolume* c = volume_named(&m_tree->fs_Drives, "C:");
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(c->fsv_Kind & FileSystemVolumeDrive, FileSystemVolumeDrive);
    EXPECT_TRUE(c->fsv_State & FileSystemVolumeInfoRead);
    EXPECT_STREQ(c->fsv_Path, "C:");
    ASSERT_NE(c->fsv_FileSystemName, nullptr);
    EXPECT_GT(c->fsv_MaxComponentLength, 0u);
    ASSERT_NE(root_of(c), nullptr);
    EXPECT_STREQ(root_of(c)->fsn_Name, "C:");

    FileSystemVolume* e = volume_named(&m_tree->fs_Drives, "E:");
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(e->fsv_Kind, FileSystemVolumeDrive | FileSystemVolumeRemovable) << "kind 5";
    EXPECT_EQ(e->fsv_State & FileSystemVolumeInfoRead, 0u) << "a removable drive is not asked";
    EXPECT_EQ(e->fsv_FileSystemName, nullptr);
    EXPECT_EQ(root_of(e)->fsn_Flags, FileSystemNodeHasFiles | FileSystemNodeHasFolders);

    FileSystemVolume* d = volume_named(&m_tree->fs_Drives, "D:");
    ASSERT_NE(d, nullptr);
    EXPECT_EQ(root_of(d)->fsn_Flags, FileSystemNodeHasFiles | FileSystemNodeHasFolders)
        << "classified";

    // Listed once: a second request changes nothing.
    FileSystemVolume* const before = c;
    EXPECT_EQ(RefreshFileSystem(m_tree, nullptr, FileSystemDrives), 1);
    EXPECT_EQ(m_tree->fs_Drives.lh_Head, &before->fsv_Node);
}

TEST_F(TreeTest, ExpandingListsEachFolderOnThePath)
{
    m_tree = CreateFileSystem(nullptr, "D:\\Jobs\\Sub", FileSystemDrives);
    ASSERT_NE(m_tree, nullptr);
    FileSystemVolume* volume = nullptr;
    FileSystemNode* sub = FileSystemFromPath(m_tree, "D:/Jobs/Sub", &volume);
    ASSERT_NE(sub, nullptr);
    EXPECT_STREQ(volume->fsv_Node.ln_Name, "D:");
    EXPECT_EQ(sub->fsn_Flags, FileSystemNodeHasFiles);
    EXPECT_EQ(sub->fsn_Attributes & 0x10, 0x10u);
    EXPECT_EQ(sub->fsn_Node.tn_FirstChild, nullptr) << "the last component is not listed";
    EXPECT_EQ(FileSystemFromPath(m_tree, "D:/Jobs/Sub/inner.dxf", nullptr), nullptr);
    EXPECT_EQ(FileSystemFromPath(m_tree, "d:\\jobs\\SUB\\", nullptr), sub)
        << "case and a last separator";
    EXPECT_EQ(FileSystemFromPath(m_tree, "D:/Jobs//Sub", nullptr), nullptr);

    FileSystemNode* jobs = FileSystemFromPath(m_tree, "D:/Jobs", nullptr);
    ASSERT_NE(jobs, nullptr);
    EXPECT_EQ(child_names(jobs), (std::vector<std::string>{"a.dxf", "b.dxf", "Sub"}));
    EXPECT_EQ(child_names(root_of(volume)), (std::vector<std::string>{"Jobs", "top.txt"}));
    FileSystemNode* a = FileSystemFromPath(m_tree, "D:/Jobs/a.dxf", nullptr);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->fsn_Size, 1u);
    EXPECT_EQ(a->fsn_Flags, 0u);

    // Folders only.
    ASSERT_EQ(DeleteFileSystem(m_tree, "D:/Jobs"), 1);
    EXPECT_EQ(child_names(jobs), std::vector<std::string>{});
    EXPECT_EQ(CreateFileSystem(m_tree, "D:/Jobs/", FileSystemFoldersOnly), m_tree);
    EXPECT_EQ(child_names(jobs), std::vector<std::string>{"Sub"});
}

TEST_F(TreeTest, PathsAreRebuiltOnlyWhenTheyFit)
{
    m_tree = CreateFileSystem(nullptr, "D:/Jobs/Sub", FileSystemDrives);
    FileSystemNode* sub = FileSystemFromPath(m_tree, "D:/Jobs/Sub", nullptr);
    ASSERT_NE(sub, nullptr);
    char buffer[16];
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(PathFromFileSystem(m_tree, sub, buffer, 11), 12u);
    EXPECT_EQ(buffer[0], 'x') << "one byte short: nothing written";
    EXPECT_EQ(PathFromFileSystem(m_tree, sub, nullptr, 0), 12u);
    EXPECT_EQ(PathFromFileSystem(m_tree, sub, buffer, 12), 12u);
    EXPECT_STREQ(buffer, "D:/Jobs/Sub");
    EXPECT_EQ(PathFromFileSystem(nullptr, sub, buffer, 12), 0u);
    EXPECT_EQ(PathFromFileSystem(m_tree, nullptr, buffer, 12), 0u);
}

TEST_F(TreeTest, RefreshFollowsTheDisk)
{
    m_tree = CreateFileSystem(nullptr, "D:/Jobs/Sub", FileSystemDrives);
    FileSystemNode* jobs = FileSystemFromPath(m_tree, "D:/Jobs", nullptr);
    ASSERT_NE(jobs, nullptr);
    FileSystemNode* kept = FileSystemFromPath(m_tree, "D:/Jobs/b.dxf", nullptr);
    ASSERT_EQ(unlink(m_folder.path("Jobs/a.dxf").c_str()), 0);
    m_folder.write("Jobs/c.dxf", "ccc");
    ASSERT_EQ(RefreshFileSystem(m_tree, "D:/Jobs", 0), 1);
    EXPECT_EQ(child_names(jobs), (std::vector<std::string>{"b.dxf", "c.dxf", "Sub"}))
        << "new after the one before";
    EXPECT_EQ(FileSystemFromPath(m_tree, "D:/Jobs/b.dxf", nullptr), kept) << "known nodes stay";
    EXPECT_EQ(FileSystemFromPath(m_tree, "D:/Jobs/c.dxf", nullptr)->fsn_Size, 3u);

    FileSystemNode* sub = FileSystemFromPath(m_tree, "D:/Jobs/Sub", nullptr);
    EXPECT_EQ(RefreshFileSystem(m_tree, "D:/Jobs/Sub", 0), 1) << "never listed: unchanged";
    EXPECT_EQ(sub->fsn_Node.tn_FirstChild, nullptr);
    EXPECT_EQ(RefreshFileSystem(m_tree, "D:/Jobs/missing", 0), 0);
    EXPECT_EQ(IoErr(), IoErrObjectNotFound);
    EXPECT_EQ(RefreshFileSystem(nullptr, nullptr, 0), 0);
    EXPECT_EQ(IoErr(), IoErrRequiredArgMissing);
    EXPECT_EQ(DeleteFileSystem(nullptr, nullptr), 0);
}

TEST_F(TreeTest, ARootedPathWithoutDriveIsOnC)
{
    const std::string sub = m_folder.path("Jobs/Sub");
    m_tree = CreateFileSystem(nullptr, sub.c_str(), FileSystemDrives);
    FileSystemVolume* volume = nullptr;
    FileSystemNode* node = FileSystemFromPath(m_tree, sub.c_str(), &volume);
    ASSERT_NE(node, nullptr);
    EXPECT_STREQ(volume->fsv_Node.ln_Name, "C:");
    EXPECT_EQ(FileSystemFromPath(m_tree, ("C:" + sub).c_str(), nullptr), node);
    EXPECT_EQ(FileSystemFromPath(m_tree, (sub + "/inner.dxf").c_str(), nullptr), nullptr);
    const uint32_t needed = PathFromFileSystem(m_tree, node, nullptr, 0);
    std::string path(needed, '\0');
    PathFromFileSystem(m_tree, node, path.data(), needed);
    EXPECT_STREQ(path.c_str(), ("C:" + sub).c_str());
    FileSystemNode* folder = FileSystemFromPath(m_tree, m_folder.path().c_str(), nullptr);
    ASSERT_NE(folder, nullptr);
    EXPECT_EQ(child_names(folder), (std::vector<std::string>{"Jobs", "top.txt"}));
}

TEST_F(TreeTest, UserAssignsAreVolumesOfTheirFolders)
{
    ASSERT_EQ(AssignPath("JOBS", m_folder.path("Jobs").c_str()), 1);
    m_tree = CreateFileSystem(nullptr, nullptr, FileSystemAssigns);
    AssignPath("JOBS", nullptr);
    FileSystemVolume* jobs = volume_named(&m_tree->fs_Assigns, "JOBS");
    ASSERT_NE(jobs, nullptr);
    EXPECT_EQ(jobs->fsv_Kind & FileSystemVolumeAssign, FileSystemVolumeAssign);
    EXPECT_STREQ(jobs->fsv_Path, m_folder.path("Jobs").c_str());
    EXPECT_STREQ(root_of(jobs)->fsn_Name, m_folder.path("Jobs").c_str());
    EXPECT_EQ(root_of(jobs)->fsn_Flags, FileSystemNodeHasFiles | FileSystemNodeHasFolders);
    EXPECT_TRUE(jobs->fsv_State & FileSystemVolumeInfoRead) << "from the folder itself";
    EXPECT_EQ(volume_named(&m_tree->fs_Assigns, "ENV"), nullptr) << "system assigns are not listed";
}

TEST(FileSystemNetwork, ScriptedDomainsServersAndShares)
{
    char domain_name[] = "Workgroup";
    char server_name[] = "\\\\srv";
    char share_name[] = "\\\\srv\\data";
    char locked_name[] = "\\\\locked";
    char comment[] = "shared data";
    const auto resource = [](DWORD display_type, DWORD usage, char* remote, char* note) {
        NETRESOURCEA record{};
        record.dwScope = RESOURCE_GLOBALNET;
        record.dwDisplayType = display_type;
        record.dwUsage = usage;
        record.lpRemoteName = remote;
        record.lpComment = note;
        return record;
    };
    const PlatformNetworkEntry entries[] = {
        {nullptr,
         resource(RESOURCEDISPLAYTYPE_DOMAIN, RESOURCEUSAGE_CONTAINER, domain_name, nullptr), 0},
        {domain_name,
         resource(RESOURCEDISPLAYTYPE_SERVER, RESOURCEUSAGE_CONTAINER, server_name, nullptr), 0},
        {server_name,
         resource(RESOURCEDISPLAYTYPE_SHARE, RESOURCEUSAGE_CONNECTABLE, share_name, comment), 0},
        {domain_name,
         resource(RESOURCEDISPLAYTYPE_SERVER, RESOURCEUSAGE_CONTAINER, locked_name, nullptr),
         ERROR_ACCESS_DENIED},
    };
    platform_set_network_for_testing(entries, 4);
    FileSystem* tree = CreateFileSystem(nullptr, nullptr, FileSystemNetwork);
    platform_set_network_for_testing(nullptr, 0);
    ASSERT_NE(tree, nullptr);

    ASSERT_FALSE(IsListEmpty(&tree->fs_Network));
    auto* domain = reinterpret_cast<FileSystemVolume*>(tree->fs_Network.lh_Head);
    EXPECT_STREQ(domain->fsv_Node.ln_Name, "Domain");
    EXPECT_EQ(domain->fsv_Kind &
                  (FileSystemVolumeNetwork | FileSystemVolumeContainer | FileSystemVolumeDomain),
              FileSystemVolumeNetwork | FileSystemVolumeContainer | FileSystemVolumeDomain);
    ASSERT_FALSE(IsListEmpty(&domain->fsv_Children));
    auto* server = reinterpret_cast<FileSystemVolume*>(domain->fsv_Children.lh_Head);
    EXPECT_STREQ(server->fsv_Node.ln_Name, "Server");
    EXPECT_EQ(server->fsv_State & FileSystemVolumeDenied, 0u);
    auto* share = reinterpret_cast<FileSystemVolume*>(server->fsv_Children.lh_Head);
    ASSERT_NE(share->fsv_Node.ln_Succ, nullptr);
    EXPECT_STREQ(share->fsv_Node.ln_Name, "\\\\srv\\data");
    EXPECT_STREQ(share->fsv_Comment, "shared data");
    EXPECT_EQ(share->fsv_Path, nullptr) << "not mapped to a drive";
    auto* locked = reinterpret_cast<FileSystemVolume*>(server->fsv_Node.ln_Succ);
    ASSERT_NE(locked->fsv_Node.ln_Succ, nullptr);
    EXPECT_EQ(locked->fsv_State & FileSystemVolumeDenied, FileSystemVolumeDenied) << "state 0x20";

    // A server is found by its remote path; a share by its name.
    FileSystemVolume* found = nullptr;
    EXPECT_NE(FileSystemFromPath(tree, "\\\\srv\\data\\", &found), nullptr);
    EXPECT_EQ(found, share);
    EXPECT_EQ(DeleteFileSystem(tree, nullptr), 1);
}

}
