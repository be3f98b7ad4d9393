#include "listview/common/check_bound_manager.h"
#include "listview/common/common_units.h"
#include "listview/common/counted_libraries.h"
#include "listview/common/memory_stream_helper.h"
#include "listview/common/object_helpers.h"
#include "listview/common/pidl_manager.h"
#include "listview/common/theme_manager.h"

#include "framework/controls.h"
#include "framework/graphics.h"
#include "framework/sysutils.h"
#include "platform/clipboard.h"
#include "platform/module_loading.h"
#include "platform/user_paint.h"

#include <gtest/gtest.h>

#include <set>

using namespace vistrel::listview;

TEST(CommonUnits, StartAndStopOnceWhateverTheNesting)
{
    EXPECT_EQ(GlobalMemoryStreamHelper, nullptr);
    {
        TLqCommonUnitsScope outer;
        ASSERT_NE(GlobalMemoryStreamHelper, nullptr);
        ASSERT_NE(GlobalCheckBoundManager, nullptr);
        ASSERT_NE(GlyphFont, nullptr);
        EXPECT_EQ(GlyphFont->Name(), QStringLiteral("marlett"));
        const std::set<TLqCommonPIDLManager*> managers{
            LQCommonUtilities::GlobalPIDLManager, LQDataObject::GlobalPIDLManager,
            LQCommonObjects::GlobalPIDLManager, LQThreadManager::GlobalPIDLManager};
        EXPECT_EQ(managers.size(), 4u);
        EXPECT_EQ(managers.count(nullptr), 0u);
        EXPECT_EQ(LQResources::Texts.size(), 28u);
        EXPECT_EQ(LQCommonUtilities::Texts.size(), 6u);
        EXPECT_EQ(LQShellTypes::NetworkProviderNames.front(), std::string("WNNC_NET_MSNET"));
        EXPECT_EQ(LQShellTypes::NetworkProviderNames.back(), std::string("WNNC_NET_QUINCY"));
        EXPECT_EQ(LQDataObject::CF_SHELLIDLIST, RegisterClipboardFormatA("Shell IDList Array"));
        const std::set<uint16_t> formats{
            LQDataObject::CF_SHELLIDLIST,         LQDataObject::CF_LOGICALPERFORMEDDROPEFFECT,
            LQDataObject::CF_PREFERREDDROPEFFECT, LQDataObject::CF_PERFORMEDDROPEFFECT,
            LQDataObject::CF_PASTESUCCEEDED,      LQDataObject::CF_INSHELLDRAGLOOP,
            LQDataObject::CF_SHELLIDLISTOFFSET,   LQDataObject::CF_FILECONTENTS,
            LQDataObject::CF_FILEGROUPDESCRIPTOR, LQDataObject::CF_FILEGROUPDESCRIPTORW};
        EXPECT_EQ(formats.size(), 10u);
        EXPECT_GE(*formats.begin(), 0xC000u);

        GlobalCheckBoundManager->CheckBound(8);
        {
            TLqCommonUnitsScope inner;
            EXPECT_EQ(GlobalCheckBoundManager->Count(), 1) << "a second start sets nothing up";
        }
        ASSERT_NE(GlobalCheckBoundManager, nullptr) << "nor does its stop tear anything down";
        EXPECT_EQ(GlobalCheckBoundManager->Count(), 1);
    }
    EXPECT_EQ(GlobalMemoryStreamHelper, nullptr);
    EXPECT_EQ(GlobalCheckBoundManager, nullptr);
    EXPECT_EQ(GlyphFont, nullptr);
    EXPECT_EQ(LQThreadManager::GlobalPIDLManager, nullptr);
    EXPECT_TRUE(LQResources::Texts.empty());
}

TEST(CommonUnits, RegisterWithTheProgramsUnits)
{
    fw::UnitRegistry registry;
    RegisterCommonUnits(registry);
    registry.InitializeAll();
    EXPECT_NE(GlobalMemoryStreamHelper, nullptr);
    registry.FinalizeAll();
    EXPECT_EQ(GlobalMemoryStreamHelper, nullptr);
}

