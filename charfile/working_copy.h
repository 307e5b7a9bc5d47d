#pragma once

// The working copy of a page: made with the page's permission bits, named or
// unnamed, read back as text, and given the page's owner and its final name.

#include <sys/types.h>

#include <string>
#include <string_view>
#include <system_error>

#include "charfile/byte_file.h"
#include "charfile/char_file.h"
#include "charfile/text_file.h"

namespace pelloran {

// A working copy in one open: creates the file bound to `file` (or empties
// the one already there) for writing at position 0, as CreateByteFile and
// OpenByteFile together do, with exactly the permission bits given (the
// page's), whatever the umask.
void CreateWorkingCopy(ByteFile& file, mode_t permissions);
// A working copy without a name, in `folder`: nothing of it is left on disk
// when it is closed or the program is killed, unless GiveName names it. The
// variable keeps the name it was bound to. False, with nothing opened, where
// the folder's file system cannot make such a file; any other failure throws.
bool CreateUnnamedWorkingCopy(ByteFile& file, std::string_view folder, mode_t permissions);
// Reads back from its start what `bytes` has written: its buffer is written
// out and its descriptor passes to `text`, which keeps the name it was bound
// to and reads as after OpenTextForReading; `bytes` is left closed. On a
// failed write both are left closed and EInOutError is thrown.
void OpenTextOverByteFile(TextFile& text, ByteFile& bytes);
// Gives the open file, an unnamed one too, the further name `name`, never
// over an existing file. Failure by its result only.
std::error_code GiveName(const CharFile& file, const std::string& name);

// Gives the open file `to` the owner and group of the open file `from`, so
// that a page cleaned by root stays its owner's. Only root may; for anyone
// else, and where the file system cannot, the new file keeps its maker's.
void GiveOwnerOf(const CharFile& from, CharFile& to);

}  // namespace pelloran
