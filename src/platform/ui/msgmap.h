#pragma once
// Message maps: a static table per class of message or notification → member handler,
// chained to the base class's table, searched most-derived first.
#include <bit>

#include "platform/ui/winuser.h"

class CCmdTarget;
using AFX_PMSG = void (CCmdTarget::*)();

// The handler's signature, so that dispatch can cast the stored pointer back exactly.
enum AfxSig {
  AfxSig_end = 0,
  AfxSig_vv,   // void ()
  AfxSig_vwl,  // void (UINT, LPARAM)          WM_SYSCOMMAND
  AfxSig_hv,   // HCURSOR ()                   WM_QUERYDRAGICON
  AfxSig_vwp,  // void (UINT, CPoint)          WM_MOUSEMOVE
  AfxSig_lwl,  // LRESULT (WPARAM, LPARAM)     ON_MESSAGE
  AfxSig_bD,   // BOOL (CDC*)                  WM_ERASEBKGND
};

struct AFX_MSGMAP_ENTRY {
  UINT nMessage;
  UINT nCode;
  UINT nID;
  UINT nLastID;
  AfxSig nSig;
  AFX_PMSG pfn;
};

struct AFX_MSGMAP {
  const AFX_MSGMAP* (*pfnGetBaseMap)();
  const AFX_MSGMAP_ENTRY* lpEntries;
};

// Finds the entry for a message (or, for WM_COMMAND, a notification code and control id).
const AFX_MSGMAP_ENTRY* AfxFindMessageEntry(const AFX_MSGMAP* map, UINT message, UINT code, UINT id);

// clang-format off
#define DECLARE_MESSAGE_MAP()                      \
 public:                                          \
  static const AFX_MSGMAP* GetThisMessageMap();   \
  const AFX_MSGMAP* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                    \
  const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); } \
  const AFX_MSGMAP* theClass::GetThisMessageMap() {                               \
    using ThisClass [[maybe_unused]] = theClass;                                  \
    using TheBaseClass = baseClass;                                               \
    static const AFX_MSGMAP_ENTRY _messageEntries[] = {
#define END_MESSAGE_MAP()                                                            \
  {0, 0, 0, 0, AfxSig_end, nullptr}                                                  \
  };                                                                                 \
  static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap, _messageEntries}; \
  return &messageMap;                                                                \
  }

#define AFX_HANDLER(type, fn) std::bit_cast<AFX_PMSG>(static_cast<type>(&ThisClass::fn))

#define ON_COMMAND(id, fn) {WM_COMMAND, BN_CLICKED, (id), (id), AfxSig_vv, AFX_HANDLER(void (CCmdTarget::*)(), fn)},
#define ON_BN_CLICKED(id, fn) ON_COMMAND(id, fn)
#define ON_WM_SYSCOMMAND() \
  {WM_SYSCOMMAND, 0, 0, 0, AfxSig_vwl, AFX_HANDLER(void (CCmdTarget::*)(UINT, LPARAM), OnSysCommand)},
#define ON_WM_PAINT() {WM_PAINT, 0, 0, 0, AfxSig_vv, AFX_HANDLER(void (CCmdTarget::*)(), OnPaint)},
#define ON_WM_QUERYDRAGICON() \
  {WM_QUERYDRAGICON, 0, 0, 0, AfxSig_hv, AFX_HANDLER(HCURSOR (CCmdTarget::*)(), OnQueryDragIcon)},
#define ON_WM_MOUSEMOVE() \
  {WM_MOUSEMOVE, 0, 0, 0, AfxSig_vwp, AFX_HANDLER(void (CCmdTarget::*)(UINT, CPoint), OnMouseMove)},
#define ON_WM_ERASEBKGND() \
  {WM_ERASEBKGND, 0, 0, 0, AfxSig_bD, AFX_HANDLER(BOOL (CCmdTarget::*)(CDC*), OnEraseBkgnd)},
#define ON_MESSAGE(message, fn) \
  {(message), 0, 0, 0, AfxSig_lwl, AFX_HANDLER(LRESULT (CCmdTarget::*)(WPARAM, LPARAM), fn)},
// clang-format on

class CCmdTarget {
 public:
  virtual ~CCmdTarget() = default;
  static const AFX_MSGMAP* GetThisMessageMap();
  virtual const AFX_MSGMAP* GetMessageMap() const;

  // Routes a command (WM_COMMAND id and code) to this object's map; TRUE when handled.
  virtual BOOL OnCmdMsg(UINT id, int code);
};
