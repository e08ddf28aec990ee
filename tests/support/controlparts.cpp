#include "support/controlparts.h"

#include <QAbstractSlider>
#include <QSlider>
#include <QSpinBox>
#include <QStyleOptionSlider>
#include <QStyleOptionSpinBox>

QRect PartOf(const QAbstractSlider* control, QStyle::SubControl part) {
  QStyleOptionSlider option;
  option.initFrom(control);
  option.subControls = QStyle::SC_None;
  option.activeSubControls = QStyle::SC_None;
  option.orientation = control->orientation();
  option.minimum = control->minimum();
  option.maximum = control->maximum();
  option.sliderPosition = control->sliderPosition();
  option.sliderValue = control->value();
  option.singleStep = control->singleStep();
  option.pageStep = control->pageStep();
  if (control->orientation() == Qt::Horizontal)
    option.state |= QStyle::State_Horizontal;
  QStyle::ComplexControl kind = QStyle::CC_ScrollBar;
  if (const auto* slider = qobject_cast<const QSlider*>(control)) {
    kind = QStyle::CC_Slider;
    option.tickPosition = slider->tickPosition();
    option.tickInterval = slider->tickInterval();
    option.upsideDown = control->orientation() == Qt::Horizontal
                            ? control->invertedAppearance() != (option.direction == Qt::RightToLeft)
                            : !control->invertedAppearance();
    option.direction = Qt::LeftToRight;  // the slider mirrors by upsideDown instead
  } else {
    option.upsideDown = control->invertedAppearance();
  }
  return control->style()->subControlRect(kind, &option, part, control);
}

QRect PartOf(const QSpinBox* control, QStyle::SubControl part) {
  QStyleOptionSpinBox option;
  option.initFrom(control);
  option.buttonSymbols = control->buttonSymbols();
  option.subControls = QStyle::SC_SpinBoxEditField | QStyle::SC_SpinBoxFrame |
                       QStyle::SC_SpinBoxUp | QStyle::SC_SpinBoxDown;
  option.stepEnabled = QAbstractSpinBox::StepUpEnabled | QAbstractSpinBox::StepDownEnabled;
  option.frame = control->hasFrame();
  return control->style()->subControlRect(QStyle::CC_SpinBox, &option, part, control);
}

QRect ThumbOf(const QAbstractSlider* control) {
  return PartOf(control, qobject_cast<const QSlider*>(control) ? QStyle::SC_SliderHandle
                                                               : QStyle::SC_ScrollBarSlider);
}
