/*
 * The DXF drawing reader: fills a drawing record from a DXF file in ASCII or binary
 * form (line types and layers of the TABLES section, block definitions of the BLOCKS
 * section with their external references, entities of the ENTITIES section).
 *
 * A read appends to whatever the drawing already holds; it never clears the record.
 * Every reader returns 0 on success or a negative Osmark error code (osmark/errors.h):
 * -4 for a NULL argument, -12 when the file or image cannot be opened, -1 when an item
 * could not be created or added (the items read so far stay in the drawing). A
 * truncated or damaged file ends the group sequence; what was read until then stays.
 *
 * Blocks marked as external references (group 70 bit 2 or 3) with a path (group 1)
 * load that file and append its items, expanded and in the file's own coordinates, to
 * the block. A reference that cannot be read, or that leads back to a file still being
 * read, shows a warning requester unless no warnings were asked for; the read goes on.
 *
 * A relative path of an external reference names a file in the folder of the file
 * that refers to it (an absolute path, a drive or an assign stands as it is). A read
 * keeps its state to itself and never changes the current directory: threads may read
 * files at the same time, each into a drawing of its own.
 */
#ifndef HALVERN_DXF_READER_H
#define HALVERN_DXF_READER_H

#include <stdint.h>

#include "halvern/api.h"
#include "halvern/drawing.h"
#include "osmark/files.h"

HALVERN_BEGIN_DECLS

/* ReadADXFFile(path, drawing, 0): warnings of external references are shown. */
HALVERN_API int32_t ReadDXF(const char* path, DXFDrawingRec* drawing) HALVERN_NOEXCEPT;

/* ReadADXFFile(path, drawing, 1): no warning requester. */
HALVERN_API int32_t ReadDXFNoWarnings(const char* path, DXFDrawingRec* drawing) HALVERN_NOEXCEPT;

/*
 * Reads the DXF file at path into the drawing behind a read buffer of 512 KB (halved
 * while memory is short, never below 1 KB). Relative paths of external references
 * resolve against the file's folder. noWarnings non-zero suppresses the requester.
 */
HALVERN_API int32_t ReadADXFFile(const char* path, DXFDrawingRec* drawing,
                                 int32_t noWarnings) HALVERN_NOEXCEPT;

/*
 * Reads a DXF file held in memory (size bytes at image; the image is not changed and
 * need only live for the call). A NULL image gives 0 for size 0 (nothing to read) and
 * -4 otherwise; a NULL drawing -4; an image that no handle can serve (above
 * 0x7FFFFFFF bytes) -12. When path is not NULL or empty, external references resolve
 * against its folder as for the file itself (and the image counts as that file in the
 * test for references that lead back); otherwise against the current directory.
 */
HALVERN_API int32_t ReadADXFFileMem(const void* image, uint32_t size, const char* path,
                                    DXFDrawingRec* drawing, int32_t noWarnings) HALVERN_NOEXCEPT;

/*
 * Reads a DXF file from an open stream positioned at its start (the encoding is
 * detected there). The stream stays open and belongs to the caller. -4 for a NULL
 * stream or drawing. External references resolve against the current directory.
 */
HALVERN_API int32_t ReadADXFFileFP(FileHandle* stream, DXFDrawingRec* drawing,
                                   int32_t noWarnings) HALVERN_NOEXCEPT;

HALVERN_END_DECLS

#endif
