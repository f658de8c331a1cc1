#pragma once
// The command button under test: its state open to the tests, the notices it handles
// counted, pictures of it drawn offscreen, and a small dialog that hosts two of them.
#include <QImage>
#include <QWidget>

#include <functional>
#include <string>

#include "controls/XPButton.h"

class ProbeButton : public CXPButton {
 public:
  using CXPButton::DrawHighlightFrame;
  using CXPButton::FillFaceGradient;
  using CXPButton::m_bEngaged;
  using CXPButton::m_bHasFocus;
  using CXPButton::m_bMouseOver;
  using CXPButton::m_bTrackingMouse;

  int erases = 0;
  int hovers = 0;
  int leaves = 0;
  int paints = 0;
  UINT lastItemState = 0;

  void DrawItem(LPDRAWITEMSTRUCT lpDrawItemStruct) override;

 protected:
  // Counted on the way to the button's own handlers.
  BOOL OnEraseBkgnd(CDC* pDC);
  LRESULT OnMouseHover(WPARAM wParam, LPARAM lParam);
  LRESULT OnMouseLeave(WPARAM wParam, LPARAM lParam);
  DECLARE_MESSAGE_MAP()
};

// Platform colours, as the tests compare them.
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBackground = RGB(0, 128, 128);  // a colour the button never paints
constexpr COLORREF kHotLeft = RGB(250, 196, 88);
constexpr COLORREF kHotRight = RGB(251, 202, 106);
constexpr COLORREF kHotTop = RGB(252, 210, 121);
constexpr COLORREF kHotBottom = RGB(229, 151, 0);
constexpr COLORREF kFocusLeft = RGB(153, 198, 252);
constexpr COLORREF kFocusRight = RGB(162, 189, 252);
constexpr COLORREF kFocusTopBottom = RGB(162, 201, 255);

constexpr COLORREF Inverted(COLORREF c) { return c ^ 0x00FFFFFF; }

// The face's brush k for the pointer and engaged flags, from the look table.
COLORREF FaceColour(bool mouseOver, bool engaged, int k);

// The button's DrawItem on a fresh width x height picture filled with kBackground.
QImage Render(CXPButton& button, int width, int height, UINT itemState);
COLORREF At(const QImage& image, int x, int y);

// Bounding box of the pixels of one colour inside a rectangle; empty when there are none.
QRect BoxOf(const QImage& image, COLORREF colour, QRect within);

constexpr UINT IDD_XP_TEST = 9100;
constexpr int IDC_GO_BUTTON = 2001;
constexpr int IDC_OTHER_BUTTON = 2002;
constexpr int IDC_NOTE_EDIT = 2003;
void RegisterTestDialog();

// Two command buttons and an edit, with the clicks counted.
class ButtonDialog : public CDialog {
 public:
  ButtonDialog() : CDialog(IDD_XP_TEST) {}
  ProbeButton m_btnGo;
  ProbeButton m_btnOther;
  CEdit m_editNote;
  int goClicks = 0;
  int otherClicks = 0;

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  void OnBnClickedGo() { ++goClicks; }
  void OnBnClickedOther() { ++otherClicks; }
  DECLARE_MESSAGE_MAP()
};

QWidget* WidgetOf(const CWnd& window);
// Runs the dialog modally with `script` acting on it once it is up and active, then Cancel.
void RunModal(CDialog& dialog, const std::function<void()>& script);
