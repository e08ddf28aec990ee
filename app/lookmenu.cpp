#include "app/lookmenu.h"

#include <cmath>

#include <QAction>
#include <QActionGroup>
#include <QInputDialog>
#include <QLineEdit>
#include <QMenu>
#include <QWidget>

#include "app/colourrangetext.h"
#include "objects/colourmaps.h"
#include "view/handlerguard.h"

namespace {

constexpr double kScales[] = {0.25, 0.5, 1.0, 2.0, 4.0, 8.0};

// The colour ranges the menu offers at once: the data's own and two that
// leave a few stray values out.
struct ListedRange {
  const char* title;
  ColourRange range;
};
const ListedRange kRanges[] = {
    {"Full", ColourRange{}},
    {"2–98 %", ColourRange{ColourRange::Kind::kPercentiles, 2.0, 98.0}},
    {"0.5–99.5 %", ColourRange{ColourRange::Kind::kPercentiles, 0.5, 99.5}},
};

}  // namespace

TLookMenu::TLookMenu(QWidget* parent) : QObject(parent), parent(parent) {
  auto* mapMenu = new QMenu(parent);
  maps = new QActionGroup(this);
  for (const ColourMapName& map : kColourMaps) {
    QAction* item = mapMenu->addAction(
        QString::fromUtf8(map.title.data(), static_cast<qsizetype>(map.title.size())));
    item->setCheckable(true);
    item->setData(static_cast<int>(map.kind));
    maps->addAction(item);
  }
  mapMenu->addSeparator();
  volumeColours = mapMenu->addAction(QStringLiteral("Colours of the data"));
  volumeColours->setCheckable(true);
  colours = new QAction(QStringLiteral("Colours"), this);
  colours->setMenu(mapMenu);

  light = new QAction(QStringLiteral("Light"), this);
  light->setCheckable(true);
  light->setShortcut(QKeySequence(Qt::Key_L));
  lightAllSides = new QAction(QStringLiteral("Light from all sides"), this);
  lightAllSides->setCheckable(true);
  colourBar = new QAction(QStringLiteral("Colour bar"), this);
  colourBar->setCheckable(true);
  colourBar->setShortcut(QKeySequence(Qt::Key_K));
  axes = new QAction(QStringLiteral("Axes"), this);
  axes->setCheckable(true);
  axes->setShortcut(QKeySequence(Qt::Key_A));
  slope = new QAction(QStringLiteral("Slope and aspect"), this);
  slope->setCheckable(true);

  auto* scaleMenu = new QMenu(parent);
  scales = new QActionGroup(this);
  for (const double s : kScales) {
    QAction* item = scaleMenu->addAction(QStringLiteral("×%1").arg(s));
    item->setCheckable(true);
    item->setData(s);
    scales->addAction(item);
  }
  otherScale = scaleMenu->addAction(QStringLiteral("Other…"));
  otherScale->setCheckable(true);
  scales->addAction(otherScale);
  scale = new QAction(QStringLiteral("Vertical scale"), this);
  scale->setMenu(scaleMenu);

  auto* rangeMenu = new QMenu(parent);
  ranges = new QActionGroup(this);
  for (const ListedRange& listed : kRanges) {
    QAction* item = rangeMenu->addAction(QString::fromUtf8(listed.title));
    item->setCheckable(true);
    item->setData(ColourRangeText(listed.range));
    ranges->addAction(item);
  }
  otherRange = rangeMenu->addAction(QStringLiteral("Other…"));
  otherRange->setCheckable(true);
  ranges->addAction(otherRange);
  rangeMenu->addSeparator();
  logColours = rangeMenu->addAction(QStringLiteral("Logarithmic colours"));
  logColours->setCheckable(true);
  range = new QAction(QStringLiteral("Colour range"), this);
  range->setMenu(rangeMenu);
  connect(logColours, &QAction::triggered, this, [this] { Change(); });
  connect(ranges, &QActionGroup::triggered, this, [this](QAction* item) {
    if (item == otherRange)
      AskRange();
    else
      Change();
  });

  auto* smoothMenu = new QMenu(parent);
  smoothness = new QActionGroup(this);
  for (int n = 1; n <= PictureLook::kMaxAntialias; ++n) {
    QAction* item = smoothMenu->addAction(n == 1 ? QStringLiteral("Off")
                                                 : QStringLiteral("%1 × %1 samples").arg(n));
    item->setCheckable(true);
    item->setData(n);
    smoothness->addAction(item);
  }
  smooth = new QAction(QStringLiteral("Smooth edges"), this);
  smooth->setMenu(smoothMenu);

  auto* contourMenu = new QMenu(parent);
  contourChoices = new QActionGroup(this);
  contoursOff = contourMenu->addAction(QStringLiteral("Off"));
  contoursAuto = contourMenu->addAction(QStringLiteral("At the colour bar's values"));
  contourStep = contourMenu->addAction(QStringLiteral("Every…"));
  for (QAction* item : {contoursOff, contoursAuto, contourStep}) {
    item->setCheckable(true);
    contourChoices->addAction(item);
  }
  contourMenu->addSeparator();
  contourLabels = contourMenu->addAction(QStringLiteral("Their values"));
  contourLabels->setCheckable(true);
  connect(contourLabels, &QAction::triggered, this, [this] { Change(); });
  contours = new QAction(QStringLiteral("Contour lines"), this);
  contours->setMenu(contourMenu);

  // The keys work wherever the main window has the focus.
  parent->addActions({light, colourBar, axes});
  for (QAction* toggle : {light, lightAllSides, colourBar, axes, slope, volumeColours})
    connect(toggle, &QAction::triggered, this, [this] { Change(); });
  connect(maps, &QActionGroup::triggered, this, [this] { Change(); });
  connect(smoothness, &QActionGroup::triggered, this, [this] { Change(); });
  connect(contourChoices, &QActionGroup::triggered, this, [this](QAction* item) {
    if (item == contourStep)
      AskContourStep();
    else
      Change();
  });
  connect(scales, &QActionGroup::triggered, this, [this](QAction* item) {
    if (item == otherScale)
      AskScale();
    else
      Change();
  });
  SetLook(look);
}

