#include "listview/common/common_units.h"

#include "listview/common/check_bound_manager.h"
#include "listview/common/counted_libraries.h"
#include "listview/common/memory_stream_helper.h"
#include "listview/common/pidl_manager.h"

#include "framework/graphics.h"
#include "framework/sysutils.h"
#include "platform/clipboard.h"

#include <memory>

namespace vistrel::listview {

TLqCommonMemoryStreamHelper* GlobalMemoryStreamHelper = nullptr;
fw::TFont* GlyphFont = nullptr;
TLqCommonCheckBoundManager* GlobalCheckBoundManager = nullptr;

namespace {

// Runs a unit's set-up on its first start and its tear-down on its last stop.
class UnitCounter {
public:
    template <typename SetUp>
    void start(SetUp&& set_up)
    {
        if (m_starts == 0)
            set_up();
        ++m_starts;
    }
    template <typename TearDown>
    void stop(TearDown&& tear_down)
    {
        if (m_starts == 0)
            return;
        if (--m_starts == 0)
            tear_down();
    }

private:
    int m_starts = 0;
};

template <typename T>
void free_global(T*& object)
{
    std::unique_ptr<T> doomed(object);
    object = nullptr;
}

}

// ---- LQShellTypes ----------------------------------------------------------------------------

namespace LQShellTypes {

const std::array<const char*, 55> NetworkProviderNames = {
    "WNNC_NET_MSNET",      "WNNC_NET_LANMAN",      "WNNC_NET_NETWARE",     "WNNC_NET_VINES",
    "WNNC_NET_10NET",      "WNNC_NET_LOCUS",       "WNNC_NET_SUN_PC_NFS",  "WNNC_NET_LANSTEP",
    "WNNC_NET_9TILES",     "WNNC_NET_LANTASTIC",   "WNNC_NET_AS400",       "WNNC_NET_FTP_NFS",
    "WNNC_NET_PATHWORKS",  "WNNC_NET_LIFENET",     "WNNC_NET_POWERLAN",    "WNNC_NET_BWNFS",
    "WNNC_NET_COGENT",     "WNNC_NET_FARALLON",    "WNNC_NET_APPLETALK",   "WNNC_NET_INTERGRAPH",
    "WNNC_NET_SYMFONET",   "WNNC_NET_CLEARCASE",   "WNNC_NET_FRONTIER",    "WNNC_NET_BMC",
    "WNNC_NET_DCE",        "WNNC_NET_AVID",        "WNNC_NET_DOCUSPACE",   "WNNC_NET_MANGOSOFT",
    "WNNC_NET_SERNET",     "WNNC_NET_RIVERFRONT1", "WNNC_NET_RIVERFRONT2", "WNNC_NET_DECORB",
    "WNNC_NET_PROTSTOR",   "WNNC_NET_FJ_REDIR",    "WNNC_NET_DISTINCT",    "WNNC_NET_TWINS",
    "WNNC_NET_RDR2SAMPLE", "WNNC_NET_CSC",         "WNNC_NET_3IN1",        "WNNC_NET_EXTENDNET",
    "WNNC_NET_STAC",       "WNNC_NET_FOXBAT",      "WNNC_NET_YAHOO",       "WNNC_NET_EXIFS",
    "WNNC_NET_DAV",        "WNNC_NET_KNOWARE",     "WNNC_NET_OBJECT_DIRE", "WNNC_NET_MASFAX",
    "WNNC_NET_HOB_NFS",    "WNNC_NET_SHIVA",       "WNNC_NET_IBMAL",       "WNNC_NET_LOCK",
    "WNNC_NET_TERMSRV",    "WNNC_NET_SRT",         "WNNC_NET_QUINCY"};

void Initialize()
{
}
void Finalize()
{
}

}

// ---- LQResources ------------------------------------------------------------------------------

namespace LQResources {

std::vector<QString> Texts;

namespace {
UnitCounter g_unit;
}

void Initialize()
{
    g_unit.start([] {
        Texts = {QStringLiteral("Error"),
                 QStringLiteral("New Folder"),
                 QStringLiteral("Unknown Command"),
                 QStringLiteral("Properties"),
                 QStringLiteral("Paste"),
                 QStringLiteral("Paste Shortcut"),
                 QStringLiteral("Name"),
                 QStringLiteral("Size"),
                 QStringLiteral("Type"),
                 QStringLiteral("Modified"),
                 QStringLiteral("Attributes"),
                 QStringLiteral("Created"),
                 QStringLiteral("Accessed"),
                 QStringLiteral("Path"),
                 QStringLiteral("DOS Name"),
                 QStringLiteral("Custom"),
                 QStringLiteral("A"),
                 QStringLiteral("H"),
                 QStringLiteral("R"),
                 QStringLiteral("S"),
                 QStringLiteral("C"),
                 QStringLiteral("KB"),
                 QStringLiteral("0 KB"),
                 QStringLiteral("1 KB"),
                 QStringLiteral("System Folder"),
                 QStringLiteral(" File"),
                 QStringLiteral("No target application defined"),
                 QStringLiteral("PIDLs to operate on are not siblings of the Namespace doing the "
                                "operation.")};
    });
}

void Finalize()
{
    g_unit.stop([] { Texts.clear(); });
}

}

// ---- LQCommonUtilities --------------------------------------------------------------------------

namespace LQCommonUtilities {

std::vector<QString> Texts;
TLqCommonPIDLManager* GlobalPIDLManager = nullptr;

namespace {
UnitCounter g_unit;
}

void Initialize()
{
    g_unit.start([] {
        Texts = {QStringLiteral("Shell extension registration"),
                 QStringLiteral("Cannot register shell extension."),
                 QStringLiteral("Cannot unregister shell extension."),
                 QStringLiteral("Unable to find RegSvr32.exe executable."),
                 QStringLiteral("Unable to find extension DLL."),
                 QStringLiteral("RegSvr32.exe")};
        GlobalPIDLManager = new TLqCommonPIDLManager();
        // The shell's helper libraries: absent here, so nothing is recorded.
        LoadLibraryCounted("shlwapi.dll");
        LoadLibraryCounted("Userenv.dll");
    });
}

void Finalize()
{
    g_unit.stop([] {
        free_global(GlobalPIDLManager);
        UnloadAllLibraries();
        Texts.clear();
    });
}

}

// ---- LQDataObject -------------------------------------------------------------------------------

namespace LQDataObject {

uint16_t CF_SHELLIDLIST = 0;
uint16_t CF_LOGICALPERFORMEDDROPEFFECT = 0;
uint16_t CF_PREFERREDDROPEFFECT = 0;
uint16_t CF_PERFORMEDDROPEFFECT = 0;
uint16_t CF_PASTESUCCEEDED = 0;
uint16_t CF_INSHELLDRAGLOOP = 0;
uint16_t CF_SHELLIDLISTOFFSET = 0;
uint16_t CF_FILECONTENTS = 0;
uint16_t CF_FILEGROUPDESCRIPTOR = 0;
uint16_t CF_FILEGROUPDESCRIPTORW = 0;
TLqCommonPIDLManager* GlobalPIDLManager = nullptr;

namespace {

UnitCounter g_unit;

uint16_t registered(const char16_t* name)
{
    return static_cast<uint16_t>(RegisterClipboardFormatW(name));
}

}

void Initialize()
{
    g_unit.start([] {
        CF_SHELLIDLIST = registered(u"Shell IDList Array");
        CF_LOGICALPERFORMEDDROPEFFECT = registered(u"Logical Performed DropEffect");
        CF_PREFERREDDROPEFFECT = registered(u"Preferred DropEffect");
        CF_PERFORMEDDROPEFFECT = registered(u"Performed DropEffect");
        CF_PASTESUCCEEDED = registered(u"Paste Succeeded");
        CF_INSHELLDRAGLOOP = registered(u"InShellDragLoop");
        CF_SHELLIDLISTOFFSET = registered(u"Shell Object Offsets");
        CF_FILECONTENTS = registered(u"FileContents");
        CF_FILEGROUPDESCRIPTOR = registered(u"FileGroupDescriptor");
        CF_FILEGROUPDESCRIPTORW = registered(u"FileGroupDescriptorW");
        GlobalPIDLManager = new TLqCommonPIDLManager();
    });
}

void Finalize()
{
    g_unit.stop([] { free_global(GlobalPIDLManager); });
}

}

// ---- LQCommonObjects --------------------------------------------------------------------------------

namespace LQCommonObjects {

TLqCommonPIDLManager* GlobalPIDLManager = nullptr;

namespace {
UnitCounter g_unit;
}

void Initialize()
{
    // Item-identifier lists are compared byte by byte here: no shell library is taken.
    g_unit.start([] {
        GlobalMemoryStreamHelper = new TLqCommonMemoryStreamHelper();
        GlyphFont = new fw::TFont();
        GlyphFont->SetName(QStringLiteral("marlett"));
        GlobalCheckBoundManager = new TLqCommonCheckBoundManager();
        GlobalPIDLManager = new TLqCommonPIDLManager();
    });
}

void Finalize()
{
    g_unit.stop([] {
        free_global(GlobalMemoryStreamHelper);
        free_global(GlobalCheckBoundManager);
        free_global(GlyphFont);
        free_global(GlobalPIDLManager);
    });
}

}

// ---- LQThreadManager ---------------------------------------------------------------------------------

namespace LQThreadManager {

TLqCommonPIDLManager* GlobalPIDLManager = nullptr;

namespace {
UnitCounter g_unit;
}

// The run-time's memory manager is always ready for several threads here.
void Initialize()
{
    g_unit.start([] { GlobalPIDLManager = new TLqCommonPIDLManager(); });
}

void Finalize()
{
    g_unit.stop([] { free_global(GlobalPIDLManager); });
}

}

// ---- All of them -------------------------------------------------------------------------------------

namespace {

struct UnitSteps {
    const char* name;
    void (*initialize)();
    void (*finalize)();
};

constexpr UnitSteps kUnits[] = {
    {"LQShellTypes", LQShellTypes::Initialize, LQShellTypes::Finalize},
    {"LQResources", LQResources::Initialize, LQResources::Finalize},
    {"LQCommonUtilities", LQCommonUtilities::Initialize, LQCommonUtilities::Finalize},
    {"LQDataObject", LQDataObject::Initialize, LQDataObject::Finalize},
    {"LQCommonObjects", LQCommonObjects::Initialize, LQCommonObjects::Finalize},
    {"LQThreadManager", LQThreadManager::Initialize, LQThreadManager::Finalize},
};

}

void InitializeCommonUnits()
{
    size_t started = 0;
    try {
        for (const UnitSteps& unit : kUnits) {
            unit.initialize();
            ++started;
        }
    } catch (...) {
        while (started > 0)
            kUnits[--started].finalize();
        throw;
    }
}

void FinalizeCommonUnits()
{
    for (size_t i = std::size(kUnits); i-- > 0;)
        kUnits[i].finalize();
}

void RegisterCommonUnits(fw::UnitRegistry& Registry)
{
    for (const UnitSteps& unit : kUnits)
        Registry.Add(unit.name, unit.initialize, unit.finalize);
}

}
