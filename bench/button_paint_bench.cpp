// What one paint of a command button costs, beside a plain QPushButton of the same size and
// font measured in the same run, in each look an operator sees: at rest, with the keyboard
// focus, and under the pointer. Both are painted through QWidget::render, the way the
// toolkit paints them on screen. With --save DIR, what each painted is written there as PNG.
#include <QApplication>
#include <QDir>
#include <QImage>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <iterator>
#include <vector>

#include "controls/XPButton.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr UINT IDD_BENCH = 9200;
constexpr int IDC_BENCH_BUTTON = 2100;

// One command button of the main window's size (36 x 14 dialog units) in its font.
const DLGITEMTEMPLATE kItems[] = {
    {IDC_BENCH_BUTTON, DlgItemKind::Button, "读卡", 4, 4, 36, 14, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON},
};
// clang-format off
const DLGTEMPLATE kDialog = {"bench", 90, 40, "宋体", 11, 400, 134,
                             WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT, 0,
                             kItems, std::size(kItems)};
// clang-format on
const DialogResource kDialogs[] = {{IDD_BENCH, &kDialog}};

class BenchDlg : public CDialog {
 public:
  BenchDlg() : CDialog(IDD_BENCH) {}
  CXPButton m_btn;

 protected:
  void DoDataExchange(CDataExchange* pDX) override { DDX_Control(pDX, IDC_BENCH_BUTTON, m_btn); }
};

// Microseconds per paint of each widget, and their ratio: batches of the two alternate, so
// both see the same load on a shared machine; each is the median over the batches.
struct Figures {
  double ours, anchor, ratio;
};

double BatchMicros(QWidget* w, QImage& image, int paints) {
  const Clock::time_point start = Clock::now();
  for (int i = 0; i < paints; ++i) w->render(&image);
  return std::chrono::duration<double, std::micro>(Clock::now() - start).count() / paints;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// `prepare` puts the look on the widget about to be painted (untimed): the focus, say,
// which the two cannot hold at once.
Figures Measure(QWidget* ours, QWidget* anchor, const std::function<void(QWidget*)>& prepare, QImage& image,
                int batches, int paints) {
  std::vector<double> a, b, ratios;
  for (int i = 0; i < batches; ++i) {
    prepare(ours);
    a.push_back(BatchMicros(ours, image, paints));
    prepare(anchor);
    b.push_back(BatchMicros(anchor, image, paints));
    ratios.push_back(a.back() / b.back());
  }
  return {Median(a), Median(b), Median(ratios)};
}

void Save(const char* dir, const QString& name, QWidget* w, QImage& image) {
  if (dir == nullptr) return;
  // Cleared first: the cut corners of the rounded button are not painted at all.
  image.fill(Qt::transparent);
  w->render(&image);
  image.save(QDir(dir).filePath(name + ".png"));
}

}  // namespace

int main(int argc, char** argv) {
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  int paints = 200;
  const char* saveDir = nullptr;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--save") == 0 && i + 1 < argc) saveDir = argv[++i];
    else paints = std::max(1, std::atoi(argv[i]));
  }
  QApplication application(argc, argv);
  AfxWinInit(argv[0]);
  AfxSetDialogResources(kDialogs, std::size(kDialogs));

  BenchDlg dlg;
  QTimer::singleShot(0, [&] {
    QWidget* ours = reinterpret_cast<QWidget*>(dlg.m_btn.m_hWnd);
    QPushButton plain(ours->parentWidget());
    plain.setText(ours->property("text").toString());
    plain.setAutoDefault(false);
    plain.setGeometry(ours->geometry().translated(ours->width() + 8, 0));
    plain.show();
    QImage image(ours->size(), QImage::Format_ARGB32_Premultiplied);
    // The keyboard focus shows only in the active window.
    ours->window()->activateWindow();
    if (!QTest::qWaitForWindowActive(ours->window())) std::printf("(the window never became active)\n");

    std::printf("One paint of a %dx%d button, microseconds (median of 15 batches of %d each, the\n"
                "two buttons taking turns; the ratio is the median of the batches' ratios).\n"
                "Goal: at most 1.3 times the plain button.\n\n",
                ours->width(), ours->height(), paints);
    std::printf("%-20s %-12s %-12s %s\n", "look", "brimlock", "QPushButton", "ratio");
    struct Look {
      const char* name;
      std::function<void(QWidget*)> prepare;
    };
    // clang-format off
    const Look looks[] = {
        {"at rest", [](QWidget* w) { w->clearFocus(); }},
        {"keyboard focus", [](QWidget* w) { w->setFocus(Qt::TabFocusReason); }},
        {"under the pointer", [&](QWidget* w) {
           w->clearFocus();
           if (w == ours) dlg.m_btn.SendMessage(WM_MOUSEHOVER, 0, 0);
           else w->setAttribute(Qt::WA_UnderMouse, true);
         }},
    };
    // clang-format on
    for (const Look& look : looks) {
      look.prepare(ours);
      Save(saveDir, QString("brimlock %1").arg(look.name), ours, image);
      look.prepare(&plain);
      Save(saveDir, QString("plain %1").arg(look.name), &plain, image);
      const Figures f = Measure(ours, &plain, look.prepare, image, 15, paints);
      std::printf("%-20s %-12.1f %-12.1f %.2f\n", look.name, f.ours, f.anchor, f.ratio);
    }
    dlg.EndDialog(IDCANCEL);
  });
  dlg.DoModal();
  return 0;
}
