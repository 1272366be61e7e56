// Resource ids of the guidemo fixture dialog.
#pragma once

#define IDD_GUIDEMO 100
#define IDC_GREETING 1001
#define IDC_FIRST 1002
#define IDC_SECOND 1003
