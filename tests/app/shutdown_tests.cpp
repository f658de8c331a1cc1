// The application's whole run: start-up, the main window until it is closed, and shutdown
// with the database connection as the run left it.
#include <QApplication>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <functional>
#include <string>

#include "encoder-sim/PtyPeer.h"
#include "harness.h"

namespace {

using encoder_sim::Millis;

const std::filesystem::path kSqlDir = std::filesystem::path(__FILE__).parent_path().parent_path().parent_path() / "sql";

class Shutdown : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(CoIsInitialized());
    setenv("BRIMLOCK_COM1", line.slavePath().c_str(), 1);
    char pattern[] = "/tmp/brimlock-shutdown-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir = pattern;
    std::string db = dir + "/tickets.db";
    ASSERT_EQ(std::system(((kSqlDir / "make-sqlite-db").string() + " " + db).c_str()), 0);
    setenv("BRIMLOCK_CONNECTION", ("Provider=MSDASQL;DRIVER=SQLite3;Database=" + db + ";NoCreat=1;").c_str(), 1);
  }
  void TearDown() override {
    // The main window is gone; nothing may reach it through the application any more.
    EXPECT_EQ(theApp.m_pMainWnd, nullptr);
    if (CoIsInitialized()) {  // a run that failed half-way
      theApp.m_pConnection = nullptr;
      CoUninitialize();
    }
    unsetenv("BRIMLOCK_COM1");
    unsetenv("BRIMLOCK_CONNECTION");
    if (!dir.empty()) std::filesystem::remove_all(dir);
  }

  // Runs start-up; `script` acts in the main window once it is up, then Escape closes it.
  BOOL RunApplication(const std::function<void(CWnd& main)>& script) {
    QTimer::singleShot(0, [&] {
      QWidget* window = theApp.m_pMainWnd != nullptr ? WidgetOf(*theApp.m_pMainWnd) : nullptr;
      if (theApp.m_pMainWnd != nullptr) script(*theApp.m_pMainWnd);
      if (window != nullptr) QTest::keyClick(window->focusWidget() ? window->focusWidget() : window, Qt::Key_Escape);
    });
    return theApp.InitInstance();
  }

  encoder_sim::PtyPeer line;
  std::string dir;
  MessageBoxes boxes;
};

TEST_F(Shutdown, RunWithoutQueryReleasesTheUnopenedConnection) {
  EXPECT_FALSE(RunApplication([](CWnd&) {}));
  EXPECT_TRUE(line.waitFor(kResetFrame, Millis(2000)));  // the window's closing sequence ran

  ASSERT_NE(theApp.m_pConnection, nullptr);
  _ConnectionPtr connection = theApp.m_pConnection;
  EXPECT_EQ(connection->GetState(), adStateClosed);
  EXPECT_TRUE(CoIsInitialized());

  EXPECT_EQ(theApp.ExitInstance(), 0);
  EXPECT_EQ(theApp.m_pConnection, nullptr);
  EXPECT_FALSE(CoIsInitialized());
  EXPECT_EQ(connection->GetState(), adStateClosed);
  EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(Shutdown, ConnectionOpenedByAQueryIsClosedBeforeComStops) {
  std::string card;
  EXPECT_FALSE(RunApplication([&](CWnd& main) {
    static_cast<CButton*>(main.GetDlgItem(IDC_USE_LOOKUP_CHECK))->SetCheck(BST_CHECKED);
    main.GetDlgItem(IDC_TICKET_EDIT)->SetWindowText("9001");
    main.SendMessage(WM_COMMAND, MAKEWPARAM(IDC_QUERY_BUTTON, BN_CLICKED), 0);
    card = TextOf(*main.GetDlgItem(IDC_CARDNO_EDIT));
  }));
  EXPECT_EQ(card, "10000008");
  EXPECT_TRUE(boxes.shown.empty());

  // Held here as well, the object outlives shutdown and tells what shutdown did to it.
  ASSERT_NE(theApp.m_pConnection, nullptr);
  _ConnectionPtr connection = theApp.m_pConnection;
  EXPECT_EQ(connection->GetState(), adStateOpen);
  EXPECT_TRUE(CoIsInitialized());

  EXPECT_EQ(theApp.ExitInstance(), 0);
  EXPECT_EQ(connection->GetState(), adStateClosed);
  EXPECT_EQ(theApp.m_pConnection, nullptr);
  EXPECT_FALSE(CoIsInitialized());
}

TEST_F(Shutdown, MissingConnectionObjectIsReportedOnUseAndDoesNotStopTheRun) {
  // Outside the apartment no object can be made: both holders stay empty.
  EXPECT_EQ(theApp.m_pConnection.CreateInstance(CLSID_Connection, nullptr, CLSCTX_ALL), CO_E_NOTINITIALIZED);
  ASSERT_EQ(theApp.m_pConnection, nullptr);
  {
    TestDlg dlg;
    ASSERT_EQ(dlg.m_pRecordset, nullptr);
    INT_PTR result = RunModal(dlg, [&] {
      dlg.m_checkUseLookup.SetCheck(BST_CHECKED);
      dlg.m_editTicket.SetWindowText("123");
      dlg.OnBnClickedQueryButton();
      ASSERT_EQ(boxes.shown.size(), 1u);
      EXPECT_EQ(boxes.shown[0].text, "Unknown error 0x80004003");
      EXPECT_TRUE(WidgetOf(dlg)->isVisible());
      QTest::keyClick(WidgetOf(dlg)->focusWidget(), Qt::Key_Escape);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(dlg.destroyCount, 1);
    EXPECT_TRUE(line.waitFor(kResetFrame, Millis(2000)));
  }
  EXPECT_EQ(theApp.ExitInstance(), 0);
  EXPECT_EQ(theApp.m_pConnection, nullptr);
  EXPECT_FALSE(CoIsInitialized());
}

}  // namespace
