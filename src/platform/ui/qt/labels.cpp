#include "platform/ui/qt/labels.h"

#include <QLabel>

namespace ui {
namespace {

bool IsTextLabel(const DLGITEMTEMPLATE& item) {
  return item.kind == DlgItemKind::Static && (item.style & 0x1F) != SS_ICON;
}

bool IsField(const DLGITEMTEMPLATE& item) {
  return item.kind == DlgItemKind::Edit || item.kind == DlgItemKind::ComboBox;
}

}  // namespace

void LinkLabels(const DLGTEMPLATE& t, const std::vector<QWidget*>& controls) {
  for (std::size_t f = 0; f < t.itemCount; ++f) {
    const DLGITEMTEMPLATE& field = t.items[f];
    if (!IsField(field)) continue;
    // Left of the field's left edge and sharing some of its rows; the rightmost such label.
    std::size_t best = t.itemCount;
    for (std::size_t l = 0; l < t.itemCount; ++l) {
      const DLGITEMTEMPLATE& label = t.items[l];
      if (!IsTextLabel(label) || label.x >= field.x) continue;
      if (label.y >= field.y + field.cy || field.y >= label.y + label.cy) continue;
      if (best == t.itemCount || label.x > t.items[best].x) best = l;
    }
    if (best == t.itemCount) continue;
    if (auto* label = qobject_cast<QLabel*>(controls[best])) label->setBuddy(controls[f]);
  }
}

}  // namespace ui
