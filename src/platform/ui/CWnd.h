#pragma once
// A window of the program: the framework's view of one toolkit window. The message path,
// attaching and data exchange are shared (CWnd.cpp); the calls on the window itself are
// the toolkit's (qt/window.cpp, win32/window.cpp), behind the seam in window_backend.h.
#include <memory>

#include "platform/gdi/afxgdi.h"
#include "platform/text/CString.h"
#include "platform/ui/msgmap.h"

class CMenu;
class CDialog;

using HCURSOR = HICON;

class CWnd : public CCmdTarget {
 public:
  CWnd();
  ~CWnd() override;
  CWnd(const CWnd&) = delete;
  CWnd& operator=(const CWnd&) = delete;

  HWND m_hWnd = nullptr;
  // The object attached to a widget; a temporary one is made for a widget nobody attached.
  static CWnd* FromHandle(HWND hWnd);

  // Texts are code page 936; the widget holds them as Unicode.
  void SetWindowText(LPCSTR text);
  void GetWindowText(CString& text) const;
  int GetWindowText(LPSTR buffer, int maxCount) const;

  BOOL EnableWindow(BOOL enable = TRUE);
  BOOL IsWindowEnabled() const;
  BOOL ShowWindow(int cmdShow);
  BOOL IsWindowVisible() const;
  CWnd* SetFocus();
  static CWnd* GetFocus();
  CWnd* GetDlgItem(int id) const;
  int GetDlgCtrlID() const;
  BOOL IsIconic() const;
  void GetClientRect(LPRECT rect) const;
  CFont* GetFont() const;

  DWORD GetStyle() const { return m_style; }
  BOOL ModifyStyle(DWORD remove, DWORD add, UINT flags = 0);
  int SetWindowRgn(CRgn* region, BOOL redraw);
  void InvalidateRect(LPCRECT rect, BOOL erase = TRUE);
  void UpdateWindow();

  HICON SetIcon(HICON icon, BOOL bigIcon);
  CMenu* GetSystemMenu(BOOL revert);

  int MessageBox(LPCSTR text, LPCSTR caption = nullptr, UINT type = MB_OK);

  LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

  // Attaches this object to the dialog's child with the given id.
  BOOL SubclassDlgItem(UINT id, CWnd* parent);
  virtual BOOL DestroyWindow();

  // The whole message path: map first, then the default handling.
  virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
  virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
  virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
  BOOL OnCmdMsg(UINT id, int code) override;
  // Passes the message being handled on to the default handling.
  LRESULT Default();

 protected:
  virtual void PreSubclassWindow() {}
  void OnSysCommand(UINT id, LPARAM param);
  void OnPaint();

  friend class CDialog;
  void Attach(HWND hWnd);
  void Detach();

  DWORD m_style = 0;
  UINT m_id = 0;

 private:
  struct Current {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
  };
  Current m_current{};
  std::unique_ptr<CMenu> m_systemMenu;
  HICON m_icons[2] = {nullptr, nullptr};
};
