#include "button_support.h"

#include <QApplication>
#include <QPainter>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <iterator>

#include "platform/gdi/qt_bridge.h"
#include "resources/resource.h"

BEGIN_MESSAGE_MAP(ProbeButton, CXPButton)
  ON_WM_ERASEBKGND()
  ON_MESSAGE(WM_MOUSEHOVER, OnMouseHover)
  ON_MESSAGE(WM_MOUSELEAVE, OnMouseLeave)
END_MESSAGE_MAP()

BOOL ProbeButton::OnEraseBkgnd(CDC* pDC) {
  // Only counted when the paint's context came along with it.
  if (pDC != nullptr && pDC->GetSafeHdc() != nullptr) ++erases;
  return CXPButton::OnEraseBkgnd(pDC);
}

LRESULT ProbeButton::OnMouseHover(WPARAM wParam, LPARAM lParam) {
  ++hovers;
  return CXPButton::OnMouseHover(wParam, lParam);
}

LRESULT ProbeButton::OnMouseLeave(WPARAM wParam, LPARAM lParam) {
  ++leaves;
  return CXPButton::OnMouseLeave(wParam, lParam);
}

void ProbeButton::DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) {
  ++paints;
  lastItemState = lpDrawItemStruct->itemState;
  CXPButton::DrawItem(lpDrawItemStruct);
}

COLORREF FaceColour(bool mouseOver, bool engaged, int k) {
  if (!mouseOver) return engaged ? RGB(255 - k / 3, 255 - k / 3, 255 - k / 4) : RGB(255 - k / 3, 255 - k / 3, 255 - k / 5);
  return engaged ? RGB(255 - k / 4, 255 - k / 4, 255 - k / 3) : RGB(255 - k / 4, 255 - k / 4, 255 - k / 5);
}

QImage Render(CXPButton& button, int width, int height, UINT itemState) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(QColor(GetRValue(kBackground), GetGValue(kBackground), GetBValue(kBackground)));
  QPainter painter(&image);
  gdi::PaintContext context(painter);
  DRAWITEMSTRUCT dis{};
  dis.CtlType = ODT_BUTTON;
  dis.itemAction = ODA_DRAWENTIRE;
  dis.itemState = itemState;
  dis.hwndItem = button.m_hWnd;
  dis.hDC = context.hdc();
  dis.rcItem = {0, 0, width, height};
  button.DrawItem(&dis);
  return image;
}

COLORREF At(const QImage& image, int x, int y) {
  const QRgb c = image.pixel(x, y);
  return RGB(qRed(c), qGreen(c), qBlue(c));
}

QRect BoxOf(const QImage& image, COLORREF colour, QRect within) {
  QRect box;
  for (int y = within.top(); y <= within.bottom(); ++y) {
    for (int x = within.left(); x <= within.right(); ++x) {
      if (At(image, x, y) == colour) box |= QRect(x, y, 1, 1);
    }
  }
  return box;
}

namespace {

constexpr DWORD kButton = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON;

const DLGITEMTEMPLATE kItems[] = {
    {IDC_NOTE_EDIT, DlgItemKind::Edit, "", 10, 34, 100, 14, WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_BORDER},
    {IDC_GO_BUTTON, DlgItemKind::Button, "执行", 10, 10, 50, 14, kButton},
    {IDC_OTHER_BUTTON, DlgItemKind::Button, "其他", 70, 10, 50, 14, kButton},
};

const DLGTEMPLATE kTestDialog = {
    "按钮", 140, 56, "宋体", 11, 400, 134,
    WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT, 0,
    kItems, std::size(kItems)};

DialogResource g_dialogs[3];

}  // namespace

void RegisterTestDialog() {
  // The program's own templates stay findable next to the test's.
  g_dialogs[0] = {IDD_XP_TEST, &kTestDialog};
  g_dialogs[1] = {IDD_MAIN_DIALOG, AfxFindDialogResource(IDD_MAIN_DIALOG)};
  g_dialogs[2] = {IDD_ABOUTBOX, AfxFindDialogResource(IDD_ABOUTBOX)};
  AfxSetDialogResources(g_dialogs, std::size(g_dialogs));
}

BEGIN_MESSAGE_MAP(ButtonDialog, CDialog)
  ON_BN_CLICKED(IDC_GO_BUTTON, OnBnClickedGo)
  ON_BN_CLICKED(IDC_OTHER_BUTTON, OnBnClickedOther)
END_MESSAGE_MAP()

void ButtonDialog::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  DDX_Control(pDX, IDC_GO_BUTTON, m_btnGo);
  DDX_Control(pDX, IDC_OTHER_BUTTON, m_btnOther);
  DDX_Control(pDX, IDC_NOTE_EDIT, m_editNote);
}

QWidget* WidgetOf(const CWnd& window) { return reinterpret_cast<QWidget*>(window.m_hWnd); }

void RunModal(CDialog& dialog, const std::function<void()>& script) {
  QTimer::singleShot(0, [&dialog, &script] {
    QWidget* window = WidgetOf(dialog);
    window->activateWindow();
    if (QTest::qWaitForWindowActive(window)) {
      script();
    } else {
      ADD_FAILURE() << "the dialog never became the active window";
    }
    if (dialog.m_hWnd != nullptr && WidgetOf(dialog)->isVisible()) dialog.EndDialog(IDCANCEL);
  });
  dialog.DoModal();
}
