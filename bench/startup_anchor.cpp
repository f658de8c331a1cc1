// The start-up anchor: the barest Qt dialog program of the same kind as ours, a line edit
// and three buttons, shown modal until it is closed. With --window-text the buttons carry
// the window's own captions in its font, so the comparison leaves out what showing Chinese
// text costs any program (the font file's pages above all).
#include <QApplication>
#include <QDialog>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  const bool windowText = argc > 1 && QString::fromLocal8Bit(argv[1]) == "--window-text";
  QDialog dialog;
  dialog.setWindowTitle("Anchor");
  if (windowText) {
    QFont font("AR PL UMing CN");
    font.setPixelSize(15);  // 11 points at 96 dots per inch, as the window's template asks
    font.setStyleStrategy(QFont::NoAntialias);
    dialog.setFont(font);
  }
  auto* column = new QVBoxLayout(&dialog);
  column->addWidget(new QLineEdit);
  auto* row = new QHBoxLayout;
  row->addWidget(new QPushButton(windowText ? QString::fromUtf8("复位") : "Reset"));
  row->addWidget(new QPushButton(windowText ? QString::fromUtf8("读卡") : "Read"));
  row->addWidget(new QPushButton(windowText ? QString::fromUtf8("写卡") : "Write"));
  column->addLayout(row);
  dialog.exec();
  return 0;
}
