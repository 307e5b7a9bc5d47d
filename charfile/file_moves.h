#pragma once

// Renames and deletions of whole files, by path (a bare name resolves in the
// current directory). Each reports failure by its result, never by throwing;
// the caller decides what a failure means for the page in hand.

#include <string>
#include <system_error>

namespace pelloran {

// Gives `from` the name `to`, but never over an existing `to`: then it fails
// with EEXIST and both files stay as they were. Where the file system refuses
// the no-replace flag, a hard link and an unlink do the same.
std::error_code RenameNoReplace(const std::string& from, const std::string& to);

// Puts `from` in the place of `to` in one atomic step: at every moment `to`
// names either its old file or the new one.
std::error_code ReplaceByRename(const std::string& from, const std::string& to);

// Gives the file `existing` the further name `name` (a hard link), never over
// an existing `name`. Fails where the file system has no hard links.
std::error_code AddName(const std::string& existing, const std::string& name);

// Deletes the file `path` (never a folder).
std::error_code DeleteFile(const std::string& path);

// Do the two files hold the same bytes? Read a block at a time, so that pages
// of any size cost little memory; false when either cannot be read.
bool SameBytes(const std::string& a, const std::string& b);

// Are the two paths names of one file?
bool SameFile(const std::string& a, const std::string& b);

// The two ways RenameNoReplace falls back on, open to tests on file systems
// that do take the flag. Same contract as RenameNoReplace.
std::error_code RenameByLink(const std::string& from, const std::string& to);
std::error_code RenameAfterLooking(const std::string& from, const std::string& to);

}  // namespace pelloran
