// Start-up steps of the library entry, each defined beside the component it sets up.
// Every step that holds a resource registers its clean-up on LibraryExitList.
#ifndef OSMARK_CORE_STARTUP_STEPS_H
#define OSMARK_CORE_STARTUP_STEPS_H

// Steps that their public headers export.
#include "osmark/assigns.h"
#include "osmark/dates.h"
#include "osmark/locale.h"

namespace osmark {

void InitialiseIoErrTable();
void InitialiseForbid();
void InitialiseSharedMemory();
void InitialiseFileSystems();
void InitialiseMsgPorts();
void InitialiseGUIMsgs();
void InitialiseLocaleDefaults();
void InitialiseArgStr();
void InitialiseDosObjects();
void InitialiseFiles();
void InitialiseProgramDir();
void InitialiseTagPool();
// One step: the live locale, then the variables, whose lists the locale record holds.
void InitialiseLocaleAndVariables();

}

#endif
