// The About box and its credits.
#include "ui/AboutDialog.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSysInfo>
#include <QVBoxLayout>

#include "ui/AppTitle.h"
#include "ui/UiResources.h"
#include "ui/WindowPlaces.h"

namespace tq1::ui {
namespace {

QLabel* makeLabel(const QString& text, const char* name = nullptr) {
  auto* label = new QLabel(text);
  if (name != nullptr) label->setObjectName(QLatin1String(name));
  return label;
}

QFrame* makeLine(QFrame::Shape shape) {
  auto* line = new QFrame;
  line->setFrameShape(shape);
  line->setFrameShadow(QFrame::Sunken);
  return line;
}

// Three roles in rows, the names in the middle column and contacts on the right, the columns
// parted by sunken lines.
QGridLayout* makeCredits() {
  auto* grid = new QGridLayout;
  grid->setHorizontalSpacing(10);
  grid->addWidget(makeLabel(QStringLiteral("Алгоритм:"), "algorithmRole"), 0, 0);
  grid->addWidget(makeLabel(QStringLiteral("Реализация:"), "implementationRole"), 1, 0);
  grid->addWidget(makeLabel(QStringLiteral("Интерфейс:"), "interfaceRole"), 2, 0);
  grid->addWidget(makeLine(QFrame::VLine), 0, 1, 4, 1);
  grid->addWidget(makeLabel(QStringLiteral("Группа кодека tq1")), 0, 2);
  grid->addWidget(makeLabel(QStringLiteral("Команда tq1")), 1, 2);
  grid->addWidget(makeLabel(QStringLiteral("Группа интерфейса tq1")), 2, 2);
  grid->addWidget(makeLabel(QStringLiteral("Участники проекта tq1")), 3, 2);
  grid->addWidget(makeLine(QFrame::VLine), 0, 3, 4, 1);
  grid->addWidget(makeLabel(QStringLiteral("tq1-codec@example.org")), 0, 4);
  grid->addWidget(makeLabel(QStringLiteral("tq1-interface@example.org")), 2, 4);
  return grid;
}

// "По всем вопросам:" with an address and a web page, and the picture beside them.
QHBoxLayout* makeContacts() {
  auto* lines = new QVBoxLayout;
  lines->addWidget(makeLabel(QStringLiteral("По всем вопросам:")));
  auto* mail = makeLabel(QStringLiteral("tq1@example.org"), "contactAddress");
  auto* page = makeLabel(QStringLiteral("https://example.org/tq1/"), "contactPage");
  for (QLabel* label : {mail, page}) {
    label->setIndent(10);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
  }
  lines->addWidget(mail);
  lines->addWidget(page);
  auto* picture = new QLabel;
  picture->setObjectName(QStringLiteral("aboutPicture"));
  picture->setPixmap(aboutPicture());
  auto* row = new QHBoxLayout;
  row->addLayout(lines);
  row->addStretch();
  row->addWidget(picture, 0, Qt::AlignBottom);
  return row;
}

}  // namespace

QString aboutProductLine() {
  return QStringLiteral("%1 %2 (сборка Qt %3, %4)")
      .arg(kAppTitle, appVersion(), QStringLiteral(QT_VERSION_STR),
           QSysInfo::buildCpuArchitecture());
}

AboutDialog::AboutDialog(const SettingsStore& store, QWidget* owner)
    : QDialog(owner), store_(store) {
  setObjectName(QStringLiteral("ABOUT"));
  setWindowTitle(QStringLiteral("О программе ") + kAppTitle);

  auto* icon = new QLabel;
  icon->setPixmap(mainIcon().pixmap(32, 32));
  auto* header = new QHBoxLayout;
  header->addWidget(icon);
  header->addWidget(makeLabel(aboutProductLine(), "productLine"), 1);

  auto* frame = new QFrame;
  frame->setObjectName(QStringLiteral("creditsFrame"));
  frame->setFrameStyle(QFrame::Box | QFrame::Sunken);
  auto* inside = new QVBoxLayout(frame);
  inside->addLayout(makeCredits());
  inside->addWidget(makeLine(QFrame::HLine));
  inside->addLayout(makeContacts());

  auto* ok = new QPushButton(QStringLiteral("OK"));
  ok->setObjectName(QStringLiteral("okButton"));
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok);

  auto* page = new QVBoxLayout(this);
  page->setSizeConstraint(QLayout::SetFixedSize);
  page->addLayout(header);
  page->addWidget(frame);
  page->addLayout(buttons);
  adjustSize();
  restoreDialogPlace(store_, WindowKey::About, *this);
}

// OK, Escape and the close box store the box's place, where it reopens next time.
void AboutDialog::done(int result) {
  storeWindowPlace(store_, WindowKey::About, *this);
  QDialog::done(result);
}

}  // namespace tq1::ui
