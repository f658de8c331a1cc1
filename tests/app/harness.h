#pragma once
// Drives the real main window in-process: the dialog runs modally on the offscreen
// platform while a script acts on it, and message boxes are recorded and dismissed.
#include <QMessageBox>
#include <QWidget>

#include <functional>
#include <string>
#include <vector>

#include "app/BrimlockApp.h"
#include "encoder-sim/PtyPeer.h"
#include "dialog/BrimlockDlg.h"

// The main dialog with its handlers and members open to the tests.
class TestDlg : public CBrimlockDlg {
 public:
  explicit TestDlg(bool bTicketPanel = false) : CBrimlockDlg(theApp.m_pConnection, bTicketPanel) {}
  using CBrimlockDlg::m_bReadOk;
  using CBrimlockDlg::m_btnNext;
  using CBrimlockDlg::m_btnPrev;
  using CBrimlockDlg::m_btnQuery;
  using CBrimlockDlg::m_btnRead;
  using CBrimlockDlg::m_btnReset;
  using CBrimlockDlg::m_btnWrite;
  using CBrimlockDlg::m_checkUseLookup;
  using CBrimlockDlg::m_comboPort;
  using CBrimlockDlg::m_editCardNo;
  using CBrimlockDlg::m_editHiddenCode;
  using CBrimlockDlg::m_editTicket;
  using CBrimlockDlg::m_editTrack1;
  using CBrimlockDlg::m_editTrack2;
  using CBrimlockDlg::m_hComm;
  using CBrimlockDlg::m_pRecordset;
  using CBrimlockDlg::m_strPortName;
  using CBrimlockDlg::OnBnClickedNextButton;
  using CBrimlockDlg::OnBnClickedPrevButton;
  using CBrimlockDlg::OnBnClickedQueryButton;
  using CBrimlockDlg::OnBnClickedReadButton;
  using CBrimlockDlg::OnBnClickedResetButton;
  using CBrimlockDlg::OnBnClickedWriteButton;
  using CBrimlockDlg::OpenPort;
  using CBrimlockDlg::SendFrame;

  // Counts the closing sequence's runs.
  int destroyCount = 0;
  BOOL DestroyWindow() override {
    ++destroyCount;
    return CBrimlockDlg::DestroyWindow();
  }
};

// Runs the dialog; `script` runs once the window is up. A dialog the script leaves open is
// ended with Cancel. Returns DoModal's result.
INT_PTR RunModal(CDialog& dialog, const std::function<void()>& script);

QWidget* WidgetOf(const CWnd& window);
// Texts as the program holds them: code page 936 bytes, like the tests' own literals.
std::string TextOf(const CWnd& window);
std::string Cp936(const QString& text);
// Types the text key by key into the widget, as a keyboard (or an input method) would.
void TypeText(QWidget* widget, const QString& text);

struct ShownBox {
  std::string title;  // code page 936
  std::string text;   // code page 936
  QMessageBox::Icon icon;
  QWidget* owner;
  std::vector<std::string> buttons;  // their texts, code page 936
};

// Records every message box shown while it lives and presses its OK button.
class MessageBoxes {
 public:
  MessageBoxes();
  ~MessageBoxes();
  std::vector<ShownBox> shown;

 private:
  QObject* m_filter;
};

inline constexpr char kResetFrame[] = "\x1b\x30";
inline constexpr char kMissingPort[] = "/nonexistent/brimlock-no-such-port";

// Everything the program has sent on the port, once it has let go of it: the test takes
// the port itself (which fails while the program still holds it) and sends a marker that
// arrives behind the program's last byte.
std::string SentBeforeRelease(encoder_sim::PtyPeer& peer, const char* port = "com1");

// The apartment start-up enters, so the dialog's recordset object exists as in the program.
struct Apartment {
  Apartment() { CoInitialize(nullptr); }
  ~Apartment() { CoUninitialize(); }
  Apartment(const Apartment&) = delete;
  Apartment& operator=(const Apartment&) = delete;
};
