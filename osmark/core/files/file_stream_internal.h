// What the buffered-stream code shares with the handle table.
#ifndef OSMARK_CORE_FILE_STREAM_INTERNAL_H
#define OSMARK_CORE_FILE_STREAM_INTERNAL_H

#include "osmark/files.h"

namespace osmark {

// The size of the buffer a handle gets on its first read or write.
constexpr int32_t kDefaultFileBufferSize = 1024;

// True when the handle's system handle is a character device (a console), whose
// output becomes line buffered.
bool is_console_output(const FileHandle* fh);

// A handle is busy while it is open for reading, writing or update.
bool is_busy(const FileHandle* fh);

// Frees the buffer when the handle owns it and detaches it.
void release_buffer(FileHandle* fh);

// A free record of the handle table (made on demand up to MaxFileHandles), or NULL. The
// record is the caller's until Close, or give_back_file_handle when it is not used.
FileHandle* take_free_file_handle();
void give_back_file_handle(FileHandle* fh);

// The flags an open mode gives a handle: update, read or write, and the mode bits
// that are recorded.
uint32_t file_flags_from_mode(int32_t mode);

// Gives the handle the operating-system operations.
void set_os_file_operations(FileHandle* fh);

// A handle closed by Close is no longer a tracked DOS object.
void untrack_file_handle(FileHandle* fh);

}

#endif
