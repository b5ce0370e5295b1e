#pragma once

#include <string>
#include <vector>

// Where the drive table is read from; tests point these at fixtures.
struct DriveSources {
    std::string mountTable = "/proc/self/mounts";
    std::string sysBlock = "/sys/class/block";
    std::string byLabel = "/dev/disk/by-label";
};

// The drive-constant list from the mount table, one line per mounted local block device in
// table order: "{hdN} => /mount/point    [label]" for fixed disks, "{removableN} => /mount/point"
// for removable media, "{cdromN} => /mount/point    [label]" for optical drives, numbered per
// kind from 1. Pseudo, network and RAM file systems, loop devices and devices whose kind
// cannot be told get no line; a device mounted twice is listed once, at its first mount point.
std::vector<std::string> ListDrives(const DriveSources& sources = {});
