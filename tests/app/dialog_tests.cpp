// The main window as the operator first meets it, its keyboard, and every way of closing it.
#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "app/AboutDlg.h"
#include "encoder-sim/PtyPeer.h"
#include "harness.h"
#include "platform/text/codepage.h"

namespace {

using namespace std::chrono_literals;

// Every test's port is a pseudo-terminal nobody answers on, so closing sends its reset there.
class MainDialog : public ::testing::Test {
 protected:
  void SetUp() override { setenv("BRIMLOCK_COM1", line.slavePath().c_str(), 1); }
  void TearDown() override { unsetenv("BRIMLOCK_COM1"); }
  encoder_sim::PtyPeer line;
  TestDlg dlg;
};

QWidget* FocusOf(TestDlg& dlg) { return WidgetOf(dlg)->focusWidget(); }

TEST_F(MainDialog, StartsWithTheCardPanelReadyAndTheLookupHidden) {
  RunModal(dlg, [&] {
    CString caption;
    dlg.GetWindowText(caption);
    EXPECT_EQ(caption.bytes(), "磁卡读写器(MSE-9021)");

    // "com1" then "com2", in insertion order although the combo has the sorted style.
    ASSERT_EQ(dlg.m_comboPort.GetCount(), 2);
    CString item;
    dlg.m_comboPort.GetLBText(0, item);
    EXPECT_EQ(item.bytes(), "com1");
    dlg.m_comboPort.GetLBText(1, item);
    EXPECT_EQ(item.bytes(), "com2");
    EXPECT_EQ(dlg.m_comboPort.GetCurSel(), 0);

    EXPECT_EQ(FocusOf(dlg), WidgetOf(dlg.m_editTrack1));
    EXPECT_EQ(TextOf(dlg.m_editTrack1), "");
    EXPECT_TRUE(dlg.m_editTrack1.IsWindowEnabled());
    EXPECT_FALSE(dlg.m_editTrack2.IsWindowEnabled());
    for (CWnd* button : {static_cast<CWnd*>(&dlg.m_btnRead), static_cast<CWnd*>(&dlg.m_btnWrite),
                         static_cast<CWnd*>(&dlg.m_btnReset)}) {
      EXPECT_TRUE(button->IsWindowVisible());
      EXPECT_TRUE(button->IsWindowEnabled());
    }
    EXPECT_EQ(TextOf(dlg.m_btnRead), "读卡");
    EXPECT_EQ(TextOf(dlg.m_btnWrite), "写卡");
    EXPECT_EQ(TextOf(dlg.m_btnReset), "复位");

    // The lookup panel: every control hidden, the display edits and arrows disabled.
    for (int id = IDC_PREV_BUTTON; id <= IDC_USE_LOOKUP_CHECK; ++id) {
      EXPECT_FALSE(dlg.GetDlgItem(id)->IsWindowVisible()) << id;
    }
    EXPECT_FALSE(dlg.m_editCardNo.IsWindowEnabled());
    EXPECT_FALSE(dlg.m_editHiddenCode.IsWindowEnabled());
    EXPECT_FALSE(dlg.m_btnPrev.IsWindowEnabled());
    EXPECT_FALSE(dlg.m_btnNext.IsWindowEnabled());
    EXPECT_TRUE(dlg.m_btnQuery.IsWindowEnabled());
    EXPECT_EQ(dlg.m_checkUseLookup.GetCheck(), BST_UNCHECKED);
    EXPECT_FALSE(dlg.m_bReadOk);
  });
}

// A screen reader hears each field with the label in front of it, and meets the controls in
// template order.
TEST_F(MainDialog, FieldsAreNamedByTheirLabelsAndListedInTemplateOrder) {
  RunModal(dlg, [&] {
    auto name = [](QAccessibleInterface* a) { return a ? Cp936(a->text(QAccessible::Name)) : std::string("none"); };
    auto labelOf = [](CWnd& field) -> QAccessibleInterface* {
      auto labels = QAccessible::queryAccessibleInterface(WidgetOf(field))->relations(QAccessible::Label);
      return labels.size() == 1 ? labels[0].first : nullptr;
    };
    EXPECT_EQ(name(QAccessible::queryAccessibleInterface(WidgetOf(dlg.m_editTrack1))), "Track 1:");
    EXPECT_EQ(name(QAccessible::queryAccessibleInterface(WidgetOf(dlg.m_editTrack2))), "Track 2:");
    EXPECT_EQ(name(labelOf(dlg.m_comboPort)), "端口：");
    EXPECT_EQ(name(labelOf(dlg.m_editTicket)), "单号:");
    EXPECT_EQ(name(labelOf(dlg.m_editCardNo)), "卡号:");
    EXPECT_EQ(name(labelOf(dlg.m_editHiddenCode)), "暗码:");

    const DLGTEMPLATE* t = AfxFindDialogResource(IDD_MAIN_DIALOG);
    QAccessibleInterface* window = QAccessible::queryAccessibleInterface(WidgetOf(dlg));
    ASSERT_EQ(window->childCount(), static_cast<int>(t->itemCount));
    for (int i = 0; i < window->childCount(); ++i) {
      EXPECT_EQ(window->child(i)->object()->property("brimlock.id").toInt(), t->items[i].id) << i;
    }
  });
}

TEST_F(MainDialog, TabCyclesThroughTheCardPanelOnly) {
  RunModal(dlg, [&] {
    std::vector<QWidget*> expected = {WidgetOf(dlg.m_btnRead), WidgetOf(dlg.m_btnWrite), WidgetOf(dlg.m_btnReset),
                                      WidgetOf(dlg.m_comboPort), WidgetOf(dlg.m_editTrack1)};
    for (QWidget* next : expected) {
      QTest::keyClick(FocusOf(dlg), Qt::Key_Tab);
      EXPECT_EQ(FocusOf(dlg), next);
    }
  });
}

// Typing and pasting stop at 80 bytes of the code page, where a Chinese character counts
// two; a paste keeps what fits, in whole characters, and the program may set more.
TEST_F(MainDialog, TypingAndPastingStopAtEightyBytes) {
  enum Action { Type, Paste, Backspace };
  const QString ka = QString(QChar(0x5361));  // 卡, two bytes
  const std::string a79(79, 'a'), a80(80, 'a'), r90(90, 'R');
  std::string ka40;
  for (int i = 0; i < 40; ++i) ka40 += "卡";
  const struct {
    const char* name;
    std::string start;
    int selStart, selLength;  // -1: the cursor at the end
    Action action;
    QString input;
    std::string expected;
  } cases[] = {
      // clang-format off
      {"typing 90", "", -1, 0, Type, QString(90, u'a'), a80},
      {"typing 45 Chinese", "", -1, 0, Type, ka.repeated(45), ka40},
      {"typing into a full text", a80, -1, 0, Type, QStringLiteral("x"), a80},
      {"pasting 100", "", -1, 0, Paste, QString(100, u'p'), std::string(80, 'p')},
      {"pasting a Chinese character into one byte of room", a79, -1, 0, Paste, ka + ka, a79},
      {"pasting over a selection", a80, 10, 2, Paste, QStringLiteral("bcd"), std::string(10, 'a') + "bc" + std::string(68, 'a')},
      {"typing into a longer text the program set", r90, -1, 0, Type, QStringLiteral("x"), r90},
      {"pasting into a longer text the program set", r90, 5, 0, Paste, QStringLiteral("xyz"), r90},
      {"deleting from a longer text the program set", r90, -1, 0, Backspace, {}, std::string(89, 'R')},
      // clang-format on
  };
  RunModal(dlg, [&] {
    auto* edit = static_cast<QLineEdit*>(WidgetOf(dlg.m_editTrack1));
    for (const auto& c : cases) {
      SCOPED_TRACE(c.name);
      dlg.m_editTrack1.SetWindowText(c.start.c_str());
      EXPECT_EQ(TextOf(dlg.m_editTrack1), c.start);
      if (c.selStart < 0) edit->end(false);
      else edit->setSelection(c.selStart, c.selLength);
      switch (c.action) {
        case Type: TypeText(edit, c.input); break;
        case Paste:
          QGuiApplication::clipboard()->setText(c.input);
          QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
          break;
        case Backspace: QTest::keyClick(edit, Qt::Key_Backspace); break;
      }
      EXPECT_EQ(TextOf(dlg.m_editTrack1), c.expected);
    }
  });
}

// What the code page lacks reaches the card as one '?' a character, also where it shows as
// nothing (the edit limit's own cases are in edit_limit.cpp, for both platforms).
TEST_F(MainDialog, AZeroWidthSpaceTypedIsWrittenAsAQuestionMark) {
  RunModal(dlg, [&] {
    auto* edit = static_cast<QLineEdit*>(WidgetOf(dlg.m_editTrack1));
    TypeText(edit, QStringLiteral("12") + QChar(0x200B) + QStringLiteral("34"));
    EXPECT_EQ(TextOf(dlg.m_editTrack1), "12?34");
  });
}

TEST_F(MainDialog, EnterEndsThroughOkAndRunsTheClosingSequenceOnce) {
  INT_PTR result = RunModal(dlg, [&] { QTest::keyClick(FocusOf(dlg), Qt::Key_Return); });
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(dlg.destroyCount, 1);
  EXPECT_EQ(dlg.m_hWnd, nullptr);
}

TEST_F(MainDialog, EscapeAndTheCloseBoxEndThroughCancel) {
  INT_PTR result = RunModal(dlg, [&] { QTest::keyClick(FocusOf(dlg), Qt::Key_Escape); });
  EXPECT_EQ(result, IDCANCEL);
  EXPECT_EQ(dlg.destroyCount, 1);

  TestDlg second;
  result = RunModal(second, [&] { WidgetOf(second)->close(); });
  EXPECT_EQ(result, IDCANCEL);
  EXPECT_EQ(second.destroyCount, 1);

  TestDlg third;
  result = RunModal(third, [&] { QTest::keyClick(FocusOf(third), Qt::Key_F4, Qt::AltModifier); });
  EXPECT_EQ(result, IDCANCEL);
  EXPECT_EQ(third.destroyCount, 1);
}

TEST_F(MainDialog, OkRefusesATrackTextLongerThanEightyBytes) {
  MessageBoxes boxes;
  INT_PTR result = RunModal(dlg, [&] {
    dlg.m_editTrack1.SetWindowText(std::string(81, '7').c_str());
    dlg.m_btnRead.SetFocus();
    dlg.m_editTrack1.SetFocus();
    QTest::keyClick(FocusOf(dlg), Qt::Key_Return);

    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "Enter no more than 80 characters.");
    EXPECT_EQ(boxes.shown[0].icon, QMessageBox::Warning);
    EXPECT_EQ(boxes.shown[0].title, std::string(AfxGetAppName()));
    EXPECT_TRUE(WidgetOf(dlg)->isVisible());
    auto* edit = static_cast<QLineEdit*>(WidgetOf(dlg.m_editTrack1));
    EXPECT_EQ(FocusOf(dlg), edit);
    EXPECT_EQ(edit->selectedText().size(), 81);
  });
  EXPECT_EQ(result, IDCANCEL);
  EXPECT_EQ(dlg.destroyCount, 1);
}

