// The start-up and shut-down of the list-view control's common units and the
// unit-wide objects they make.
//
// The units start in this order and stop in the reverse one: LQShellTypes,
// LQResources, LQCommonUtilities, LQDataObject, LQCommonObjects, LQThreadManager. Each
// keeps a count of its starts: only the first start sets it up and only the stop that
// matches it tears it down, so a program (RegisterCommonUnits) and a test
// (TLqCommonUnitsScope) can both start them.
//
// The unit-wide objects exist while their unit is started (nullptr otherwise).
#ifndef VISTREL_LISTVIEW_COMMON_COMMON_UNITS_H
#define VISTREL_LISTVIEW_COMMON_COMMON_UNITS_H

#include <QtCore/QString>

#include <array>
#include <cstdint>
#include <vector>

namespace fw {
class TFont;
class UnitRegistry;
}

namespace vistrel::listview {

class TLqCommonCheckBoundManager;
class TLqCommonMemoryStreamHelper;
class TLqCommonPIDLManager;

// LQCommonObjects: the binary form of the collections, the glyph font (name "marlett";
// the glyph routines set its size before each use) and the check-box sizes.
extern TLqCommonMemoryStreamHelper* GlobalMemoryStreamHelper;
extern fw::TFont* GlyphFont;
extern TLqCommonCheckBoundManager* GlobalCheckBoundManager;

namespace LQShellTypes {
// The names of the network-provider types, in the order of their type codes.
extern const std::array<const char*, 55> NetworkProviderNames;
void Initialize();
void Finalize();
}

namespace LQResources {
// The texts of the shell features (28 while the unit is started).
extern std::vector<QString> Texts;
void Initialize();
void Finalize();
}

namespace LQCommonUtilities {
// The texts of shell-extension registration (6 while the unit is started).
extern std::vector<QString> Texts;
extern TLqCommonPIDLManager* GlobalPIDLManager;
void Initialize();
void Finalize();
}

namespace LQDataObject {
// The shell's clipboard formats, registered at start-up.
extern uint16_t CF_SHELLIDLIST;
extern uint16_t CF_LOGICALPERFORMEDDROPEFFECT;
extern uint16_t CF_PREFERREDDROPEFFECT;
extern uint16_t CF_PERFORMEDDROPEFFECT;
extern uint16_t CF_PASTESUCCEEDED;
extern uint16_t CF_INSHELLDRAGLOOP;
extern uint16_t CF_SHELLIDLISTOFFSET;
extern uint16_t CF_FILECONTENTS;
extern uint16_t CF_FILEGROUPDESCRIPTOR;
extern uint16_t CF_FILEGROUPDESCRIPTORW;
extern TLqCommonPIDLManager* GlobalPIDLManager;
void Initialize();
void Finalize();
}

namespace LQCommonObjects {
extern TLqCommonPIDLManager* GlobalPIDLManager;
void Initialize();
void Finalize();
}

namespace LQThreadManager {
extern TLqCommonPIDLManager* GlobalPIDLManager;
void Initialize();
void Finalize();
}

// Starts every common unit in order; when one raises, those started before it stop
// again and the exception goes on.
void InitializeCommonUnits();
// Stops them in the reverse order.
void FinalizeCommonUnits();
// Adds the six units, in order, to the program's unit registry.
void RegisterCommonUnits(fw::UnitRegistry& Registry);

// Starts the common units for as long as it lives.
class TLqCommonUnitsScope {
public:
    TLqCommonUnitsScope() { InitializeCommonUnits(); }
    ~TLqCommonUnitsScope() { FinalizeCommonUnits(); }
    TLqCommonUnitsScope(const TLqCommonUnitsScope&) = delete;
    TLqCommonUnitsScope& operator=(const TLqCommonUnitsScope&) = delete;
};

}

#endif
