// Finds the dash camera's clip folder through libudev and the mount table: the camera is a
// USB device known by its vendor and product numbers; its disks are the block devices below
// it; a removable volume belongs to it when it sits on one of those disks, and the clip
// folder is the VIDEO folder at the root of the first such volume that is mounted.
#pragma once

#include "library/MountTable.h"

#include <sys/types.h>

#include <string>
#include <vector>

// One mounted removable volume and the identity of the disk that holds it.
struct DriveRecord {
    std::string mountPoint;
    dev_t disk = 0;
    dev_t volume = 0;
};

class CCameraLocator {
public:
    static constexpr unsigned kCameraVendor = 0x0595;
    static constexpr unsigned kCameraProduct = 0x2002;

    explicit CCameraLocator(MountTableSource mounts = ReadMountInfo);

    bool IsUsbDevicePresent(unsigned vendor, unsigned product) const;
    // The mounted volumes on removable disks (the disk's removable flag, or a USB disk),
    // in device-number order.
    std::vector<DriveRecord> ScanRemovableDrives() const;
    // The camera's clip folder, or empty when the camera, its volume or the folder is
    // missing.
    std::string FindCameraFolder(unsigned vendor = kCameraVendor,
                                 unsigned product = kCameraProduct) const;
    // The kernel names (such as "sdb1") of the camera's volumes that hold a file system
    // nobody has mounted.
    std::vector<std::string> UnmountedCameraVolumes(unsigned vendor = kCameraVendor,
                                                    unsigned product = kCameraProduct) const;

private:
    MountTableSource m_mounts;
};

// The folder named VIDEO, in any letter case, directly under `root`; empty when none.
std::string VideoFolderAt(const std::string& root);
