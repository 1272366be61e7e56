// Resource ids of the virtual scanner.
#pragma once

#define IDD_VSCANNER 100
#define IDC_VSCANNER_TEXT 101
