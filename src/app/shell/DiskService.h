#pragma once

// Opening a disk through the system's disk service (UDisks2 on the system bus): the
// service checks the user's right (polkit may ask for a password) and hands over a
// read-only descriptor, so the program itself stays unprivileged.

#include "device/DiskDevice.h"

#include <QString>
#include <memory>
#include <string>

namespace vantrel {

// The service answers on the system bus.
bool DiskServiceAvailable();

// The block device at node ("/dev/sdb") opened read-only through the service, or null
// with *error saying why.
std::unique_ptr<CDiskDevice> OpenThroughDiskService(const std::string& node,
                                                    const DeviceIdentity& identity, QString* error);

} // namespace vantrel
