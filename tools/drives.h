#pragma once

// Linux has one tree; the drive selector offers "/" and the mount points of
// real file systems in its place.

#include <string>
#include <string_view>
#include <vector>

namespace pelloran {

// The mount points of a mount table in the format of /proc/self/mounts that
// hold real (not pseudo) file systems, with "/" always first and the rest in
// sorted order. Mount points under /proc, /sys, /dev and /run are left out.
std::vector<std::string> RealMountPoints(std::string_view mount_table);

// The drives of this machine: RealMountPoints of /proc/self/mounts, less the
// mount points that are no folders (a file mounted over a file).
std::vector<std::string> ListDrives();

// The drive a folder lies on: the longest drive that is the folder itself or
// one of its ancestors; "/" when none is.
std::string DriveOf(const std::vector<std::string>& drives, std::string_view folder);

}  // namespace pelloran
