// Camera discovery and hot-plug against a fake machine: umockdev presents the camera (USB
// 0595:2002 with its disk and partition) and an unrelated USB stick to libudev, and the
// mount table comes from the test, pointing the camera's partition at a temporary folder.
// Runs under umockdev-wrapper.

// GLib names a struct member "signals", which Qt defines as a keyword: GLib comes first.
#include <umockdev.h>

#include "PlaylistFakes.h"
#include "library/CCameraLocator.h"
#include "library/CClipListModel.h"
#include "library/CPlaylistDlg.h"
#include "tests/support/Pump.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include <sys/sysmacros.h>

using namespace std::chrono_literals;
using testsupport::PumpFor;
using testsupport::PumpUntil;

namespace {

void Touch(const QString& path) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << qPrintable(path);
}

// A USB device with one disk and its partitions, as the kernel shows a card reader or a
// camera in mass-storage mode.
struct FakeUsbDisk {
    std::string usb;
    std::string disk;
    std::vector<std::string> partitions;
};

class Camera : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(qEnvironmentVariableIsSet("UMOCKDEV_DIR") ||
                    qgetenv("LD_PRELOAD").contains("umockdev"))
            << "run under umockdev-wrapper";
        testbed = umockdev_testbed_new();
        // The camera's volume: VIDEO/ with clips, a directory named like a clip, a lower-case
        // .mp4 and a file of another kind.
        QDir(volume.path()).mkpath("VIDEO/CLIP0003.MP4");
        for (const char* name : {"VIDEO/CLIP0002.MP4", "VIDEO/CLIP0001.MP4", "VIDEO/clip0004.mp4",
                                 "VIDEO/CLIP0001.TXT"}) {
            Touch(volume.filePath(name));
        }
        videoFolder = volume.filePath("VIDEO");
    }
    void TearDown() override {
        pane.reset();
        g_object_unref(testbed);
    }

    FakeUsbDisk AddUsbDisk(const char* port, const char* vendor, const char* product,
                           const char* disk, unsigned minor, int partitions) {
        FakeUsbDisk device;
        device.usb = Take(umockdev_testbed_add_device(
            testbed, "usb", port, nullptr, "idVendor", vendor, "idProduct", product, nullptr,
            "DEVTYPE", "usb_device", "PRODUCT", "0/0/0", nullptr));
        const std::string major = "8";
        const std::string diskMinor = std::to_string(minor);
        const std::string diskDev = major + ":" + diskMinor;
        device.disk = Take(umockdev_testbed_add_device(
            testbed, "block", disk, device.usb.c_str(), "removable", "1", "dev", diskDev.c_str(),
            nullptr, "DEVTYPE", "disk", "MAJOR", major.c_str(), "MINOR", diskMinor.c_str(),
            "DEVNAME", (std::string("/dev/") + disk).c_str(), nullptr));
        for (int p = 1; p <= partitions; ++p) {
            const std::string name = disk + std::to_string(p);
            const std::string partMinor = std::to_string(minor + p);
            const std::string partDev = major + ":" + partMinor;
            device.partitions.push_back(Take(umockdev_testbed_add_device(
                testbed, "block", name.c_str(), device.disk.c_str(), "partition",
                std::to_string(p).c_str(), "dev", partDev.c_str(), nullptr, "DEVTYPE", "partition",
                "MAJOR", major.c_str(), "MINOR", partMinor.c_str(), "DEVNAME",
                ("/dev/" + name).c_str(), "ID_FS_USAGE", "filesystem", nullptr)));
        }
        return device;
    }
    FakeUsbDisk AddCamera(int partitions = 1) {
        return AddUsbDisk("1-1", "0595", "2002", "sdb", 16, partitions);
    }
    FakeUsbDisk AddStick() { return AddUsbDisk("1-2", "0781", "5567", "sdc", 32, 1); }

    void Remove(const FakeUsbDisk& device) {
        for (const std::string& partition : device.partitions) {
            umockdev_testbed_uevent(testbed, partition.c_str(), "remove");
            umockdev_testbed_remove_device(testbed, partition.c_str());
        }
        umockdev_testbed_uevent(testbed, device.disk.c_str(), "remove");
        umockdev_testbed_remove_device(testbed, device.disk.c_str());
        umockdev_testbed_uevent(testbed, device.usb.c_str(), "remove");
        umockdev_testbed_remove_device(testbed, device.usb.c_str());
    }
    void Arrive(const FakeUsbDisk& device) {
        umockdev_testbed_uevent(testbed, device.usb.c_str(), "add");
        umockdev_testbed_uevent(testbed, device.disk.c_str(), "add");
        for (const std::string& partition : device.partitions) {
            umockdev_testbed_uevent(testbed, partition.c_str(), "add");
        }
    }

    // One mountinfo line mounting device 8:minor (the whole volume) at `folder`.
    static std::string MountLine(unsigned minor, const QString& folder) {
        return "40 1 8:" + std::to_string(minor) + " / " + folder.toStdString() +
               " rw,nosuid - vfat /dev/x rw\n";
    }
    void MountCamera(unsigned minor = 17) { mounts += MountLine(minor, volume.path()); }

    void StartPane() {
        CPlaylistDlg::Links links;
        links.video = &video;
        links.track = &map;
        links.mounts = [this] { return mounts; };
        links.mountThroughUdisks = false;
        pane = std::make_unique<CPlaylistDlg>(nullptr, links);
    }
    QStringList Listed() const {
        QStringList paths;
        for (int i = 0; i < pane->List()->count(); ++i) {
            paths.append(pane->List()->text(i));
        }
        return paths;
    }
    QStringList CameraClips() const {
        return {videoFolder + "/CLIP0001.MP4", videoFolder + "/CLIP0002.MP4",
                videoFolder + "/clip0004.mp4"};
    }

    static std::string Take(gchar* text) {
        std::string copy = text != nullptr ? text : "";
        g_free(text);
        return copy;
    }

    UMockdevTestbed* testbed = nullptr;
    QTemporaryDir volume;
    QString videoFolder;
    std::string mounts = "22 1 0:21 / /proc rw - proc proc rw\n";
    QStringList calls;
    FakeVideoPane video{&calls};
    FakeClipTrack map{&calls};
    std::unique_ptr<CPlaylistDlg> pane;
};

