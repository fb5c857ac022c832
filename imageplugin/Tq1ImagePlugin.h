// The Qt image-format plugin that hands ".tq1" files to Tq1ImageHandler.
#pragma once

#include <QImageIOPlugin>

namespace tq1 {

class Tq1ImagePlugin : public QImageIOPlugin {
  Q_OBJECT
  Q_PLUGIN_METADATA(IID QImageIOHandlerFactoryInterface_iid FILE "tq1.json")

 public:
  Capabilities capabilities(QIODevice* device, const QByteArray& format) const override;
  QImageIOHandler* create(QIODevice* device, const QByteArray& format = {}) const override;
};

}  // namespace tq1