QList<QAction*> TLookMenu::Actions() const {
  return {colours, range, light, lightAllSides, colourBar, axes, slope, scale, smooth, contours};
}

void TLookMenu::SetLook(const PictureLook& l) {
  look = l;
  for (QAction* item : maps->actions())
    item->setChecked(item->data().toInt() == static_cast<int>(look.colourMap));
  bool listed = false;
  for (QAction* item : scales->actions()) {
    const bool here = item != otherScale && item->data().toDouble() == look.zScale;
    listed = listed || here;
    item->setChecked(here);
  }
  otherScale->setChecked(!listed);
  otherScale->setText(listed ? QStringLiteral("Other…")
                             : QStringLiteral("Other (×%1)…").arg(look.zScale));
  for (QAction* item : smoothness->actions())
    item->setChecked(item->data().toInt() == look.antialias);
  contoursOff->setChecked(!look.contours);
  contoursAuto->setChecked(look.contours && look.contourStep <= 0.0);
  contourStep->setChecked(look.contours && look.contourStep > 0.0);
  contourLabels->setChecked(look.contourLabels);
  contourStep->setText(contourStep->isChecked() ? QStringLiteral("Every %1…").arg(look.contourStep)
                                                : QStringLiteral("Every…"));
  light->setChecked(look.light);
  lightAllSides->setChecked(look.lightSource.allSides);
  colourBar->setChecked(look.colourBar);
  axes->setChecked(look.axes);
  slope->setChecked(look.slope);
  volumeColours->setChecked(look.volumeColours);
  const QString rangeText = ColourRangeText(look.colourRange);
  bool rangeListed = false;
  for (QAction* item : ranges->actions()) {
    const bool here = item != otherRange && item->data().toString() == rangeText;
    rangeListed = rangeListed || here;
    item->setChecked(here);
  }
  otherRange->setChecked(!rangeListed);
  otherRange->setText(rangeListed ? QStringLiteral("Other…")
                                  : QStringLiteral("Other (%1)…").arg(rangeText));
  logColours->setChecked(look.logColours);
}