TEST_F(Camera, LocatorSeesTheCameraItsVolumeAndTheStick) {
    AddCamera();
    AddStick();
    MountCamera();
    mounts += MountLine(33, "/media/stick");
    CCameraLocator locator([this] { return mounts; });
    EXPECT_TRUE(locator.IsUsbDevicePresent(0x0595, 0x2002));
    EXPECT_TRUE(locator.IsUsbDevicePresent(0x0781, 0x5567));
    EXPECT_FALSE(locator.IsUsbDevicePresent(0x0595, 0x2003));
    const std::vector<DriveRecord> drives = locator.ScanRemovableDrives();
    ASSERT_EQ(drives.size(), 2u);
    EXPECT_EQ(drives[0].mountPoint, volume.path().toStdString());
    EXPECT_EQ(drives[0].disk, makedev(8, 16));
    EXPECT_EQ(drives[1].mountPoint, "/media/stick");
    EXPECT_EQ(drives[1].disk, makedev(8, 32));
    EXPECT_EQ(locator.FindCameraFolder(), videoFolder.toStdString());
}

TEST_F(Camera, PresentAtStartIsListedInNameOrderAndNothingOpens) {
    AddCamera();
    MountCamera();
    StartPane();
    EXPECT_TRUE(pane->CameraFound());
    EXPECT_EQ(pane->CameraFolder(), videoFolder);
    EXPECT_EQ(Listed(), CameraClips());
    EXPECT_TRUE(calls.isEmpty());
    EXPECT_EQ(pane->List()->selection(), -1);
}

