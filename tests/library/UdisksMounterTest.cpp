// The request to udisks2, served by a stand-in udisks2 on a private message bus.
#include "library/CUdisksMounter.h"
#include "tests/support/Pump.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QProcess>
#include <QStandardPaths>

#include <gtest/gtest.h>

using namespace std::chrono_literals;
using testsupport::PumpFor;
using testsupport::PumpUntil;

namespace {

// Answers Mount on one block device as udisks2 does, and remembers the calls.
class FakeFilesystem : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.UDisks2.Filesystem")

public:
    QStringList mounted;

public slots:
    QString Mount(const QVariantMap& options, const QDBusMessage& message) {
        Q_UNUSED(options);
        mounted.append(message.path());
        return QStringLiteral("/media/user/CAMERA");
    }
};

class Udisks : public ::testing::Test {
protected:
    void SetUp() override {
        if (QStandardPaths::findExecutable("dbus-daemon").isEmpty()) {
            GTEST_SKIP() << "dbus-daemon is not installed";
        }
        daemon.start("dbus-daemon", {"--session", "--nofork", "--print-address=1"});
        ASSERT_TRUE(daemon.waitForReadyRead(10000));
        const QString address = QString::fromUtf8(daemon.readLine()).trimmed();
        service = std::make_unique<QDBusConnection>(
            QDBusConnection::connectToBus(address, QStringLiteral("fake-udisks")));
        client = std::make_unique<QDBusConnection>(
            QDBusConnection::connectToBus(address, QStringLiteral("client")));
        ASSERT_TRUE(service->isConnected());
        ASSERT_TRUE(service->registerService("org.freedesktop.UDisks2"));
        ASSERT_TRUE(service->registerObject("/org/freedesktop/UDisks2/block_devices/sdb1",
                                            &filesystem, QDBusConnection::ExportAllSlots));
    }
    void TearDown() override {
        if (service) {
            service.reset();
            client.reset();
            QDBusConnection::disconnectFromBus(QStringLiteral("fake-udisks"));
            QDBusConnection::disconnectFromBus(QStringLiteral("client"));
        }
        daemon.kill();
        daemon.waitForFinished(5000);
    }

    QProcess daemon;
    std::unique_ptr<QDBusConnection> service;
    std::unique_ptr<QDBusConnection> client;
    FakeFilesystem filesystem;
};

TEST_F(Udisks, AsksToMountTheVolumeByItsKernelNameOncePerArrival) {
    CUdisksMounter mounter(*client);
    EXPECT_TRUE(mounter.RequestMount("sdb1"));
    ASSERT_TRUE(PumpUntil([&] { return filesystem.mounted.size() == 1; }));
    EXPECT_EQ(filesystem.mounted.first(), "/org/freedesktop/UDisks2/block_devices/sdb1");
    mounter.RequestMount("sdb1");
    PumpFor(200ms);
    EXPECT_EQ(filesystem.mounted.size(), 1);
    mounter.Forget();
    mounter.RequestMount("sdb1");
    EXPECT_TRUE(PumpUntil([&] { return filesystem.mounted.size() == 2; }));
}

TEST_F(Udisks, AMissingServiceOrDeviceIsNoFailureOfTheCaller) {
    CUdisksMounter mounter(*client);
    EXPECT_TRUE(mounter.RequestMount("sdz9")); // no such object: udisks2 answers an error
    PumpFor(300ms);
    EXPECT_TRUE(filesystem.mounted.isEmpty());
    CUdisksMounter nowhere(QDBusConnection(QStringLiteral("not-connected")));
    EXPECT_FALSE(nowhere.RequestMount("sdb1"));
}

} // namespace

#include "UdisksMounterTest.moc"