// Closes the next About box as soon as it shows, noting its caption and what kind of
// window it is.
class AboutCloser : public QObject {
 public:
  AboutCloser() { qApp->installEventFilter(this); }
  ~AboutCloser() override { qApp->removeEventFilter(this); }
  std::vector<std::string> captions;
  QWindow* transientFor = nullptr;
  Qt::WindowModality modality = Qt::NonModal;
  bool okIsDefault = false;
  bool eventFilter(QObject* watched, QEvent* e) override {
    auto* w = qobject_cast<QWidget*>(watched);
    if (e->type() == QEvent::Show && w != nullptr && w->isWindow() && Cp936(w->windowTitle()).starts_with("关于")) {
      captions.push_back(Cp936(w->windowTitle()));
      transientFor = w->windowHandle()->transientParent();
      modality = w->windowHandle()->modality();
      auto* ok = w->findChild<QPushButton*>();
      okIsDefault = ok != nullptr && ok->isDefault();
      QTimer::singleShot(0, w, [w] { QTest::keyClick(w, Qt::Key_Escape); });
    }
    return false;
  }
};

TEST_F(MainDialog, SystemMenuEndsWithTheAboutEntryAndItsIdsOpenTheBox) {
  AboutCloser about;
  RunModal(dlg, [&] {
    CMenu* menu = dlg.GetSystemMenu(FALSE);
    ASSERT_NE(menu, nullptr);
    int n = menu->GetMenuItemCount();
    ASSERT_GE(n, 2);
    EXPECT_TRUE(menu->GetMenuState(n - 2) & MF_SEPARATOR);
    EXPECT_EQ(menu->GetMenuItemID(n - 1), static_cast<UINT>(IDM_ABOUTBOX));
    CString text;
    menu->GetMenuString(IDM_ABOUTBOX, text);
    EXPECT_EQ(text.bytes(), "关于 Brimlock(&A)...");

    // The low four bits are masked off: 0x10 to 0x1F all mean About, again and again.
    dlg.SendMessage(WM_SYSCOMMAND, 0x0010, 0);
    dlg.SendMessage(WM_SYSCOMMAND, 0x001F, 0);
    EXPECT_EQ(about.captions.size(), 2u);
    dlg.SendMessage(WM_SYSCOMMAND, 0x0020, 0);
    EXPECT_EQ(about.captions.size(), 2u);
    EXPECT_TRUE(WidgetOf(dlg)->isVisible());
  });
  ASSERT_FALSE(about.captions.empty());
  EXPECT_EQ(about.captions[0], "关于 磁卡读写器");
}