TEST_F(Camera, PresentButUnmountedAtStartListsNothing) {
    AddCamera();
    StartPane();
    EXPECT_FALSE(pane->CameraFound());
    EXPECT_TRUE(Listed().isEmpty());
    EXPECT_FALSE(pane->CameraSearchRunning());
}

TEST_F(Camera, ArrivingLaterIsListedWithinTheRetries) {
    StartPane();
    ASSERT_TRUE(pane->DeviceNotifyRegistered());
    ASSERT_FALSE(pane->CameraFound());
    const FakeUsbDisk camera = AddCamera();
    MountCamera();
    QElapsedTimer clock;
    clock.start();
    Arrive(camera);
    ASSERT_TRUE(PumpUntil([&] { return pane->CameraFound(); }, 20s));
    std::printf("camera listed %lld ms after its arrival\n",
                static_cast<long long>(clock.elapsed()));
    EXPECT_EQ(Listed(), CameraClips());
    EXPECT_FALSE(pane->CameraSearchRunning());
    EXPECT_GE(pane->CameraCountdown(), 0);
}

TEST_F(Camera, VolumeMountedTwoSecondsAfterArrivalIsFound) {
    StartPane();
    const FakeUsbDisk camera = AddCamera();
    QElapsedTimer clock;
    clock.start();
    Arrive(camera);
    ASSERT_TRUE(PumpUntil([&] { return pane->CameraSearchRunning(); }, 5s));
    PumpFor(2s);
    EXPECT_FALSE(pane->CameraFound());
    MountCamera();
    ASSERT_TRUE(PumpUntil([&] { return pane->CameraFound(); }, 10s));
    std::printf("camera listed %lld ms after its arrival, mounted after 2 s\n",
                static_cast<long long>(clock.elapsed()));
    EXPECT_EQ(Listed(), CameraClips());
}

TEST_F(Camera, SearchGivesUpAfterAHundredAndOneTicks) {
    StartPane();
    const FakeUsbDisk stick = AddStick();
    Arrive(stick);
    ASSERT_TRUE(PumpUntil([&] { return pane->CameraSearchRunning(); }, 5s));
    // 101 ticks of 50 ms, on a loaded machine perhaps slower.
    ASSERT_TRUE(PumpUntil([&] { return !pane->CameraSearchRunning(); }, 60s));
    EXPECT_EQ(pane->CameraCountdown(), -1);
    EXPECT_TRUE(Listed().isEmpty());
    Remove(stick);
    PumpFor(300ms);
    EXPECT_TRUE(Listed().isEmpty());
    EXPECT_FALSE(pane->CameraFound());
}

TEST_F(Camera, StickLeavingWhileTheCameraStaysChangesNothing) {
    AddCamera();
    MountCamera();
    const FakeUsbDisk stick = AddStick();
    StartPane();
    ASSERT_EQ(Listed(), CameraClips());
    QFile::remove(videoFolder + "/CLIP0002.MP4");
    Remove(stick);
    PumpFor(300ms);
    EXPECT_EQ(Listed(), CameraClips());
    EXPECT_TRUE(pane->CameraFound());
}

TEST_F(Camera, OfTwoVolumesTheOneWithTheVideoFolderWins) {
    QTemporaryDir empty;
    AddCamera(2);
    mounts += MountLine(17, empty.path());
    MountCamera(18);
    StartPane();
    EXPECT_EQ(pane->CameraFolder(), videoFolder);
    EXPECT_EQ(Listed(), CameraClips());
}

TEST_F(Camera, VideoFolderIsFoundWhateverItsLetterCase) {
    QTemporaryDir other;
    QDir(other.path()).mkpath("Video");
    Touch(other.filePath("Video/A.MP4"));
    AddCamera();
    mounts += MountLine(17, other.path());
    StartPane();
    EXPECT_EQ(Listed(), QStringList({other.filePath("Video/A.MP4")}));
}

