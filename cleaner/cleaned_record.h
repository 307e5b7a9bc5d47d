#pragma once

// A second record of what a clean left, kept in the page's folder where the
// page's own mark (cleaned_mark.h) cannot be kept: a file system without
// extended attributes (ramfs, vfat, many network shares). The record travels
// with the folder's files (cp -r, rsync without -X), so restore can still
// tell the page a clean made from one edited since. Where the mark is kept,
// no record is written: the folder gets no file of ours, and the mark, on the
// page itself, tells.
//
// The record is the file kCleanedRecordName in the page's folder, text, one
// line per page cleaned, appended as the page is cleaned:
//   <length> <hash> <name>
// the page's length in bytes and the 64-bit FNV-1a hash of its bytes, both
// in decimal (the mark's own text), then its bare name with "\" written "\\"
// and a line feed "\n". A line that starts with "#" says what the file is.
// A page cleaned again gets a new line: the last line of a name counts.
//
// Each line goes to the end of the file in one write of its own (O_APPEND),
// so runs at once, and many pages, cost one short append per page and never
// rewrite each other's lines; the file is only ever read whole by restore,
// once per folder while it stays as it is.

#include <string>

#include "cleaner/cleaned_mark.h"

namespace pelloran {

inline constexpr char kCleanedRecordName[] = ".pelloran-cleaned";

// Adds the page at `path`, as it now is, to its folder's record, unless the
// page carries its mark (MarkCleaned first). Where the record cannot be
// written (a read-only folder, a link or a folder in its place), nothing is
// recorded: restore then asks, as it does for a page it knows nothing of.
void RecordCleaned(const std::string& path);
// The same for a page just put in place unmarked, whose fingerprint is known.
void RecordCleaned(const std::string& path, const PageFingerprint& print);

// What the folder's record says of the page at `path`: kAsCleaned when its
// last line for the page gives the page's length and hash, kChanged when it
// gives others, kUnknown when it has no line for the page (or there is no
// record, or the page cannot be read).
CleanedState CheckRecorded(const std::string& path);

}  // namespace pelloran
