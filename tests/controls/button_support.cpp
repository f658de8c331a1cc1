#include "button_support.h"

#include <QApplication>
#include <QPainter>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <iterator>

#include "platform/gdi/qt/bridge.h"
#include "resources/resource.h"

Picture Paint(int width, int height, COLORREF fill, const std::function<void(CDC*)>& draw) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(QColor(GetRValue(fill), GetGValue(fill), GetBValue(fill)));
  QPainter painter(&image);
  gdi::PaintContext context(painter);
  draw(CDC::FromHandle(context.hdc()));
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

// clang-format off
const DLGTEMPLATE kTestDialog = {
    "按钮", 140, 56, "宋体", 11, 400, 134,
    WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT, 0,
    kItems, std::size(kItems)};
// clang-format on

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
