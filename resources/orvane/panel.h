// Resource ids of the front panel: dialog 102, its placeholders and its strings.
#pragma once

#define IDD_PANEL 102

// Placeholders of the nine panel buttons (invisible statics; the panel uses their rectangles).
#define IDC_PANEL_IMAGE 1000
#define IDC_PANEL_COPY 1001
#define IDC_PANEL_FAX 1002
#define IDC_PANEL_MAIL 1003
#define IDC_PANEL_OCR 1004
#define IDC_PANEL_SCAN 1005
#define IDC_PANEL_EXIT 1006
#define IDC_PANEL_HELP 1007
#define IDC_PANEL_INFO 1008

// Tooltips are the strings with the button ids; label titles are id + 34, descriptions
// id + 52, SCAN's description per destination 1067 to 1071, page buttons 1072 to 1075.
#define IDS_PAPER_AUTO 1018
#define IDS_MODE_LINEART 1022
#define IDS_MODE_GRAY 1023
#define IDS_MODE_COLOR 1024
#define IDS_TITLE_IMAGE 1034
#define IDS_DEVICE_NONE 1062
#define IDS_FAX_MARKER 1063
