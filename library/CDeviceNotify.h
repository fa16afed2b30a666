// Tells the playlist when a USB or block device arrives or goes away: a udev monitor on the
// "usb" and "block" subsystems, watched on the pane's thread. Registration lasts until
// Unregister.
#pragma once

#include <functional>
#include <memory>

class QSocketNotifier;
struct udev;
struct udev_monitor;

class CDeviceNotify {
public:
    enum class Change { Arrival, RemoveComplete };
    using Handler = std::function<void(Change)>;

    CDeviceNotify();
    ~CDeviceNotify();
    CDeviceNotify(const CDeviceNotify&) = delete;
    CDeviceNotify& operator=(const CDeviceNotify&) = delete;

    // Starts the monitor; false when udev offers none (the pane then only searches at start).
    // The handler runs inside the monitor's notification and must not unregister.
    bool Register(Handler handler);
    void Unregister();
    bool IsRegistered() const { return m_monitor != nullptr; }

private:
    void Drain();

    Handler m_handler;
    udev* m_udev = nullptr;
    udev_monitor* m_monitor = nullptr;
    std::unique_ptr<QSocketNotifier> m_notifier;
};
