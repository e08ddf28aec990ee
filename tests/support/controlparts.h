#pragma once
// Where the parts of a scroll bar, slider or spin box are drawn, so that
// tests can press them as a user would: the style's option is filled as the
// controls fill it themselves (their initStyleOption is protected).

#include <QRect>
#include <QStyle>

class QAbstractSlider;
class QSpinBox;

// The part's rectangle in the control's own coordinates; empty when the style
// does not draw that part (a trough with the thumb at its end).
QRect PartOf(const QAbstractSlider* control, QStyle::SubControl part);
QRect PartOf(const QSpinBox* control, QStyle::SubControl part);

// The scroll bar's thumb or the slider's handle.
QRect ThumbOf(const QAbstractSlider* control);
