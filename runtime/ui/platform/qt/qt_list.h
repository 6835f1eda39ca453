#pragma once
// The report list's view, for tests that click on it: where a row's checkbox is drawn,
// in the coordinates of the view's viewport.
#include <QRect>
#include <QWidget>

QRect ListCheckboxRect(QWidget* list, int row);
