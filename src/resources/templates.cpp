// The program's dialog templates, in dialog units, registered before main runs as the
// platform's resources are there before the program.
#include <iterator>

#include "platform/ui/dlgtemplate.h"
#include "resources/resource.h"
#include "resources/version.h"

namespace {

constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
constexpr DWORD kHidden = WS_CHILD;
constexpr DWORD kEdit = WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL;
constexpr int kNoId = -1;

// clang-format off
const DLGITEMTEMPLATE kMainItems[] = {
    {IDC_TRACK1_EDIT, DlgItemKind::Edit, RC_TEXT(""), 54, 16, 142, 14, kChild | kEdit},
    {IDC_TRACK2_EDIT, DlgItemKind::Edit, RC_TEXT(""), 54, 36, 142, 14, kChild | WS_DISABLED | kEdit},
    {IDC_READ_BUTTON, DlgItemKind::Button, RC_TEXT("读卡"), 122, 60, 36, 14, kChild | BS_PUSHBUTTON | WS_TABSTOP},
    {IDC_WRITE_BUTTON, DlgItemKind::Button, RC_TEXT("写卡"), 170, 60, 36, 14, kChild | BS_PUSHBUTTON | WS_TABSTOP},
    {IDC_RESET_BUTTON, DlgItemKind::Button, RC_TEXT("复位"), 74, 60, 36, 14, kChild | BS_PUSHBUTTON | WS_TABSTOP},
    {IDC_PORT_COMBO, DlgItemKind::ComboBox, RC_TEXT(""), 38, 61, 29, 30,
     kChild | CBS_DROPDOWNLIST | CBS_SORT | WS_VSCROLL | WS_TABSTOP},
    {kNoId, DlgItemKind::Static, RC_TEXT("Track 1:"), 18, 18, 33, 8, kChild | SS_LEFT | WS_GROUP},
    {kNoId, DlgItemKind::Static, RC_TEXT("Track 2:"), 18, 38, 33, 8, kChild | SS_LEFT | WS_GROUP},
    {kNoId, DlgItemKind::Button, RC_TEXT(""), 4, 6, 222, 74, kChild | BS_GROUPBOX},
    {kNoId, DlgItemKind::Static, RC_TEXT("端口："), 15, 63, 23, 8, kChild | SS_LEFT | WS_GROUP},
    {kNoId, DlgItemKind::Static, RC_TEXT("单号:"), 4, 1, 20, 8, kHidden | SS_LEFT | WS_GROUP},
    {IDC_TICKET_EDIT, DlgItemKind::Edit, RC_TEXT(""), 22, 0, 20, 14, kHidden | kEdit},
    {kNoId, DlgItemKind::Static, RC_TEXT("卡号:"), 43, 2, 20, 8, kHidden | SS_LEFT | WS_GROUP},
    {IDC_CARDNO_EDIT, DlgItemKind::Edit, RC_TEXT(""), 63, 0, 16, 14, kHidden | kEdit | ES_READONLY},
    {kNoId, DlgItemKind::Static, RC_TEXT("暗码:"), 81, 1, 20, 8, kHidden | SS_LEFT | WS_GROUP},
    {IDC_HIDDENCODE_EDIT, DlgItemKind::Edit, RC_TEXT(""), 98, 0, 18, 14, kHidden | kEdit | ES_READONLY},
    {IDC_PREV_BUTTON, DlgItemKind::Button, RC_TEXT("<<"), 139, 0, 11, 14, kHidden | WS_DISABLED | BS_PUSHBUTTON | WS_TABSTOP},
    {IDC_NEXT_BUTTON, DlgItemKind::Button, RC_TEXT(">>"), 151, 0, 10, 14, kHidden | WS_DISABLED | BS_PUSHBUTTON | WS_TABSTOP},
    {IDC_QUERY_BUTTON, DlgItemKind::Button, RC_TEXT("查询"), 118, 0, 21, 14, kHidden | BS_PUSHBUTTON | WS_TABSTOP},
    {IDC_USE_LOOKUP_CHECK, DlgItemKind::Button, RC_TEXT("查询"), 167, 0, 31, 10, kHidden | BS_AUTOCHECKBOX | WS_TABSTOP},
};

const DLGTEMPLATE kMainDialog = {
    RC_TEXT("磁卡读写器(MSE-9021)"), 229, 86, RC_TEXT("宋体"), 11, 400, 134,
    WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT, WS_EX_APPWINDOW,
    kMainItems, std::size(kMainItems)};

// The same window for a desk that issues by ticket (brimlock --tickets): the ticket panel in
// a band of its own above the card panel, laid out as the card panel is (labels, edits as
// wide as Track 1, since the hidden code is what Track 1 then holds, a row of buttons under
// them, each above a card button), and first in the tab order, since a ticket comes first.
// The card panel is the one above, 94 units lower.
const DLGITEMTEMPLATE kTicketItems[] = {
    {kNoId, DlgItemKind::Static, RC_TEXT("单号:"), 18, 18, 33, 8, kChild | SS_LEFT | WS_GROUP},
    {IDC_TICKET_EDIT, DlgItemKind::Edit, RC_TEXT(""), 54, 16, 142, 14, kChild | kEdit},
    {kNoId, DlgItemKind::Static, RC_TEXT("卡号:"), 18, 38, 33, 8, kChild | SS_LEFT | WS_GROUP},
    {IDC_CARDNO_EDIT, DlgItemKind::Edit, RC_TEXT(""), 54, 36, 142, 14, kChild | kEdit | ES_READONLY},
    {kNoId, DlgItemKind::Static, RC_TEXT("暗码:"), 18, 58, 33, 8, kChild | SS_LEFT | WS_GROUP},
    {IDC_HIDDENCODE_EDIT, DlgItemKind::Edit, RC_TEXT(""), 54, 56, 142, 14, kChild | kEdit | ES_READONLY},
    {IDC_USE_LOOKUP_CHECK, DlgItemKind::Button, RC_TEXT("写入暗码"), 15, 78, 55, 10, kChild | BS_AUTOCHECKBOX | WS_TABSTOP},
    {IDC_QUERY_BUTTON, DlgItemKind::Button, RC_TEXT("查询"), 74, 76, 36, 14, kChild | BS_PUSHBUTTON | WS_TABSTOP},
    {IDC_PREV_BUTTON, DlgItemKind::Button, RC_TEXT("<<"), 122, 76, 36, 14, kChild | WS_DISABLED | BS_PUSHBUTTON | WS_TABSTOP},
    {IDC_NEXT_BUTTON, DlgItemKind::Button, RC_TEXT(">>"), 170, 76, 36, 14, kChild | WS_DISABLED | BS_PUSHBUTTON | WS_TABSTOP},
    {kNoId, DlgItemKind::Button, RC_TEXT(""), 4, 6, 222, 90, kChild | BS_GROUPBOX},
    {IDC_TRACK1_EDIT, DlgItemKind::Edit, RC_TEXT(""), 54, 110, 142, 14, kChild | kEdit},
    {IDC_TRACK2_EDIT, DlgItemKind::Edit, RC_TEXT(""), 54, 130, 142, 14, kChild | WS_DISABLED | kEdit},
    {IDC_READ_BUTTON, DlgItemKind::Button, RC_TEXT("读卡"), 122, 154, 36, 14, kChild | BS_PUSHBUTTON | WS_TABSTOP},
    {IDC_WRITE_BUTTON, DlgItemKind::Button, RC_TEXT("写卡"), 170, 154, 36, 14, kChild | BS_PUSHBUTTON | WS_TABSTOP},
    {IDC_RESET_BUTTON, DlgItemKind::Button, RC_TEXT("复位"), 74, 154, 36, 14, kChild | BS_PUSHBUTTON | WS_TABSTOP},
    {IDC_PORT_COMBO, DlgItemKind::ComboBox, RC_TEXT(""), 38, 155, 29, 30,
     kChild | CBS_DROPDOWNLIST | CBS_SORT | WS_VSCROLL | WS_TABSTOP},
    {kNoId, DlgItemKind::Static, RC_TEXT("Track 1:"), 18, 112, 33, 8, kChild | SS_LEFT | WS_GROUP},
    {kNoId, DlgItemKind::Static, RC_TEXT("Track 2:"), 18, 132, 33, 8, kChild | SS_LEFT | WS_GROUP},
    {kNoId, DlgItemKind::Button, RC_TEXT(""), 4, 100, 222, 74, kChild | BS_GROUPBOX},
    {kNoId, DlgItemKind::Static, RC_TEXT("端口："), 15, 157, 23, 8, kChild | SS_LEFT | WS_GROUP},
};

const DLGTEMPLATE kTicketDialog = {
    RC_TEXT("磁卡读写器(MSE-9021)"), 229, 180, RC_TEXT("宋体"), 11, 400, 134,
    WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT, WS_EX_APPWINDOW,
    kTicketItems, std::size(kTicketItems)};

const DLGITEMTEMPLATE kAboutItems[] = {
    {kNoId, DlgItemKind::Static, RC_TEXT("#128"), 11, 17, 21, 21, kChild | SS_ICON},
    {IDOK, DlgItemKind::Button, RC_TEXT("确定"), 179, 7, 50, 16, kChild | BS_DEFPUSHBUTTON | WS_GROUP | WS_TABSTOP},
    {kNoId, DlgItemKind::Static, RC_TEXT("Brimlock " BRIMLOCK_VERSION_SHORT " 版"), 40, 10, 119, 8, kChild | SS_LEFT | SS_NOPREFIX | WS_GROUP},
    {kNoId, DlgItemKind::Static, RC_TEXT("磁卡读写器操作程序"), 40, 23, 119, 8, kChild | SS_LEFT | WS_GROUP},
    {kNoId, DlgItemKind::Static, RC_TEXT("串口 9600 8N1，com1 或 com2"), 40, 39, 119, 8, kChild | SS_LEFT | WS_GROUP},
    {kNoId, DlgItemKind::Static, RC_TEXT("文件版本 " BRIMLOCK_VERSION_TEXT), 40, 55, 119, 8, kChild | SS_LEFT | WS_GROUP},
    {kNoId, DlgItemKind::Static, RC_TEXT("Brimlock 开发组"), 40, 71, 119, 8, kChild | SS_LEFT | WS_GROUP},
    {kNoId, DlgItemKind::Static, RC_TEXT("版权所有 (C) 2026"), 40, 87, 119, 8, kChild | SS_LEFT | WS_GROUP},
};

const DLGTEMPLATE kAboutBox = {
    RC_TEXT("关于 磁卡读写器"), 236, 110, RC_TEXT("宋体"), 9, 400, 134,
    WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT, 0,
    kAboutItems, std::size(kAboutItems)};
// clang-format on

const DialogResource kDialogs[] = {
    {IDD_ABOUTBOX, &kAboutBox},
    {IDD_MAIN_DIALOG, &kMainDialog},
    {IDD_TICKET_DIALOG, &kTicketDialog},
};

const char* const kIconFiles[] = {
    ":/brimlock/icons/brimlock-16.png",
    ":/brimlock/icons/brimlock-32.png",
    ":/brimlock/icons/brimlock-48.png",
};
const IconResource kIcons[] = {{IDR_MAINFRAME, kIconFiles, std::size(kIconFiles)}};

const bool kRegistered = (AfxSetDialogResources(kDialogs, std::size(kDialogs)),
                          AfxSetIconResources(kIcons, std::size(kIcons)), true);

}  // namespace
