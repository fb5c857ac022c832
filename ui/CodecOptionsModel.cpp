// Slider couplings and range checks of the codec options dialog.
#include "ui/CodecOptionsModel.h"

namespace tq1::ui {
namespace {

int clampQuality(int value) noexcept { return clampToRange(value, kMaxToleranceUi); }
int clampSmoothing(int value) noexcept { return clampToRange(value, kMaxSmoothingUi); }
int clampBits(int value) noexcept { return clampToRange(value, kMaxBits); }

}  // namespace

CodecOptionsModel::CodecOptionsModel(QSize imageSize) : imageSize_(imageSize) {
  setImageSize(imageSize);
}

SideRange CodecOptionsModel::widthRange() const noexcept {
  return previewSideRange(hasImage() ? imageSize_.width() : 0);
}

SideRange CodecOptionsModel::heightRange() const noexcept {
  return previewSideRange(hasImage() ? imageSize_.height() : 0);
}

void CodecOptionsModel::setImageSize(QSize imageSize) noexcept {
  imageSize_ = imageSize;
  values_.areaSize = {widthRange().clamp(values_.areaSize.width()),
                      heightRange().clamp(values_.areaSize.height())};
}

void CodecOptionsModel::loadRecord(const SettingsRecord& record) noexcept {
  values_.quality = clampQuality(record.quality);
  values_.bitsCommon = clampBits(record.bitsCommon);
  values_.bitsRed = clampBits(record.bitsRed);
  values_.bitsGreen = clampBits(record.bitsGreen);
  values_.bitsBlue = clampBits(record.bitsBlue);
  values_.smoothing = clampSmoothing(record.smoothing);
  values_.previewOn = record.previewOn == 1;
  values_.areaSize = {widthRange().clamp(record.previewWidth),
                      heightRange().clamp(record.previewHeight)};
}

void CodecOptionsModel::loadListValues(const ListCodecValues& values) noexcept {
  values_.quality = clampQuality(values.quality);
  values_.bitsCommon = kMaxComponentBits;
  values_.bitsRed = clampBits(values.bitsRed);
  values_.bitsGreen = clampBits(values.bitsGreen);
  values_.bitsBlue = clampBits(values.bitsBlue);
  values_.smoothing = clampSmoothing(values.smoothing);
}

SettingsRecord CodecOptionsModel::toRecord(SettingsRecord base) const noexcept {
  base.quality = values_.quality;
  base.bitsRed = values_.bitsRed;
  base.bitsGreen = values_.bitsGreen;
  base.bitsBlue = values_.bitsBlue;
  base.bitsCommon = values_.bitsCommon;
  base.smoothing = values_.smoothing;
  base.previewOn = values_.previewOn ? 1 : 0;
  base.previewWidth = values_.areaSize.width();
  base.previewHeight = values_.areaSize.height();
  return base;
}

ListCodecValues CodecOptionsModel::listValues() const noexcept {
  return {values_.quality,  values_.bitsCommon, values_.bitsRed,
          values_.bitsGreen, values_.bitsBlue,  values_.smoothing};
}

CodecParams CodecOptionsModel::codecParams() const noexcept {
  return clampedParams(values_.quality, values_.smoothing,
                       {values_.bitsRed, values_.bitsGreen, values_.bitsBlue});
}

void CodecOptionsModel::setQuality(int quality) noexcept {
  values_.quality = clampQuality(quality);
  values_.smoothing = clampSmoothing(3 * values_.quality);
}

void CodecOptionsModel::setSmoothing(int smoothing) noexcept {
  values_.smoothing = clampSmoothing(smoothing);
}

void CodecOptionsModel::setCommonBits(int bits) noexcept {
  values_.bitsCommon = clampBits(bits);
  values_.bitsRed = values_.bitsGreen = values_.bitsBlue = values_.bitsCommon;
}

void CodecOptionsModel::setComponentBits(ColourChannel channel, int bits) noexcept {
  const int value = clampBits(bits);
  switch (channel) {
    case ColourChannel::Red: values_.bitsRed = value; break;
    case ColourChannel::Green: values_.bitsGreen = value; break;
    case ColourChannel::Blue: values_.bitsBlue = value; break;
  }
}

void CodecOptionsModel::setAreaWidth(int width) noexcept {
  values_.areaSize.setWidth(widthRange().clamp(width));
}

void CodecOptionsModel::setAreaHeight(int height) noexcept {
  values_.areaSize.setHeight(heightRange().clamp(height));
}

void CodecOptionsModel::setPreviewOn(bool on) noexcept { values_.previewOn = on; }

QString qualityLabelText(int quality) { return QString::number((kMaxQuality - quality) * 2); }

}  // namespace tq1::ui