void TLookMenu::AskRange() {
  QString text = ColourRangeText(look.colourRange);
  // Asked again until the text reads or the user gives up.
  for (QString wrong;;) {
    bool ok = false;
    text = QInputDialog::getText(
        parent, QStringLiteral("Colour range"),
        wrong + QStringLiteral("Values LOW,HIGH, percentiles P1%,P2% or full:"), QLineEdit::Normal,
        text, &ok);
    if (!ok) {
      SetLook(look);  // back to what was checked
      return;
    }
    const auto read = ReadColourRange(text);
    if (const ColourRange* chosen = std::get_if<ColourRange>(&read)) {
      PictureLook next = look;
      next.colourRange = *chosen;
      SetLook(next);
      if (changed)
        RunHandler([this] { changed(look); });
      return;
    }
    wrong = std::get<QString>(read) + QLatin1Char('\n');
  }
}

void TLookMenu::AskScale() {
  bool ok = false;
  const double s = QInputDialog::getDouble(parent, QStringLiteral("Vertical scale"),
                                           QStringLiteral("Heights times (%1 to %2):")
                                               .arg(PictureLook::kMinZScale)
                                               .arg(PictureLook::kMaxZScale),
                                           look.zScale, PictureLook::kMinZScale,
                                           PictureLook::kMaxZScale, 2, &ok);
  if (ok) {
    PictureLook next = look;
    next.zScale = s;
    SetLook(next);
    if (changed)
      RunHandler([this] { changed(look); });
  } else {
    SetLook(look);  // back to what was checked
  }
}

void TLookMenu::AskContourStep() {
  bool accepted = false;
  const QString text = QInputDialog::getText(
      parent, QStringLiteral("Contour lines"),
      QStringLiteral("A line at every multiple of (in the data's values):"), QLineEdit::Normal,
      look.contourStep > 0.0 ? QString::number(look.contourStep) : QString(), &accepted);
  bool number = false;
  const double step = text.trimmed().toDouble(&number);
  if (accepted && number && std::isfinite(step) && step > 0.0) {
    PictureLook next = look;
    next.contours = true;
    next.contourStep = step;
    SetLook(next);
    if (changed)
      RunHandler([this] { changed(look); });
  } else {
    SetLook(look);  // back to what was checked
  }
}

void TLookMenu::Change() {
  PictureLook next = look;
  if (QAction* map = maps->checkedAction())
    next.colourMap = static_cast<ColourMapKind>(map->data().toInt());
  if (QAction* item = scales->checkedAction(); item && item != otherScale)
    next.zScale = item->data().toDouble();
  // Choosing the light from all sides switches the light on; the light
  // switched off keeps where it comes from.
  next.lightSource.allSides = lightAllSides->isChecked();
  next.light = light->isChecked() || (next.lightSource.allSides && !look.lightSource.allSides);
  if (QAction* item = smoothness->checkedAction())
    next.antialias = item->data().toInt();
  next.colourBar = colourBar->isChecked();
  next.axes = axes->isChecked();
  next.slope = slope->isChecked();
  next.volumeColours = volumeColours->isChecked();
  next.contours = !contoursOff->isChecked();
  next.contourLabels = contourLabels->isChecked();
  if (contoursAuto->isChecked())
    next.contourStep = 0.0;
  if (QAction* item = ranges->checkedAction(); item && item != otherRange)
    next.colourRange = std::get<ColourRange>(ReadColourRange(item->data().toString()));
  next.logColours = logColours->isChecked();
  SetLook(next);
  if (changed)
    RunHandler([this] { changed(look); });
}
