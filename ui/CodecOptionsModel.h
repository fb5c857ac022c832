// The values of the codec options dialog and how its sliders move one another, kept apart
// from the widgets so that the couplings can be checked without a display.
#pragma once

#include <QSize>
#include <QString>

#include "codec/CodecContext.h"
#include "codec/Limits.h"
#include "settings/SettingsRecord.h"
#include "ui/ListCodecValues.h"
#include "ui/PreviewArea.h"

namespace tq1::ui {

// The sliders' ranges, which are the codec's parameter ranges.
inline constexpr int kMaxQuality = static_cast<int>(kMaxToleranceUi);
inline constexpr int kMaxSmoothing = static_cast<int>(kMaxSmoothingUi);
inline constexpr int kMaxComponentBits = static_cast<int>(kMaxBits);

struct CodecOptionValues {
  int quality = 0;
  int bitsCommon = 8;
  int bitsRed = 8;
  int bitsGreen = 8;
  int bitsBlue = 8;
  int smoothing = 0;
  bool previewOn = false;
  QSize areaSize{100, 100};

  friend bool operator==(const CodecOptionValues&, const CodecOptionValues&) = default;
};

enum class ColourChannel { Red, Green, Blue };

class CodecOptionsModel {
 public:
  // `imageSize` is the size of the image on show; an empty size means there is none.
  explicit CodecOptionsModel(QSize imageSize = {});

  [[nodiscard]] const CodecOptionValues& values() const noexcept { return values_; }
  [[nodiscard]] bool hasImage() const noexcept { return !imageSize_.isEmpty(); }
  [[nodiscard]] SideRange widthRange() const noexcept;
  [[nodiscard]] SideRange heightRange() const noexcept;

  // A new image on show: the size ranges follow it and the area is cut to them.
  void setImageSize(QSize imageSize) noexcept;

  // Every value is brought into its slider's range; the area is cut to the image.
  void loadRecord(const SettingsRecord& record) noexcept;
  // List mode: the common slider shows 8; preview and area stay as they are.
  void loadListValues(const ListCodecValues& values) noexcept;

  // `base` with the codec fields (0-5, 9-11) taken from the dialog; 6-8 stay.
  [[nodiscard]] SettingsRecord toRecord(SettingsRecord base) const noexcept;
  [[nodiscard]] ListCodecValues listValues() const noexcept;
  [[nodiscard]] CodecParams codecParams() const noexcept;

  // Moving quality moves smoothing to three times its value (never the other way round).
  void setQuality(int quality) noexcept;
  void setSmoothing(int smoothing) noexcept;
  // Moving the common slider moves all three component sliders with it; a component slider
  // moves alone.
  void setCommonBits(int bits) noexcept;
  void setComponentBits(ColourChannel channel, int bits) noexcept;
  void setAreaWidth(int width) noexcept;
  void setAreaHeight(int height) noexcept;
  void setPreviewOn(bool on) noexcept;

 private:
  QSize imageSize_;
  CodecOptionValues values_;
};

// The quality shown to people: 100 - 2 x tolerance, so 0 reads 100 and 50 reads 0.
[[nodiscard]] QString qualityLabelText(int quality);

}  // namespace tq1::ui
