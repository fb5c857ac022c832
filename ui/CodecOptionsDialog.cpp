// Behaviour of the codec options dialog: slider couplings, defaults, preview and closing.
#include "ui/CodecOptionsDialog.h"

#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>

#include "ui/PreviewWindow.h"
#include "ui/WindowPlaces.h"

namespace tq1::ui {
namespace {

void setSlider(QSlider* slider, int value) {
  const QSignalBlocker blocker(slider);
  slider->setValue(value);
}

void setSliderRange(QSlider* slider, SideRange range) {
  const QSignalBlocker blocker(slider);
  slider->setRange(range.minimum, range.maximum);
}

}  // namespace

CodecOptionsDialog::CodecOptionsDialog(const SettingsStore& store, const QImage& image,
                                       QPoint areaOrigin, QWidget* owner)
    : QDialog(owner),
      store_(store),
      mode_(CodecOptionsMode::Settings),
      image_(image),
      areaOrigin_(areaOrigin),
      model_(image.size()) {
  setUpCommon();
  model_.loadRecord(store_.ReadSettings());
  applyModeToControls();
  showValues();
}

CodecOptionsDialog::CodecOptionsDialog(const SettingsStore& store, const ListCodecValues& values,
                                       QWidget* owner)
    : QDialog(owner), store_(store), mode_(CodecOptionsMode::List), listValues_(values) {
  setUpCommon();
  setModal(true);
  model_.loadListValues(values);
  applyModeToControls();
  showValues();
}

CodecOptionsDialog::~CodecOptionsDialog() { closePreviewWindow(); }

void CodecOptionsDialog::setUpCommon() {
  setObjectName(QStringLiteral("OPTIONS_CODEC"));
  setWindowTitle(QStringLiteral("Настройки кодирования"));
  controls_ = buildCodecOptionsControls(*this);
  connectControls();
  adjustSize();
  restoreDialogPlace(store_, WindowKey::SetupCodec, *this);
}

void CodecOptionsDialog::connectControls() {
  for (QSlider* slider : {controls_.quality, controls_.smoothing, controls_.commonBits,
                          controls_.redBits, controls_.greenBits, controls_.blueBits,
                          controls_.areaWidth, controls_.areaHeight}) {
    connect(slider, &QSlider::valueChanged, this,
            [this, slider](int value) { onValueMoved(slider, value); });
  }
  connect(controls_.preview, &QCheckBox::toggled, this, &CodecOptionsDialog::onPreviewToggled);
  connect(controls_.restoreDefaults, &QPushButton::clicked, this,
          &CodecOptionsDialog::restoreDefaults);
  connect(controls_.storeDefaults, &QPushButton::clicked, this, &CodecOptionsDialog::storeDefaults);
  connect(controls_.chooseArea, &QPushButton::clicked, this, &CodecOptionsDialog::chooseArea);
  connect(controls_.ok, &QPushButton::clicked, this, &CodecOptionsDialog::acceptValues);
  connect(controls_.cancel, &QPushButton::clicked, this, &QDialog::reject);
}

// Which controls work: in list mode nothing about defaults, preview or area; otherwise the
// preview controls exactly when there is an image.
void CodecOptionsDialog::applyModeToControls() {
  const bool listMode = mode_ == CodecOptionsMode::List;
  const bool previewable = !listMode && model_.hasImage();
  controls_.restoreDefaults->setEnabled(!listMode);
  controls_.storeDefaults->setEnabled(!listMode);
  controls_.areaFrame->setEnabled(!listMode);
  for (QWidget* control : std::initializer_list<QWidget*>{
           controls_.preview, controls_.chooseArea, controls_.areaWidth, controls_.areaHeight}) {
    control->setEnabled(previewable);
  }
  controls_.previewStats->setVisible(!listMode);
  setSliderRange(controls_.areaWidth, model_.widthRange());
  setSliderRange(controls_.areaHeight, model_.heightRange());
}

// Puts every value of the model on its control and label, without feeding the moves back.
void CodecOptionsDialog::showValues() {
  const CodecOptionValues& v = model_.values();
  const CodecOptionsControls& c = controls_;
  setSlider(c.quality, v.quality);
  setSlider(c.smoothing, v.smoothing);
  setSlider(c.commonBits, v.bitsCommon);
  setSlider(c.redBits, v.bitsRed);
  setSlider(c.greenBits, v.bitsGreen);
  setSlider(c.blueBits, v.bitsBlue);
  setSlider(c.areaWidth, v.areaSize.width());
  setSlider(c.areaHeight, v.areaSize.height());
  if (mode_ == CodecOptionsMode::Settings) {
    const QSignalBlocker blocker(c.preview);
    c.preview->setChecked(v.previewOn);
  }
  c.qualityValue->setText(qualityLabelText(v.quality));
  c.smoothingValue->setText(QString::number(v.smoothing));
  c.commonBitsValue->setText(QString::number(v.bitsCommon));
  c.redBitsValue->setText(QString::number(v.bitsRed));
  c.greenBitsValue->setText(QString::number(v.bitsGreen));
  c.blueBitsValue->setText(QString::number(v.bitsBlue));
  c.areaWidthValue->setText(QString::number(v.areaSize.width()));
  c.areaHeightValue->setText(QString::number(v.areaSize.height()));
}

void CodecOptionsDialog::onValueMoved(QObject* slider, int value) {
  const CodecOptionsControls& c = controls_;
  const bool areaMoved = slider == c.areaWidth || slider == c.areaHeight;
  if (slider == c.quality) model_.setQuality(value);
  else if (slider == c.smoothing) model_.setSmoothing(value);
  else if (slider == c.commonBits) model_.setCommonBits(value);
  else if (slider == c.redBits) model_.setComponentBits(ColourChannel::Red, value);
  else if (slider == c.greenBits) model_.setComponentBits(ColourChannel::Green, value);
  else if (slider == c.blueBits) model_.setComponentBits(ColourChannel::Blue, value);
  else if (slider == c.areaWidth) model_.setAreaWidth(value);
  else if (slider == c.areaHeight) model_.setAreaHeight(value);
  showValues();
  if (areaMoved) syncPreviewWindow();
  renderPreview();
}

void CodecOptionsDialog::onPreviewToggled(bool on) {
  model_.setPreviewOn(on);
  syncPreviewWindow();
  renderPreview();
}

void CodecOptionsDialog::restoreDefaults() {
  model_.loadRecord(store_.ReadDefaults());
  showValues();
  syncPreviewWindow();
  renderPreview();
}

// The defaults record holds only codec values; its interface fields carry no meaning and
// keep their factory values.
void CodecOptionsDialog::storeDefaults() {
  store_.WriteDefaults(model_.toRecord(factorySettings()));
}

void CodecOptionsDialog::chooseArea() {
  hide();
  if (preview_) preview_->hide();
  emit areaSelectionRequested(model_.values().areaSize);
}

void CodecOptionsDialog::resumeWithAreaOrigin(QPoint origin) {
  areaOrigin_ = origin;
  resumeWithoutArea();
}

void CodecOptionsDialog::resumeWithoutArea() {
  show();  // showEvent brings the preview back and renders it
  raise();
  activateWindow();
}

void CodecOptionsDialog::acceptValues() {
  const SettingsRecord edited = model_.toRecord(SettingsRecord{});
  if (mode_ == CodecOptionsMode::List) {
    listValues_ = model_.listValues();
  } else {
    store_.WriteCodecOptions(edited);  // the interface options in the file stay as they are
  }
  accept();
}

void CodecOptionsDialog::setImage(const QImage& image) {
  if (mode_ == CodecOptionsMode::List) return;
  image_ = image;
  model_.setImageSize(image.size());
  applyModeToControls();
  showValues();
  syncPreviewWindow();
  renderPreview();
}

// The preview window exists, has the area's size and is shown exactly while the preview is
// on, there is an image and the dialog itself is on the screen.
void CodecOptionsDialog::syncPreviewWindow() {
  const bool wanted = mode_ == CodecOptionsMode::Settings && model_.hasImage() &&
                      model_.values().previewOn;
  if (!wanted) {
    if (preview_) {
      preview_->hide();
      preview_->clearRendering();
    }
    lastPreview_ = {};
    controls_.previewStats->clear();
    return;
  }
  if (!preview_) preview_ = new PreviewWindow(this);
  preview_->setAreaSize(model_.values().areaSize);
  if (isVisible()) preview_->show();
}

void CodecOptionsDialog::renderPreview() {
  if (!preview_ || !model_.values().previewOn || !model_.hasImage()) return;
  const QRect area = previewRect({areaOrigin_, model_.values().areaSize}, image_.size());
  lastPreview_ = ui::renderPreview(image_, area, model_.codecParams());
  if (lastPreview_.ok()) {
    preview_->showRendering(lastPreview_.image);
  } else {
    preview_->clearRendering();
  }
  controls_.previewStats->setText(previewStatsText(lastPreview_));
}

void CodecOptionsDialog::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  syncPreviewWindow();
  renderPreview();
}

void CodecOptionsDialog::closePreviewWindow() {
  if (!preview_) return;
  preview_->hide();
  delete preview_;
}

// Every way of closing (OK, "Отмена", Escape, the close box) stores the dialog's place.
void CodecOptionsDialog::done(int result) {
  storeWindowPlace(store_, WindowKey::SetupCodec, *this);
  closePreviewWindow();
  QDialog::done(result);
}

std::optional<ListCodecValues> editListCodecValues(const SettingsStore& store,
                                                   const ListCodecValues& values, QWidget* owner) {
  CodecOptionsDialog dialog(store, values, owner);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.listValues();
}

}  // namespace tq1::ui
