// The Qt side of a dialog: widgets made from the template, and the modal loop.
#include "platform/ui/CDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QEventLoop>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>

#include "platform/gdi/qt/bridge.h"
#include "platform/ui/CWinApp.h"
#include "platform/ui/qt/bridge.h"
#include "platform/ui/qt/dialog_units.h"
#include "platform/ui/qt/edit_limit.h"
#include "platform/ui/qt/group_box.h"
#include "platform/ui/qt/labels.h"

namespace {

QWidget* MakeControl(const DLGITEMTEMPLATE& item, QWidget* parent, const DialogUnits& units) {
  QString text = ui::ToQt(Utf16Of(item.text));
  QWidget* control = nullptr;
  switch (item.kind) {
    case DlgItemKind::Button:
      switch (item.style & BS_TYPEMASK) {
        case BS_GROUPBOX: {
          auto* group = new ui::FrameOnlyGroupBox(text, parent);
          // A group box only frames; clicks go to the controls it frames.
          group->setAttribute(Qt::WA_TransparentForMouseEvents);
          control = group;
          break;
        }
        case BS_AUTOCHECKBOX: control = new QCheckBox(text, parent); break;
        default: {
          auto* button = new QPushButton(text, parent);
          // Only a BS_DEFPUSHBUTTON is the default; focus moving to a button changes nothing.
          button->setAutoDefault(false);
          button->setDefault((item.style & BS_TYPEMASK) == BS_DEFPUSHBUTTON);
          control = button;
          break;
        }
      }
      break;
    case DlgItemKind::Edit: {
      auto* edit = new QLineEdit(parent);
      edit->setReadOnly(item.style & ES_READONLY);
      edit->setFrame(item.style & WS_BORDER);
      // The platform's limit for a new edit, and its way with a paste: the first line only.
      ui::SetByteLimit(edit, 30000);
      control = edit;
      break;
    }
    case DlgItemKind::Static:
      if ((item.style & 0x1F) == SS_ICON) {
        auto* label = new QLabel(parent);
        UINT iconId = static_cast<UINT>(std::atoi(item.text.cp936 + (item.text.cp936[0] == '#' ? 1 : 0)));
        if (HICON icon = AfxGetApp() ? AfxGetApp()->LoadIcon(iconId) : nullptr) {
          int size = GetSystemMetrics(SM_CXICON);
          label->setPixmap(gdi::ToQIcon(icon).pixmap(size, size));
        }
        control = label;
      } else {
        auto* label = new QLabel(text, parent);
        label->setTextFormat(Qt::PlainText);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        control = label;
      }
      break;
    case DlgItemKind::ComboBox: {
      auto* combo = new QComboBox(parent);
      combo->setEditable(false);
      control = combo;
      break;
    }
  }
  QRect r = units.ToPixels(item.x, item.y, item.cx, item.cy);
  if (item.kind == DlgItemKind::ComboBox) {
    // The template's height includes the dropped list; the closed box is one line high.
    r.setHeight(std::min(r.height(), control->sizeHint().height()));
  }
  control->setGeometry(r);
  control->setProperty("brimlock.id", item.id);
  control->setProperty("brimlock.style", static_cast<uint>(item.style | WS_CHILD));
  control->setEnabled(!(item.style & WS_DISABLED));
  if (item.kind == DlgItemKind::Static || (item.style & BS_TYPEMASK) == BS_GROUPBOX) {
    control->setFocusPolicy(Qt::NoFocus);
  } else {
    control->setFocusPolicy((item.style & WS_TABSTOP) ? Qt::StrongFocus : Qt::ClickFocus);
  }
  control->setVisible(item.style & WS_VISIBLE);
  return control;
}

}  // namespace

void CDialog::CreateFromTemplate(const DLGTEMPLATE& t, CWnd* ownerWnd) {
  QWidget* owner = ownerWnd != nullptr ? ui::Widget(ownerWnd->m_hWnd) : nullptr;
  // An unowned window, or one asking for WS_EX_APPWINDOW, is the desktop's application
  // window: a taskbar entry, transient for nothing. Other dialogs stay transient for their
  // owner. A dialog blocks its owner while it runs; one without an owner blocks nothing.
  const bool appWindow = owner == nullptr || (t.exStyle & WS_EX_APPWINDOW);
  Qt::WindowFlags flags = (appWindow ? Qt::Window : Qt::Dialog) | Qt::CustomizeWindowHint | Qt::WindowTitleHint;
  if (t.style & WS_SYSMENU) flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
  auto* dialog = new QDialog(appWindow ? nullptr : owner, flags);
  dialog->setProperty("brimlock.style", static_cast<uint>(t.style));
  dialog->setProperty("brimlock.id", 0);
  dialog->setWindowTitle(ui::ToQt(Utf16Of(t.caption)));
  dialog->setWindowModality(owner == nullptr ? Qt::NonModal : Qt::ApplicationModal);

  DialogUnits units(ui::ToQt(Utf16Of(t.fontName)), t.pointSize, t.weight);
  dialog->setFont(units.font());
  QRect client = units.ToPixels(0, 0, t.cx, t.cy);
  dialog->setFixedSize(client.size());

  ui::InstallBridge(dialog);
  Attach(ui::Handle(dialog));

  // The toolkit stacks children and lists them to screen readers in one order, creation
  // order, so both follow the template. A group box, the one control meant to lie under
  // others, paints only its frame and lets clicks through, so lying above does not show
  // (group_box.h).
  std::vector<QWidget*> controls;
  QWidget* previousTabStop = nullptr;
  for (size_t i = 0; i < t.itemCount; ++i) {
    QWidget* control = MakeControl(t.items[i], dialog, units);
    controls.push_back(control);
    ui::InstallBridge(control);
    if (auto* button = qobject_cast<QAbstractButton*>(control)) {
      int id = t.items[i].id;
      QObject::connect(button, &QAbstractButton::clicked, [dialog, button, id] {
        if (CWnd* owner = ui::Attached(dialog)) {
          owner->SendMessage(WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
        }
      });
    }
    if (control->focusPolicy() != Qt::NoFocus) {
      if (previousTabStop != nullptr) QWidget::setTabOrder(previousTabStop, control);
      previousTabStop = control;
    }
  }
  ui::LinkLabels(t, controls);

  QPointer<QDialog> alive = dialog;
  BOOL focusFirst = OnInitDialog();
  if (focusFirst && alive != nullptr && !m_bEnded) {
    // The first control in tab order that can take the focus gets it.
    for (QWidget* w = dialog->nextInFocusChain(); w != dialog; w = w->nextInFocusChain()) {
      if (w->focusPolicy() & Qt::TabFocus && w->isEnabled() && !w->isHidden()) {
        w->setFocus(Qt::TabFocusReason);
        break;
      }
    }
  }
}

void CDialog::RunModalLoop() {
  auto* dialog = static_cast<QDialog*>(ui::Widget(m_hWnd));
  // QDialog::exec would mark every window modal; this loop leaves the modality as set.
  QEventLoop loop;
  QObject::connect(dialog, &QDialog::finished, &loop, &QEventLoop::quit);
  QObject::connect(dialog, &QObject::destroyed, &loop, &QEventLoop::quit);
  dialog->show();
  loop.exec(QEventLoop::DialogExec);
}

void CDialog::EndModalLoop() { static_cast<QDialog*>(ui::Widget(m_hWnd))->done(m_nModalResult); }
