// The start-up anchor: the barest Qt dialog program of the same kind as ours, a line edit
// and three buttons, shown modal until it is closed.
#include <QApplication>
#include <QDialog>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

int main(int argc, char** argv) {
  QApplication application(argc, argv);
  QDialog dialog;
  dialog.setWindowTitle("Anchor");
  auto* column = new QVBoxLayout(&dialog);
  column->addWidget(new QLineEdit);
  auto* row = new QHBoxLayout;
  row->addWidget(new QPushButton("Read"));
  row->addWidget(new QPushButton("Write"));
  row->addWidget(new QPushButton("Reset"));
  column->addLayout(row);
  dialog.exec();
  return 0;
}
