#include "gui/udisks_access_route.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusReply>
#include <QDBusUnixFileDescriptor>
#include <QMessageBox>

#include "platform/device_access.h"
#include "support/format.h"
#include "support/string_table.h"

namespace orvande::gui {
namespace {

const QString kService = QStringLiteral("org.freedesktop.UDisks2");
constexpr uint32_t kAccessDenied = 5;

// The service's object for the device node at path; empty when it knows none.
QString BlockObjectFor(const std::string& path) {
  QDBusInterface manager(kService, QStringLiteral("/org/freedesktop/UDisks2/Manager"),
                         QStringLiteral("org.freedesktop.UDisks2.Manager"),
                         QDBusConnection::systemBus());
  QVariantMap wanted;
  wanted.insert(QStringLiteral("path"), QString::fromStdString(path));
  const QDBusReply<QList<QDBusObjectPath>> reply =
      manager.call(QStringLiteral("ResolveDevice"), wanted, QVariantMap());
  if (!reply.isValid() || reply.value().isEmpty()) return QString();
  return reply.value().first().path();
}

}  // namespace

bool UDisksAccessRoute::Available() {
  const QDBusConnection bus = QDBusConnection::systemBus();
  if (!bus.isConnected() || bus.interface() == nullptr) return false;
  const QDBusReply<bool> registered = bus.interface()->isServiceRegistered(kService);
  return registered.isValid() && registered.value();
}

int UDisksAccessRoute::Open(const std::string& path, uint32_t* error) {
  *error = kAccessDenied;
  const QString object = BlockObjectFor(path);
  if (object.isEmpty()) return -1;
  QDBusInterface block(kService, object, QStringLiteral("org.freedesktop.UDisks2.Block"),
                       QDBusConnection::systemBus());
  // The password prompt can take as long as the user needs.
  block.setTimeout(10 * 60 * 1000);
  QVariantMap options;
  options.insert(QStringLiteral("auth.no_user_interaction"), false);
  const QDBusReply<QDBusUnixFileDescriptor> reply =
      block.call(QStringLiteral("OpenForBackup"), options);
  if (!reply.isValid() || !reply.value().isValid()) return -1;
  // The reply's descriptor closes with it: keep a copy of our own.
  const int descriptor = platform::DuplicateDescriptor(reply.value().fileDescriptor());
  if (descriptor >= 0) *error = 0;
  return descriptor;
}

bool OfferDeviceAccessFromWindow(QWidget* parent, const std::string& devicePath,
                                 const std::string& programFolder) {
  const QString question =
      QString::fromStdString(Format(kDeviceAccessQuestionFormat, devicePath.c_str()));
  if (QMessageBox::question(parent, QString::fromUtf8(strings::kProgramTitle), question,
                            QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
    return false;
  UDisksAccessRoute service;
  HelperAccessRoute helper(FindOpenDeviceHelper(programFolder));
  return AuthorizeDeviceRead(devicePath, {&service, &helper});
}

}  // namespace orvande::gui