TEST_F(Camera, RemovalDropsVanishedFilesAndStopsThePlayingClip) {
    QTemporaryDir elsewhere;
    const QString kept = elsewhere.filePath("kept.MOV");
    const QString lost = elsewhere.filePath("lost.MOV");
    Touch(kept);
    Touch(lost);
    const FakeUsbDisk camera = AddCamera();
    MountCamera();
    StartPane();
    pane->List()->append(kept);
    pane->List()->append(lost);
    // A clip of the camera's volume outside VIDEO, added by hand, goes with the camera too.
    QDir(volume.path()).mkpath("EVENT");
    Touch(volume.filePath("EVENT/E0001.MP4"));
    pane->List()->append(volume.filePath("EVENT/E0001.MP4"));
    pane->PlayItem(1);
    ASSERT_EQ(video.playing, videoFolder + "/CLIP0002.MP4");
    QFile::remove(lost);
    // The camera is pulled; its mount may linger, still answering for the files.
    Remove(camera);
    ASSERT_TRUE(PumpUntil([&] { return !pane->CameraFound(); }, 5s));
    EXPECT_EQ(Listed(), QStringList({kept}));
    EXPECT_EQ(video.playing, "");
    EXPECT_EQ(pane->GetCurrentFile(), "");
    EXPECT_EQ(pane->CameraFolder(), "");

    // Plugged in again (the kernel names it anew), its clips come back.
    const FakeUsbDisk again = AddUsbDisk("1-3", "0595", "2002", "sdd", 48, 1);
    mounts += MountLine(49, volume.path());
    Arrive(again);
    ASSERT_TRUE(PumpUntil([&] { return pane->CameraFound(); }, 20s));
    EXPECT_EQ(Listed(), QStringList({kept}) + CameraClips());
}

TEST_F(Camera, SameDeviceArrivingTwiceRestartsTheCountdown) {
    StartPane();
    const FakeUsbDisk stick = AddStick();
    umockdev_testbed_uevent(testbed, stick.usb.c_str(), "add");
    ASSERT_TRUE(PumpUntil([&] { return pane->CameraSearchRunning(); }, 5s));
    ASSERT_TRUE(PumpUntil([&] { return pane->CameraCountdown() < 90; }, 20s));
    umockdev_testbed_uevent(testbed, stick.usb.c_str(), "add");
    ASSERT_TRUE(PumpUntil([&] { return pane->CameraCountdown() > 90; }, 5s));
    EXPECT_TRUE(pane->CameraSearchRunning());
}

TEST_F(Camera, UnmountedCameraWithoutUdisksIsToleratedAndNamed) {
    const FakeUsbDisk camera = AddCamera();
    CCameraLocator locator([this] { return mounts; });
    EXPECT_EQ(locator.UnmountedCameraVolumes(), std::vector<std::string>({"sdb1"}));
    EXPECT_EQ(locator.FindCameraFolder(), "");
    // No system bus here: asking udisks2 must fail quietly and leave the pane usable.
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/ostvik-test-bus");
    CPlaylistDlg::Links links;
    links.video = &video;
    links.track = &map;
    links.mounts = [this] { return mounts; };
    pane = std::make_unique<CPlaylistDlg>(nullptr, links);
    PumpFor(200ms);
    EXPECT_FALSE(pane->CameraFound());
    EXPECT_FALSE(pane->CameraSearchRunning());
    // Mounted by hand and plugged in again, it is found as usual.
    MountCamera();
    umockdev_testbed_uevent(testbed, camera.usb.c_str(), "add");
    ASSERT_TRUE(PumpUntil([&] { return pane->CameraFound(); }, 20s));
    EXPECT_EQ(Listed(), CameraClips());
}

} // namespace
