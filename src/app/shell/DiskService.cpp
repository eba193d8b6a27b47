#include "app/shell/DiskService.h"

#include "device/HandleDisk.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusUnixFileDescriptor>
#include <QEventLoop>
#include <QFileInfo>

namespace vantrel {
namespace {

const QString kService = QStringLiteral("org.freedesktop.UDisks2");

} // namespace

bool DiskServiceAvailable() {
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected() || !bus.interface())
        return false;
    const QDBusReply<bool> registered = bus.interface()->isServiceRegistered(kService);
    if (registered.isValid() && registered.value())
        return true;
    // The service is started on demand: it is there when it can be activated.
    const QDBusReply<QStringList> activatable = bus.interface()->activatableServiceNames();
    return activatable.isValid() && activatable.value().contains(kService);
}

std::unique_ptr<CDiskDevice>
OpenThroughDiskService(const std::string& node, const DeviceIdentity& identity, QString* error) {
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected()) {
        *error = QStringLiteral("システムバスに接続できません");
        return nullptr;
    }
    const QString name = QFileInfo(QString::fromStdString(node)).fileName();
    QDBusMessage call = QDBusMessage::createMethodCall(
        kService, QStringLiteral("/org/freedesktop/UDisks2/block_devices/") + name,
        QStringLiteral("org.freedesktop.UDisks2.Block"), QStringLiteral("OpenDevice"));
    call << QStringLiteral("r") << QVariantMap{};
    call.setInteractiveAuthorizationAllowed(true);

    // The password dialog belongs to another process; the window keeps being drawn
    // while it is up.
    QDBusPendingCall pending = bus.asyncCall(call, 5 * 60 * 1000);
    QDBusPendingCallWatcher watcher(pending);
    QEventLoop loop;
    QObject::connect(&watcher, &QDBusPendingCallWatcher::finished, &loop, &QEventLoop::quit);
    if (!watcher.isFinished())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    const QDBusPendingReply<QDBusUnixFileDescriptor> reply = watcher;
    if (reply.isError()) {
        *error = reply.error().message();
        return nullptr;
    }
    auto disk = std::make_unique<CHandleDisk>();
    if (!disk->OpenDescriptor(reply.value().fileDescriptor(), node, identity)) {
        *error = QStringLiteral("読み取り専用のディスクを受け取れませんでした");
        return nullptr;
    }
    if (!disk->GetCapacity(nullptr, nullptr)) {
        *error = QStringLiteral("容量を取得できませんでした");
        return nullptr;
    }
    return disk;
}

} // namespace vantrel
