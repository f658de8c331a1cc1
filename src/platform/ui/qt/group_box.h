#pragma once
// The template's group box on Qt: its frame and caption only, as the platform draws it.
#include <QGroupBox>

namespace ui {

// The platform's group box is drawn transparently: nothing of it lies over what it frames.
// The toolkit's box fills its inside with a translucent tint, and since the template puts
// the box above the controls it frames (the order screen readers and tabbing follow), that
// tint would darken every pixel they paint. This one leaves its inside, and every sibling
// control, unpainted.
class FrameOnlyGroupBox final : public QGroupBox {
 public:
  using QGroupBox::QGroupBox;

 protected:
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace ui
