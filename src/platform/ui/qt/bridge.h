#pragma once
// The toolkit side of the window stand-in; included by the stand-in's own sources only.
#include <QObject>
#include <QString>
#include <QWidget>

#include <string_view>

#include "platform/ui/CWnd.h"
#include "platform/ui/window_backend.h"

namespace ui {

inline QWidget* Widget(HWND h) { return reinterpret_cast<QWidget*>(h); }
inline HWND Handle(QWidget* w) { return reinterpret_cast<HWND>(w); }

QString ToQt(LPCSTR cp936);
QString ToQt(std::u16string_view utf16);
CString FromQt(const QString& s);

// The object attached to a widget, or null.
inline CWnd* Attached(const QWidget* w) { return AttachedTo(Handle(const_cast<QWidget*>(w))); }

// Hands a toolkit event to the window as its message. True when the message found no
// handling but the default's, so the toolkit's own handling of the event is to run too.
bool DeliverEvent(CWnd* window, UINT message, WPARAM wParam, LPARAM lParam);
// DefWindowProc's word that this window's message is left to the toolkit.
void LeaveToToolkit(HWND h, UINT message);

// Turns the widget's events into the messages of the window attached to it.
void InstallBridge(QWidget* w);

}  // namespace ui
