// Resource, control and private message ids, named once. Plain defines, so
// the resource compiler reads this header too.
#pragma once

#define IDI_VARNOK 1

// Main window controls, in tab order.
#define IDC_LABEL1 101
#define IDC_LBLHOMEPAGE 102
#define IDC_CMDCHANGE 103
#define IDC_LABEL2 104
#define IDC_LBLSTATUS 105
#define IDC_CMDDISABLE 106
#define IDC_CMDHIDE 107
#define IDC_CMDEXIT 108

// Context menu entries.
#define IDM_SHOW 201
#define IDM_DISABLE 202
#define IDM_ABOUT 203
#define IDM_EXIT 204

// About window labels.
#define IDC_FORM2_LABEL1 301
#define IDC_FORM2_LABEL2 302
#define IDC_FORM2_LABEL3 303

// Input box.
#define IDD_INPUTBOX 400
#define IDC_INPUT_PROMPT 401
#define IDC_INPUT_EDIT 402

// The question box's timer: its buttons' delay.
#define IDT_ANSWER_DELAY 501

// Timers of the main window.
#define IDT_TIMER1 1
#define IDT_TRAY_RETRY 2
// The watch's tick at a moment it asked for: the end of a pause.
#define IDT_TIMER1_DELAYED 3

// The tray icon's id and the message its notifications arrive as.
#define TRAY_ICON_UID 1
#define WMAPP_NOTIFYCALLBACK (WM_APP + 1)
// A watch tick asked for out of turn.
#define WMAPP_TICK (WM_APP + 2)
