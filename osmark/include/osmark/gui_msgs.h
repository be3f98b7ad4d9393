/*
 * The message catalogue: one table of numbered texts (the error texts -1 to -40, the
 * words of the requesters, the names of keys and a few other words of the GUI) that a
 * program can replace or extend at run time, for another language or with texts of
 * its own. A change reaches the open windows: their custom gadgets are told
 * (BroadcastGadgetChange with GadgetChangeGUIMsgs) and the windows repaint.
 *
 * The catalogue belongs to the GUI thread and takes no lock.
 */
#ifndef OSMARK_GUI_MSGS_H
#define OSMARK_GUI_MSGS_H

#include "osmark/api.h"

OSMARK_BEGIN_DECLS

/* The text of id, owned by the catalogue and valid until that entry is set again or
 * Osmark unloads; "?????" when the catalogue has no such id. */
OSMARK_API const char* GUIMsg(int32_t id) OSMARK_NOEXCEPT;
/* Sets the text of id to a copy of text (NULL: the empty string), adding the entry
 * when it is new, and tells the GUI unless a batch is open. 1, or 0 when the
 * catalogue does not exist or the copy cannot be allocated (the old text then stays). */
OSMARK_API int32_t SetGUIMsg(int32_t id, const char* text) OSMARK_NOEXCEPT;
/* Opens a batch of SetGUIMsg calls: the GUI is told once, when it closes. Batches do
 * not nest. */
OSMARK_API void StartSetGUIMsg(void) OSMARK_NOEXCEPT;
/* Closes the batch and tells the GUI once; nothing when no batch is open. */
OSMARK_API void EndSetGUIMsg(void) OSMARK_NOEXCEPT;
/* The first id above every id set so far (at least 1): where a program's own texts
 * may begin. */
OSMARK_API int32_t GetGUIMsgOffset(void) OSMARK_NOEXCEPT;
/* Loads numbered texts from a text file: every line "<number>:<text>" (blanks allowed
 * between the digits and the colon) sets id offset + number to the text after the
 * colon, as it stands. The GUI is told once. 1 when at least one text was set, else 0
 * (also when the file cannot be opened). */
OSMARK_API int32_t ReadGUIMsgs(int32_t offset, const char* name) OSMARK_NOEXCEPT;

OSMARK_END_DECLS

#endif
