// Resource identifiers of QuillmarshVPN.exe, shared by the resource script and the code.
#pragma once
// Laid out by hand, in columns, as the resource editor keeps it.
// clang-format off

// The login dialog's template.
#define IDD_LOGIN_DIALOG        102

// The window's big and small icon.
#define IDI_LOGIN_ICON          128

// The logo banner at the top of the dialog.
#define IDB_BANNER              130

// The progress animation's frames, drawn in order from the computer to the server
// and back; the code steps through the numbers, so they must stay consecutive.
#define IDB_PROGRESS_FIRST      132
#define IDB_PROGRESS_2          133
#define IDB_PROGRESS_3          134
#define IDB_PROGRESS_4          135
#define IDB_PROGRESS_5          136
#define IDB_PROGRESS_6          137
#define IDB_PROGRESS_LAST       138

// The banner drawn again for displays at 125, 150, 175 and 200 %.
#define IDB_BANNER_125          140
#define IDB_BANNER_150          141
#define IDB_BANNER_175          142
#define IDB_BANNER_200          143

// The progress frames at the same scales: seven consecutive frames each, first to
// last as at 100 %.
#define IDB_PROGRESS_125_FIRST  150   // 150..156
#define IDB_PROGRESS_150_FIRST  160   // 160..166
#define IDB_PROGRESS_175_FIRST  170   // 170..176
#define IDB_PROGRESS_200_FIRST  180   // 180..186

// Controls of the login dialog. Login and Cancel are the system's IDOK and IDCANCEL.
#define IDC_USER_ID             1000
#define IDC_PASSWORD            1001
#define IDC_STATUS              1003

#ifndef IDC_STATIC
#define IDC_STATIC              (-1)
#endif

// The notification-area icon's menu while the trading client runs.
#define IDM_TRAY_SHOW_STATUS    40001
#define IDM_TRAY_RECONNECT      40002
#define IDM_TRAY_OPEN_LOG       40003
// clang-format on
