#pragma once
// Choosing an item of the picture's context menu as the user would: as an
// event, so that what it throws is shown as the user would see it.

#include <QString>

class QWidget;

// Triggers the action of picture called text; a missing one fails the test.
void ChoosePictureMenuItem(QWidget* picture, const QString& text);
