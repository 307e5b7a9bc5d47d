#include "tools/drives.h"

#include <gtest/gtest.h>

namespace pelloran {
namespace {

TEST(Drives, RootFirstThenRealFileSystemsOnly) {
  const char* table =
      "proc /proc proc rw 0 0\n"
      "/dev/vda / ext4 rw 0 0\n"
      "tmpfs /dev/shm tmpfs rw 0 0\n"
      "/dev/vdb /srv/data xfs rw 0 0\n"
      "/dev/sdc1 /media/usb\\040stick vfat rw 0 0\n"
      "cgroup /sys/fs/cgroup/cpu cgroup rw 0 0\n"
      "server:/export /mnt/nfs nfs4 rw 0 0\n"
      "/dev/vda /run/secret ext4 rw 0 0\n"
      "garbage\n";
  EXPECT_EQ(RealMountPoints(table),
            (std::vector<std::string>{"/", "/media/usb stick", "/mnt/nfs", "/srv/data"}));
  EXPECT_EQ(RealMountPoints(""), std::vector<std::string>{"/"});
}

TEST(Drives, AFolderLiesOnTheLongestDriveThatHoldsIt) {
  const std::vector<std::string> drives{"/", "/srv", "/srv/data"};
  EXPECT_EQ(DriveOf(drives, "/srv/data/x"), "/srv/data");
  EXPECT_EQ(DriveOf(drives, "/srv/database"), "/srv");
  EXPECT_EQ(DriveOf(drives, "/srv"), "/srv");
  EXPECT_EQ(DriveOf(drives, "/home"), "/");
  EXPECT_EQ(ListDrives().front(), "/");
}

}  // namespace
}  // namespace pelloran
