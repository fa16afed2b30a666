#include "library/CDeviceNotify.h"

#include <QSocketNotifier>

#include <libudev.h>

#include <string>

CDeviceNotify::CDeviceNotify() = default;

CDeviceNotify::~CDeviceNotify() {
    Unregister();
}

bool CDeviceNotify::Register(Handler handler) {
    Unregister();
    m_udev = udev_new();
    if (m_udev == nullptr) {
        return false;
    }
    m_monitor = udev_monitor_new_from_netlink(m_udev, "udev");
    const bool ready =
        m_monitor != nullptr &&
        udev_monitor_filter_add_match_subsystem_devtype(m_monitor, "usb", nullptr) >= 0 &&
        udev_monitor_filter_add_match_subsystem_devtype(m_monitor, "block", nullptr) >= 0 &&
        udev_monitor_enable_receiving(m_monitor) >= 0;
    if (!ready) {
        Unregister();
        return false;
    }
    m_handler = std::move(handler);
    m_notifier =
        std::make_unique<QSocketNotifier>(udev_monitor_get_fd(m_monitor), QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, [this] { Drain(); });
    return true;
}

void CDeviceNotify::Unregister() {
    m_notifier.reset();
    if (m_monitor != nullptr) {
        udev_monitor_unref(m_monitor);
        m_monitor = nullptr;
    }
    if (m_udev != nullptr) {
        udev_unref(m_udev);
        m_udev = nullptr;
    }
    m_handler = {};
}

void CDeviceNotify::Drain() {
    // The socket is non-blocking: read every queued event so the notifier does not fire
    // again for ones already seen.
    while (m_monitor != nullptr) {
        udev_device* device = udev_monitor_receive_device(m_monitor);
        if (device == nullptr) {
            return;
        }
        const char* action = udev_device_get_action(device);
        const std::string what = action != nullptr ? action : "";
        udev_device_unref(device);
        if (m_handler && what == "add") {
            m_handler(Change::Arrival);
        } else if (m_handler && what == "remove") {
            m_handler(Change::RemoveComplete);
        }
    }
}
