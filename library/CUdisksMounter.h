// Asks udisks2 over the system bus to mount a volume, as file managers do when no desktop
// automounter has. Fire and forget: the camera search sees the mount when it is there, and
// a refusal or a missing bus or service only leaves a line in the library's log.
#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QSet>
#include <QString>

class CUdisksMounter : public QObject {
    Q_OBJECT

public:
    // `bus` is where udisks2 is looked for: the system bus, or a test's own.
    explicit CUdisksMounter(QDBusConnection bus = QDBusConnection::systemBus(),
                            QObject* parent = nullptr)
        : QObject(parent), m_bus(std::move(bus)) {}

    // Asks once for each kernel name (such as "sdb1") until Forget; false when no system
    // bus was reached.
    bool RequestMount(const QString& kernelName);
    // Lets the next arrival ask again.
    void Forget() { m_asked.clear(); }

private:
    QDBusConnection m_bus;
    QSet<QString> m_asked;
};