// The main window has a taskbar entry of its own; its boxes are transient for it and modal,
// and the About box's OK is its default button.
TEST_F(MainDialog, IsAnApplicationWindowThatItsBoxesAreTransientFor) {
  AboutCloser about;
  MessageBoxes boxes;
  theApp.m_pMainWnd = &dlg;  // as start-up makes it, so that the boxes find their owner
  RunModal(dlg, [&] {
    QWindow* main = WidgetOf(dlg)->windowHandle();
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(main->type(), Qt::Window);
    EXPECT_EQ(main->transientParent(), nullptr);
    EXPECT_EQ(main->modality(), Qt::NonModal);
    EXPECT_FALSE(main->icon().isNull());

    dlg.SendMessage(WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
    ASSERT_EQ(about.captions.size(), 1u);
    EXPECT_EQ(about.transientFor, main);
    EXPECT_EQ(about.modality, Qt::ApplicationModal);
    EXPECT_TRUE(about.okIsDefault);

    AfxMessageBox("请检查写卡机");
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].owner, WidgetOf(dlg));
  });
  EXPECT_EQ(dlg.destroyCount, 1);
  EXPECT_EQ(theApp.m_pMainWnd, nullptr);
}

TEST_F(MainDialog, CloseOnTheSystemMenuEndsThroughCancel) {
  INT_PTR result = RunModal(dlg, [&] { dlg.SendMessage(WM_SYSCOMMAND, SC_CLOSE, 0); });
  EXPECT_EQ(result, IDCANCEL);
  EXPECT_EQ(dlg.destroyCount, 1);
}

