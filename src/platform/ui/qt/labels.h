#pragma once
// Screen readers name a field by the label in front of it.
#include <QWidget>

#include <vector>

#include "platform/ui/dlgtemplate.h"

namespace ui {

// Gives every edit and combo box of a dialog the text label that stands nearest before it
// on its line as its buddy: the label's text becomes the field's accessible name, and the
// label is listed as labelling it. `controls` holds the widgets of t.items, in that order.
void LinkLabels(const DLGTEMPLATE& t, const std::vector<QWidget*>& controls);

}  // namespace ui
