#pragma once

// The working copy of a page: made with the page's permission bits, named or
// unnamed, read back as text, and given the page's owner and its final name.

#include <sys/stat.h>
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

// Descriptor steps of a page's working copy, each failing by its result
// (-1 and errno, or the error) unless said otherwise.

// An unnamed regular file in `folder`, for reading and writing, made with
// `permissions` (less the umask). -1 with errno; EOPNOTSUPP, EISDIR and
// EINVAL say the folder's file system cannot make one.
int CreateUnnamedFile(const std::string& folder, mode_t permissions);
bool UnnamedFilesRefused(int err);
// A new regular file `path`, never over an existing one nor through a link.
int CreateNewFile(const std::string& path, mode_t permissions);
// Gives the open file `fd`, an unnamed one too, the further name `name`,
// never over an existing file.
std::error_code LinkDescriptor(int fd, const std::string& name);
// Gives the new file `to` what the file `from` (of status `from_status`)
// carries: its permission bits, its ACL and extended attributes but the one
// named `except`, and, for root, its owner and group; for anyone else its
// group where the maker belongs to it. What cannot be given is left as made.
void GiveAttributes(int from, const struct stat& from_status, int to, const char* except,
                    bool folder_has_default_acl);
// Do the two open files hold the same bytes? `size` is the length of both.
bool SameBytes(int a, int b, off_t size);
// Is this process run by root?
bool RunByRoot();
// Is the file of status `status` the runner's own?
bool OwnedByRunner(const struct stat& status);

// Gives the open file `to` the owner and group of the open file `from`, so
// that a page cleaned by root stays its owner's. Only root may; for anyone
// else, and where the file system cannot, the new file keeps its maker's.
void GiveOwnerOf(const CharFile& from, CharFile& to);

}  // namespace pelloran
