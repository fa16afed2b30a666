#include "library/CCameraLocator.h"

#include <libudev.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <strings.h>
#include <sys/sysmacros.h>

namespace {

// Every libudev object is released on the thread that made it, the pane's.
struct UdevRelease {
    void operator()(udev* u) const { udev_unref(u); }
    void operator()(udev_enumerate* e) const { udev_enumerate_unref(e); }
    void operator()(udev_device* d) const { udev_device_unref(d); }
};
using UdevPtr = std::unique_ptr<udev, UdevRelease>;
using EnumeratePtr = std::unique_ptr<udev_enumerate, UdevRelease>;
using DevicePtr = std::unique_ptr<udev_device, UdevRelease>;

bool HexAttributeIs(udev_device* device, const char* name, unsigned expected) {
    const char* text = udev_device_get_sysattr_value(device, name);
    if (text == nullptr || *text == '\0') {
        return false;
    }
    char* end = nullptr;
    const unsigned long value = std::strtoul(text, &end, 16);
    return end != text && value == expected;
}

bool IsUsbDevice(udev_device* device, unsigned vendor, unsigned product) {
    const char* subsystem = udev_device_get_subsystem(device);
    return subsystem != nullptr && std::string(subsystem) == "usb" &&
           HexAttributeIs(device, "idVendor", vendor) &&
           HexAttributeIs(device, "idProduct", product);
}

// The first ancestor in the usb subsystem that carries device numbers; nullptr when none.
// Borrowed: it lives as long as `device`.
udev_device* UsbAncestor(udev_device* device) {
    for (udev_device* parent = udev_device_get_parent(device); parent != nullptr;
         parent = udev_device_get_parent(parent)) {
        const char* subsystem = udev_device_get_subsystem(parent);
        if (subsystem != nullptr && std::string(subsystem) == "usb" &&
            udev_device_get_sysattr_value(parent, "idVendor") != nullptr) {
            return parent;
        }
    }
    return nullptr;
}

bool BelongsToCamera(udev_device* device, unsigned vendor, unsigned product) {
    for (udev_device* parent = udev_device_get_parent(device); parent != nullptr;
         parent = udev_device_get_parent(parent)) {
        if (IsUsbDevice(parent, vendor, product)) {
            return true;
        }
    }
    return false;
}

// The whole disk of a block device: itself for a disk, its parent disk for a partition.
// Borrowed from `device`.
udev_device* DiskOf(udev_device* device) {
    const char* type = udev_device_get_devtype(device);
    if (type != nullptr && std::string(type) == "disk") {
        return device;
    }
    return udev_device_get_parent_with_subsystem_devtype(device, "block", "disk");
}

// Calls `visit` with each device of `subsystem`, in device-number order so that every
// search walks the same order whatever udev enumerates first.
template <typename Visit> void ForEachDevice(const char* subsystem, Visit visit) {
    UdevPtr context(udev_new());
    if (!context) {
        return;
    }
    EnumeratePtr enumerate(udev_enumerate_new(context.get()));
    if (!enumerate || udev_enumerate_add_match_subsystem(enumerate.get(), subsystem) < 0 ||
        udev_enumerate_scan_devices(enumerate.get()) < 0) {
        return;
    }
    std::vector<DevicePtr> devices;
    udev_list_entry* entry = nullptr;
    udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(enumerate.get())) {
        DevicePtr device(
            udev_device_new_from_syspath(context.get(), udev_list_entry_get_name(entry)));
        if (device) {
            devices.push_back(std::move(device));
        }
    }
    std::stable_sort(devices.begin(), devices.end(), [](const DevicePtr& a, const DevicePtr& b) {
        return udev_device_get_devnum(a.get()) < udev_device_get_devnum(b.get());
    });
    for (const DevicePtr& device : devices) {
        if (!visit(device.get())) {
            return;
        }
    }
}

const MountEntry* MountOf(const std::vector<MountEntry>& mounts, dev_t volume) {
    for (const MountEntry& mount : mounts) {
        if (makedev(mount.major, mount.minor) == volume && mount.root == "/") {
            return &mount;
        }
    }
    return nullptr;
}

} // namespace

CCameraLocator::CCameraLocator(MountTableSource mounts) : m_mounts(std::move(mounts)) {}

bool CCameraLocator::IsUsbDevicePresent(unsigned vendor, unsigned product) const {
    bool present = false;
    ForEachDevice("usb", [&](udev_device* device) {
        present = IsUsbDevice(device, vendor, product);
        return !present;
    });
    return present;
}

std::vector<DriveRecord> CCameraLocator::ScanRemovableDrives() const {
    const std::vector<MountEntry> mounts = ParseMountInfo(m_mounts ? m_mounts() : std::string());
    std::vector<DriveRecord> records;
    ForEachDevice("block", [&](udev_device* device) {
        udev_device* disk = DiskOf(device);
        const dev_t volume = udev_device_get_devnum(device);
        const MountEntry* mount = MountOf(mounts, volume);
        if (disk == nullptr || volume == 0 || mount == nullptr) {
            return true;
        }
        const char* removable = udev_device_get_sysattr_value(disk, "removable");
        const bool isRemovable =
            (removable != nullptr && std::string(removable) == "1") || UsbAncestor(disk) != nullptr;
        if (isRemovable) {
            records.push_back({mount->mountPoint, udev_device_get_devnum(disk), volume});
        }
        return true;
    });
    return records;
}

std::string CCameraLocator::FindCameraFolder(unsigned vendor, unsigned product) const {
    if (!IsUsbDevicePresent(vendor, product)) {
        return {};
    }
    const std::vector<DriveRecord> records = ScanRemovableDrives();
    if (records.empty()) {
        return {};
    }
    std::string folder;
    ForEachDevice("block", [&](udev_device* device) {
        const char* type = udev_device_get_devtype(device);
        if (type == nullptr || std::string(type) != "disk" ||
            !BelongsToCamera(device, vendor, product)) {
            return true;
        }
        const dev_t disk = udev_device_get_devnum(device);
        for (const DriveRecord& record : records) {
            if (record.disk == disk) {
                folder = VideoFolderAt(record.mountPoint);
                if (!folder.empty()) {
                    return false;
                }
            }
        }
        return true;
    });
    return folder;
}

std::vector<std::string> CCameraLocator::UnmountedCameraVolumes(unsigned vendor,
                                                                unsigned product) const {
    const std::vector<MountEntry> mounts = ParseMountInfo(m_mounts ? m_mounts() : std::string());
    std::vector<std::string> names;
    ForEachDevice("block", [&](udev_device* device) {
        const char* usage = udev_device_get_property_value(device, "ID_FS_USAGE");
        const dev_t volume = udev_device_get_devnum(device);
        if (usage != nullptr && std::string(usage) == "filesystem" && volume != 0 &&
            MountOf(mounts, volume) == nullptr && BelongsToCamera(device, vendor, product)) {
            names.emplace_back(udev_device_get_sysname(device));
        }
        return true;
    });
    return names;
}

std::string VideoFolderAt(const std::string& root) {
    std::error_code error;
    std::string found;
    for (std::filesystem::directory_iterator it(root, error), end; !error && it != end;
         it.increment(error)) {
        const std::string name = it->path().filename().string();
        std::error_code kindError;
        if (strcasecmp(name.c_str(), "VIDEO") == 0 && it->is_directory(kindError) &&
            (found.empty() || name < found)) {
            found = name;
        }
    }
    return found.empty() ? std::string() : (std::filesystem::path(root) / found).string();
}
