#include "app/shell/DiskService.h"

#include <QDBusConnection>
#include <QDBusUnixFileDescriptor>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using namespace vantrel;

namespace {

// Stands in for the system's disk service on a private bus: hands over a descriptor
// of an image file, opened as the test says.
class FakeBlock : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.UDisks2.Block")

public:
    QString path;
    QIODevice::OpenMode openAs = QIODevice::ReadOnly;
    QString modeAsked;

public slots:
    QDBusUnixFileDescriptor OpenDevice(const QString& mode, const QVariantMap&) {
        modeAsked = mode;
        QFile file(path);
        if (!file.open(openAs))
            return {};
        return QDBusUnixFileDescriptor(file.handle()); // duplicated by the constructor
    }
};

} // namespace

class DiskServiceTest : public QObject {
    Q_OBJECT

    QProcess bus_;
    QString address_;
    QTemporaryDir dir_;
    FakeBlock block_;

private slots:
    void initTestCase() {
        bus_.start(QStringLiteral("dbus-daemon"),
                   {QStringLiteral("--session"), QStringLiteral("--nofork"),
                    QStringLiteral("--print-address")});
        if (!bus_.waitForStarted())
            QSKIP("dbus-daemon is not installed");
        QTRY_VERIFY(bus_.canReadLine());
        address_ = QString::fromUtf8(bus_.readLine()).trimmed();
        // The program's system bus is the private one.
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", address_.toUtf8());

        QDBusConnection service = QDBusConnection::connectToBus(address_, QStringLiteral("fake"));
        QVERIFY(service.isConnected());
        QVERIFY(service.registerService(QStringLiteral("org.freedesktop.UDisks2")));
        QVERIFY(service.registerObject(QStringLiteral("/org/freedesktop/UDisks2/block_devices/sdq"),
                                       &block_, QDBusConnection::ExportAllSlots));
        block_.path = dir_.filePath(QStringLiteral("disk.img"));
        QFile image(block_.path);
        QVERIFY(image.open(QIODevice::WriteOnly));
        QByteArray bytes(8 * 512, '\0');
        for (int i = 0; i < bytes.size(); ++i)
            bytes[i] = static_cast<char>(i / 512 + 1);
        image.write(bytes);
    }

    void cleanupTestCase() {
        bus_.kill();
        bus_.waitForFinished();
    }

    // The disk comes back through the service, read-only, and reads the right sectors.
    void driveOpensThroughTheService() {
        QVERIFY(DiskServiceAvailable());
        QString error;
        std::unique_ptr<CDiskDevice> disk = OpenThroughDiskService("/dev/sdq", {}, &error);
        QVERIFY2(disk, qPrintable(error));
        QCOMPARE(block_.modeAsked, QStringLiteral("r"));
        std::uint64_t last = 0;
        QVERIFY(disk->GetCapacity(&last, nullptr));
        QCOMPARE(last, 7u);
        std::vector<std::uint8_t> sector(512);
        QVERIFY(disk->ReadSectors(5, 1, sector.data(), 512));
        QCOMPARE(sector[0], 6);
    }

    // A descriptor that allows writing is refused, and a missing device is an error
    // the user is shown.
    void writableOrMissingDevicesAreRefused() {
        block_.openAs = QIODevice::ReadWrite;
        QString error;
        QVERIFY(!OpenThroughDiskService("/dev/sdq", {}, &error));
        QVERIFY(!error.isEmpty());
        block_.openAs = QIODevice::ReadOnly;
        error.clear();
        QVERIFY(!OpenThroughDiskService("/dev/sdx", {}, &error));
        QVERIFY(!error.isEmpty());
    }
};

QTEST_GUILESS_MAIN(DiskServiceTest)
#include "DiskServiceTest.moc"
