#pragma once
// Resource ids of the program.

#define IDR_MAINFRAME 128
#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101
#define IDD_MAIN_DIALOG 102
// The same window with the ticket panel on show, for desks that issue by ticket.
#define IDD_TICKET_DIALOG 103
#define IDM_ABOUTBOX 0x0010

#define IDC_TRACK1_EDIT 1000
#define IDC_READ_BUTTON 1001
#define IDC_WRITE_BUTTON 1002
#define IDC_TRACK2_EDIT 1003
#define IDC_PORT_COMBO 1004
#define IDC_RESET_BUTTON 1005
#define IDC_PREV_BUTTON 1006
#define IDC_NEXT_BUTTON 1007
#define IDC_TICKET_EDIT 1008
#define IDC_CARDNO_EDIT 1009
#define IDC_HIDDENCODE_EDIT 1010
#define IDC_QUERY_BUTTON 1011
#define IDC_USE_LOOKUP_CHECK 1012
