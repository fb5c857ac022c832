// The Qt image-format plugin that hands ".tq1" files to Tq1ImageHandler.
#include "imageplugin/Tq1ImagePlugin.h"

#include "imageplugin/Tq1ImageHandler.h"

namespace tq1 {

QImageIOPlugin::Capabilities Tq1ImagePlugin::capabilities(QIODevice* device,
                                                          const QByteArray& format) const {
  if (format == "tq1") return CanRead | CanWrite;
  if (!format.isEmpty() || device == nullptr || !device->isOpen()) return {};
  Capabilities capabilities;
  if (device->isReadable() && Tq1ImageHandler::canRead(device)) capabilities |= CanRead;
  if (device->isWritable()) capabilities |= CanWrite;
  return capabilities;
}

QImageIOHandler* Tq1ImagePlugin::create(QIODevice* device, const QByteArray& format) const {
  auto* handler = new Tq1ImageHandler;
  handler->setDevice(device);
  handler->setFormat(format.isEmpty() ? QByteArray("tq1") : format);
  return handler;
}

}  // namespace tq1
