#pragma once
// The command button under test drawn offscreen, and a small dialog that hosts two of them.
#include <QImage>
#include <QWidget>

#include <functional>
#include <string>

#include "probe_button.h"

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
