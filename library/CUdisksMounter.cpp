#include "library/CUdisksMounter.h"

#include "library/LibraryLog.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

bool CUdisksMounter::RequestMount(const QString& kernelName) {
    if (m_asked.contains(kernelName)) {
        return true;
    }
    if (!m_bus.isConnected()) {
        qCInfo(lcLibrary) << "no system bus to ask udisks2 to mount" << kernelName;
        return false;
    }
    m_asked.insert(kernelName);
    // udisks2 names block devices after the kernel's name; characters other than letters,
    // digits and '_' do not occur in the names of disks and partitions.
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.UDisks2"),
        QStringLiteral("/org/freedesktop/UDisks2/block_devices/") + kernelName,
        QStringLiteral("org.freedesktop.UDisks2.Filesystem"), QStringLiteral("Mount"));
    call << QVariantMap();
    auto* watcher = new QDBusPendingCallWatcher(m_bus.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [kernelName](QDBusPendingCallWatcher* done) {
                const QDBusPendingReply<QString> reply = *done;
                if (reply.isError()) {
                    qCInfo(lcLibrary)
                        << "udisks2 did not mount" << kernelName << ':' << reply.error().message();
                } else {
                    qCInfo(lcLibrary) << "udisks2 mounted" << kernelName << "at" << reply.value();
                }
                done->deleteLater();
            });
    return true;
}