// Windows show the templates' texts from their UTF-16 form, and the program reads them back
// in code page 936: both forms must be one text, by the code page's own table. (A text one
// byte longer than a known one goes through the table.)
TEST(Templates, GiveEachTextInTwoFormsThatTheCodePageMakesOne) {
  for (UINT id : {IDD_MAIN_DIALOG, IDD_TICKET_DIALOG, IDD_ABOUTBOX}) {
    const DLGTEMPLATE* t = AfxFindDialogResource(id);
    ASSERT_NE(t, nullptr);
    std::vector<ResourceText> texts = {t->caption, t->fontName};
    for (std::size_t i = 0; i < t->itemCount; ++i) texts.push_back(t->items[i].text);
    for (const ResourceText& text : texts) {
      ASSERT_NE(text.utf16, nullptr) << text.cp936;
      EXPECT_EQ(text::Cp936ToUtf16(std::string(text.cp936) + "\x01"), std::u16string(text.utf16) + u"\x01")
          << text.cp936;
    }
  }
}

TEST(MinimisedIcon, IsCentredWithTruncatingDivision) {
  EXPECT_EQ(IconicIconOrigin(CRect(0, 0, 37, 37), 32, 32).x, 3);
  CPoint empty = IconicIconOrigin(CRect(0, 0, 0, 0), 32, 32);
  EXPECT_EQ(empty.x, -15);
  EXPECT_EQ(empty.y, -15);
}

}  // namespace

namespace {

TEST_F(MainDialog, F1GoesToTheApplicationsHelp) {
  MessageBoxes boxes;
  RunModal(dlg, [&] {
    QTest::keyClick(FocusOf(dlg), Qt::Key_F1);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].title, std::string(AfxGetAppName()));
    EXPECT_TRUE(WidgetOf(dlg)->isVisible());
  });
}

// Picks the last entry of the next menu that opens, as an operator choosing About would.
class MenuPicker : public QObject {
 public:
  MenuPicker() { qApp->installEventFilter(this); }
  ~MenuPicker() override { qApp->removeEventFilter(this); }
  std::vector<std::string> entries;
  bool eventFilter(QObject* watched, QEvent* e) override {
    auto* menu = qobject_cast<QMenu*>(watched);
    if (e->type() == QEvent::Show && menu != nullptr) {
      for (QAction* action : menu->actions()) entries.push_back(action->isSeparator() ? "-" : Cp936(action->text()));
      QTimer::singleShot(0, menu, [menu] {
        menu->setActiveAction(menu->actions().last());
        QTest::keyClick(menu, Qt::Key_Return);
      });
    }
    return false;
  }
};

TEST_F(MainDialog, RightClickOnTheBackgroundOpensTheSystemMenu) {
  MenuPicker picker;
  AboutCloser about;
  RunModal(dlg, [&] {
    QWidget* window = WidgetOf(dlg);
    QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(2, 2), window->mapToGlobal(QPoint(2, 2)));
    QApplication::sendEvent(window, &click);
  });
  ASSERT_GE(picker.entries.size(), 2u);
  EXPECT_EQ(picker.entries[picker.entries.size() - 2], "-");
  EXPECT_EQ(picker.entries.back(), "关于 Brimlock(&A)...");
  EXPECT_EQ(about.captions.size(), 1u);
}

}  // namespace