TEST(CountedLibraries, LoadOnceAndFreeEveryReference)
{
    const HMODULE first = LoadLibraryCounted("platform_test_module.dll");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(LoadLibraryCounted("PLATFORM_TEST_MODULE.DLL"), first);
    ASSERT_EQ(LoadedLibraries().size(), 1u);
    EXPECT_EQ(LoadedLibraries()[0].ReferenceCount, 2);
    EXPECT_EQ(LoadLibraryCounted("no_such_module.dll"), nullptr);
    EXPECT_EQ(LoadedLibraries().size(), 1u) << "a failure is not recorded";
    UnloadAllLibraries();
    EXPECT_TRUE(LoadedLibraries().empty());
    // Every reference was the list's own: none is left to free.
    EXPECT_FALSE(FreeLibrary(first));
}

TEST(ThemeManager, OpensNothingAndRedrawsTheOwnersFrame)
{
    fw::TCustomControl control(nullptr);
    control.SetBounds(0, 0, 50, 40);
    TLqCommonThemeManager themes(&control);
    themes.ThemesLoad();
    EXPECT_FALSE(control.HandleAllocated()) << "no window, nothing to do";
    const HWND window = control.Handle();
    ValidateRect(window, nullptr);
    themes.ThemesLoad();
    themes.ThemesLoad();
    EXPECT_FALSE(themes.Loaded());
    EXPECT_EQ(themes.ButtonTheme(), nullptr);
    EXPECT_EQ(themes.ExplorerBarTheme(), nullptr);
    RECT update{};
    EXPECT_TRUE(GetUpdateRect(window, &update, FALSE)) << "the window is to be drawn again";
    themes.ThemesFree();
    EXPECT_FALSE(themes.Loaded());
}

namespace {

class Answering : public fw::TInterfacedObject {
public:
    void handler(int) {}
    void other(int) {}
};

}

TEST(ObjectHelpers, MethodsInterfacesAndThePlatform)
{
    Answering a;
    Answering b;
    EXPECT_TRUE(SameMethodPointer(TMethodRef::Of(&a, &Answering::handler),
                                  TMethodRef::Of(&a, &Answering::handler)));
    EXPECT_FALSE(SameMethodPointer(TMethodRef::Of(&a, &Answering::handler),
                                   TMethodRef::Of(&b, &Answering::handler)));
    EXPECT_FALSE(SameMethodPointer(TMethodRef::Of(&a, &Answering::handler),
                                   TMethodRef::Of(&a, &Answering::other)));

    auto object = fw::NewInterfaced<Answering>();
    void* answer = nullptr;
    EXPECT_TRUE(QueryObjectInterface(object.get(), fw::IUnknown::IID, answer));
    ASSERT_NE(answer, nullptr);
    static_cast<fw::IUnknown*>(answer)->Release();
    EXPECT_FALSE(QueryObjectInterface(object.get(), IShellFolder::IID, answer));
    EXPECT_FALSE(QueryObjectInterface(nullptr, fw::IUnknown::IID, answer));
    fw::TList plain;
    EXPECT_FALSE(QueryObjectInterface(&plain, fw::IUnknown::IID, answer));
    EXPECT_TRUE(ObjectSupports(object.get(), fw::IUnknown::IID));
    EXPECT_FALSE(ObjectSupports(object.get(), IShellFolder::IID));
    EXPECT_EQ(object->RefCount(), 1) << "what was asked for is given back";

    EXPECT_TRUE(IsUnicodePlatform());
    EXPECT_TRUE(IsWindows2000OrLater());
    EXPECT_FALSE(IsWindowsNT4());
}

TEST(CallbackStubs, ReachTheObjectsMethod)
{
    struct Counter {
        int total = 0;
        int add(int amount)
        {
            total += amount;
            return total;
        }
    } counter;
    std::function<int(int)> stub = CreateCallbackStub(&counter, &Counter::add);
    EXPECT_EQ(stub(2), 2);
    EXPECT_EQ(stub(3), 5);
    FreeCallbackStub(stub);
    EXPECT_FALSE(stub);
}
