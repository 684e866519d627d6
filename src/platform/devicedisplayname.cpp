#include "platform/devicedisplayname.h"

#include <QString>

#include "core/boundedtext.h"

std::string DeviceDisplayName(const char* utf8Name) {
  const QByteArray latin1 = QString::fromUtf8(utf8Name ? utf8Name : "").toLatin1();
  return BoundedText(std::string_view(latin1.constData(), static_cast<std::size_t>(latin1.size())),
                     kMaxDeviceNameChars);
}
