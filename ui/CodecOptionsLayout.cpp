// Construction and layout of the codec options dialog's controls.
#include "ui/CodecOptionsLayout.h"

#include <QCheckBox>
#include <QDialog>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

#include "ui/CodecOptionsModel.h"
#include "ui/PreviewArea.h"

namespace tq1::ui {
namespace {

QSlider* makeSlider(QWidget* parent, const char* name, Qt::Orientation orientation, int maximum,
                    int tickInterval, int pageStep) {
  auto* slider = new QSlider(orientation, parent);
  slider->setObjectName(QLatin1String(name));
  slider->setRange(0, maximum);
  slider->setPageStep(pageStep);
  if (tickInterval > 0) {
    slider->setTickPosition(QSlider::TicksBelow);
    slider->setTickInterval(tickInterval);
  }
  return slider;
}

// A value label wide enough for "100" so that the sliders do not shift as values change.
QLabel* makeValueLabel(QWidget* parent, const char* name) {
  auto* label = new QLabel(parent);
  label->setObjectName(QLatin1String(name));
  label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  label->setMinimumWidth(label->fontMetrics().horizontalAdvance(QStringLiteral("0000")));
  return label;
}

QFrame* makeSeparator(QWidget* parent) {
  auto* line = new QFrame(parent);
  line->setFrameShape(QFrame::HLine);
  line->setFrameShadow(QFrame::Sunken);
  return line;
}

QPushButton* makeButton(QWidget* parent, const char* name, const QString& text) {
  auto* button = new QPushButton(text, parent);
  button->setObjectName(QLatin1String(name));
  button->setAutoDefault(false);
  return button;
}

// Quality and smoothing: a caption above a long slider with its value on the right.
void addWideSlider(QGridLayout& grid, int row, const QString& caption, QSlider* slider,
                   QLabel* value) {
  grid.addWidget(new QLabel(caption), row, 0, 1, 2);
  slider->setMinimumWidth(330);
  grid.addWidget(slider, row + 1, 0);
  grid.addWidget(value, row + 1, 1);
}

// A bits slider with its caption on the left; component captions are indented.
void addBitsSlider(QGridLayout& grid, int row, const QString& caption, bool indented,
                   QSlider* slider, QLabel* value) {
  auto* label = new QLabel(caption);
  if (indented) label->setIndent(label->fontMetrics().horizontalAdvance(QStringLiteral("MM")));
  grid.addWidget(label, row, 0);
  slider->setMinimumWidth(200);
  grid.addWidget(slider, row, 1);
  grid.addWidget(value, row, 2);
}

// The area size: a small frame standing for the area, its width written at the top and its
// height at the left, with the height slider beside it and the width slider under it.
QLayout* makeAreaGroup(QDialog& dialog, CodecOptionsControls& c) {
  c.areaFrame = new QFrame(&dialog);
  c.areaFrame->setObjectName(QStringLiteral("areaFrame"));
  c.areaFrame->setFrameStyle(QFrame::Box | QFrame::Sunken);
  c.areaFrame->setFixedSize(100, 80);
  c.areaWidthValue = new QLabel(c.areaFrame);
  c.areaWidthValue->setObjectName(QStringLiteral("areaWidthValue"));
  c.areaWidthValue->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  c.areaHeightValue = new QLabel(c.areaFrame);
  c.areaHeightValue->setObjectName(QStringLiteral("areaHeightValue"));
  c.areaHeightValue->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  auto* inside = new QGridLayout(c.areaFrame);
  inside->setContentsMargins(6, 4, 6, 4);
  inside->addWidget(c.areaWidthValue, 0, 0, 1, 2);
  inside->addWidget(c.areaHeightValue, 1, 0);
  inside->setRowStretch(1, 1);
  inside->setColumnStretch(1, 1);

  c.areaHeight = makeSlider(&dialog, "areaHeightSlider", Qt::Vertical, kPreviewMaxSide, 0, 10);
  c.areaHeight->setRange(kPreviewMinSide, kPreviewMaxSide);
  c.areaHeight->setInvertedAppearance(true);  // larger heights further down, as the frame grows
  c.areaHeight->setFixedHeight(80);
  c.areaWidth = makeSlider(&dialog, "areaWidthSlider", Qt::Horizontal, kPreviewMaxSide, 0, 10);
  c.areaWidth->setRange(kPreviewMinSide, kPreviewMaxSide);
  c.areaWidth->setFixedWidth(100);

  auto* group = new QGridLayout;
  group->setSpacing(2);
  group->addWidget(c.areaFrame, 0, 0);
  group->addWidget(c.areaHeight, 0, 1);
  group->addWidget(c.areaWidth, 1, 0);
  auto* centred = new QHBoxLayout;
  centred->addStretch();
  centred->addLayout(group);
  centred->addStretch();
  return centred;
}

}  // namespace

CodecOptionsControls buildCodecOptionsControls(QDialog& dialog) {
  CodecOptionsControls c;
  c.quality = makeSlider(&dialog, "qualitySlider", Qt::Horizontal, kMaxQuality, 5, 5);
  c.qualityValue = makeValueLabel(&dialog, "qualityValue");
  c.smoothing = makeSlider(&dialog, "smoothingSlider", Qt::Horizontal, kMaxSmoothing, 15, 15);
  c.smoothingValue = makeValueLabel(&dialog, "smoothingValue");
  c.commonBits = makeSlider(&dialog, "commonBitsSlider", Qt::Horizontal, kMaxComponentBits, 1, 1);
  c.commonBitsValue = makeValueLabel(&dialog, "commonBitsValue");
  c.redBits = makeSlider(&dialog, "redBitsSlider", Qt::Horizontal, kMaxComponentBits, 1, 1);
  c.redBitsValue = makeValueLabel(&dialog, "redBitsValue");
  c.greenBits = makeSlider(&dialog, "greenBitsSlider", Qt::Horizontal, kMaxComponentBits, 1, 1);
  c.greenBitsValue = makeValueLabel(&dialog, "greenBitsValue");
  c.blueBits = makeSlider(&dialog, "blueBitsSlider", Qt::Horizontal, kMaxComponentBits, 1, 1);
  c.blueBitsValue = makeValueLabel(&dialog, "blueBitsValue");

  auto* wide = new QGridLayout;
  addWideSlider(*wide, 0, QStringLiteral("Качество"), c.quality, c.qualityValue);
  addWideSlider(*wide, 2, QStringLiteral("Степень сглаживания границ"), c.smoothing,
                c.smoothingValue);

  auto* bits = new QGridLayout;
  addBitsSlider(*bits, 0, QStringLiteral("Бит на составляющую"), false, c.commonBits,
                c.commonBitsValue);
  addBitsSlider(*bits, 1, QStringLiteral("Бит на красную"), true, c.redBits, c.redBitsValue);
  addBitsSlider(*bits, 2, QStringLiteral("Бит на зеленую"), true, c.greenBits, c.greenBitsValue);
  addBitsSlider(*bits, 3, QStringLiteral("Бит на синюю"), true, c.blueBits, c.blueBitsValue);

  c.preview = new QCheckBox(QStringLiteral("Предварительный просмотр"), &dialog);
  c.preview->setObjectName(QStringLiteral("previewCheck"));
  c.previewStats = new QLabel(&dialog);
  c.previewStats->setObjectName(QStringLiteral("previewStats"));
  c.previewStats->setWordWrap(true);
  c.previewStats->setMinimumHeight(2 * c.previewStats->fontMetrics().lineSpacing());
  c.previewStats->setAlignment(Qt::AlignLeft | Qt::AlignTop);

  c.chooseArea =
      makeButton(&dialog, "chooseAreaButton", QStringLiteral("Выбрать область просмотра"));
  c.restoreDefaults = makeButton(&dialog, "restoreDefaultsButton",
                                 QStringLiteral("Восстановить значения \"по умолчанию\""));
  c.storeDefaults = makeButton(&dialog, "storeDefaultsButton",
                               QStringLiteral("Задать значения \"по умолчанию\""));
  c.ok = makeButton(&dialog, "okButton", QStringLiteral("OK"));
  c.ok->setDefault(true);
  c.cancel = makeButton(&dialog, "cancelButton", QStringLiteral("Отмена"));

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(c.ok);
  buttons->addWidget(c.cancel);

  auto* page = new QVBoxLayout(&dialog);
  page->setSizeConstraint(QLayout::SetFixedSize);
  page->addLayout(wide);
  page->addWidget(makeSeparator(&dialog));
  page->addLayout(bits);
  page->addWidget(makeSeparator(&dialog));
  page->addWidget(c.preview);
  page->addWidget(c.previewStats);
  page->addLayout(makeAreaGroup(dialog, c));
  page->addWidget(c.chooseArea);
  page->addWidget(makeSeparator(&dialog));
  page->addWidget(c.restoreDefaults);
  page->addWidget(c.storeDefaults);
  page->addSpacing(6);
  page->addLayout(buttons);
  return c;
}

}  // namespace tq1::ui
