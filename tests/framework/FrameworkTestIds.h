#pragma once
// Resource identifiers of the framework tests' own resources.
#define IDD_FW_TEST 200
#define IDD_FW_HIDDEN 201
#define IDD_FW_MISSING 299
#define IDC_FW_NAME 300
#define IDC_FW_OTHER 301
#define IDC_FW_LABEL 302
#define IDC_FW_EXTRA 303
#define IDB_FW_TEST 400
