#include "platform/ui/controls.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>

#include "platform/ui/qt/bridge.h"
#include "platform/ui/qt/edit_limit.h"

UINT CEdit::GetLimitText() const {
  auto* edit = qobject_cast<QLineEdit*>(ui::Widget(m_hWnd));
  return edit ? static_cast<UINT>(ui::ByteLimit(edit)) : 0;
}

int CButton::GetCheck() const {
  auto* button = qobject_cast<QAbstractButton*>(ui::Widget(m_hWnd));
  return button != nullptr && button->isCheckable() && button->isChecked() ? BST_CHECKED : BST_UNCHECKED;
}

void CButton::SetCheck(int check) {
  auto* button = qobject_cast<QAbstractButton*>(ui::Widget(m_hWnd));
  if (button != nullptr && button->isCheckable()) button->setChecked(check == BST_CHECKED);
}

int CComboBox::InsertString(int index, LPCSTR text) {
  auto* combo = qobject_cast<QComboBox*>(ui::Widget(m_hWnd));
  if (combo == nullptr || index > combo->count()) return CB_ERR;
  if (index < 0) index = combo->count();
  combo->insertItem(index, ui::ToQt(text));
  return index;
}

int CComboBox::SetCurSel(int index) {
  auto* combo = qobject_cast<QComboBox*>(ui::Widget(m_hWnd));
  if (combo == nullptr) return CB_ERR;
  if (index < 0 || index >= combo->count()) {
    combo->setCurrentIndex(-1);
    return CB_ERR;
  }
  combo->setCurrentIndex(index);
  return index;
}

int CComboBox::GetCurSel() const {
  auto* combo = qobject_cast<QComboBox*>(ui::Widget(m_hWnd));
  return combo ? combo->currentIndex() : CB_ERR;
}

int CComboBox::GetCount() const {
  auto* combo = qobject_cast<QComboBox*>(ui::Widget(m_hWnd));
  return combo ? combo->count() : CB_ERR;
}

int CComboBox::GetLBText(int index, CString& text) const {
  auto* combo = qobject_cast<QComboBox*>(ui::Widget(m_hWnd));
  if (combo == nullptr || index < 0 || index >= combo->count()) return CB_ERR;
  text = ui::FromQt(combo->itemText(index));
  return text.GetLength();
}
