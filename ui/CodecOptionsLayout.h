// The controls of the codec options dialog, built and laid out in one place: the sliders with
// their captions and value labels, the preview controls and the buttons, in the dialog's order.
#pragma once

class QCheckBox;
class QDialog;
class QFrame;
class QLabel;
class QPushButton;
class QSlider;

namespace tq1::ui {

struct CodecOptionsControls {
  QSlider* quality = nullptr;  // 0-50, ticks every 5
  QLabel* qualityValue = nullptr;
  QSlider* smoothing = nullptr;  // 0-150, ticks every 15
  QLabel* smoothingValue = nullptr;
  QSlider* commonBits = nullptr;  // 0-8, a tick at every value
  QLabel* commonBitsValue = nullptr;
  QSlider* redBits = nullptr;
  QLabel* redBitsValue = nullptr;
  QSlider* greenBits = nullptr;
  QLabel* greenBitsValue = nullptr;
  QSlider* blueBits = nullptr;
  QLabel* blueBitsValue = nullptr;
  QCheckBox* preview = nullptr;
  QLabel* previewStats = nullptr;  // coded size and PSNR of the previewed area
  QFrame* areaFrame = nullptr;
  QSlider* areaHeight = nullptr;  // vertical, no ticks
  QLabel* areaHeightValue = nullptr;
  QSlider* areaWidth = nullptr;  // horizontal, no ticks
  QLabel* areaWidthValue = nullptr;
  QPushButton* chooseArea = nullptr;
  QPushButton* restoreDefaults = nullptr;
  QPushButton* storeDefaults = nullptr;
  QPushButton* ok = nullptr;
  QPushButton* cancel = nullptr;
};

// Creates the controls as children of `dialog` and lays them out.
[[nodiscard]] CodecOptionsControls buildCodecOptionsControls(QDialog& dialog);

}  // namespace tq1::ui
