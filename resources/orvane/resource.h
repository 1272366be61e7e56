// Resource ids of the program's shell: application strings, the binding messages, language
// names, the information box and the icon. The panel and the pages keep their own headers.
#pragma once

#define IDR_MAINFRAME 128

#define IDD_PANEL 102
#define IDD_ABOUTBOX 212
#define IDC_ABOUT_OK 8003

#define IDS_ABOUT_OK 1066
#define IDS_FONT_FACE 6018

// The scan job: progress window, message window and the job's texts.
#define IDD_MESSAGE_WINDOW 241
#define IDC_MESSAGE_TEXT 1057
#define IDC_MESSAGE_OK 1058
#define IDD_SCAN_PROGRESS 242
#define IDC_PROGRESS_STOP 1059
#define IDC_PROGRESS_BAR 1060
#define IDC_PROGRESS_ICON 1061
#define IDC_PROGRESS_TEXT 1062
#define IDS_COMPRESSING 6005
#define IDS_SCANNING 6015
#define IDS_SCANNING_PAGE 6016
#define IDS_STOP_SCANNING 6017

// Printing status texts (the program's own table).
#define IDS_PRINT_CANCEL 6009
#define IDS_PRINT_ON 6010
#define IDS_PRINT_PAGE 6011
#define IDS_PRINT_LOADING 6012
#define IDS_PRINT_SENDING 6014

// Language names, matched against the scanner's LANGUAGE value.
#define IDS_LANGUAGE_FIRST 9000

#define IDS_APP_TITLE 57344
#define IDS_AUTOMODE_CAPTION 57345
#define IDS_AUTOMODE_NO_MEMORY 57346
#define IDS_CAPTURO_LOAD_FAILED 57347
#define IDS_POSTLIB_LOAD_FAILED 57348
#define IDS_CAPTURO_FIND_FAILED 57349
#define IDS_POSTLIB_FIND_FAILED 57350
#define IDS_SCAN_DIALOG_CAPTION 57351
#define IDS_SELVORA_NOT_FOUND 57352
#define IDS_EDITOR_START_FAILED 57353
#define IDS_DRIVER_NOT_SET 57354
#define IDS_OCR_NOT_FOUND 57355
#define IDS_BITMAP_LOAD_FAILED 57356
#define IDS_EDITOR_MISSING 57357
#define IDS_MAIL_NO_RECIPIENT 57358
#define IDS_MAIL_NO_SENDER 57359
#define IDS_OCR_KEY_20 57360
#define IDS_OCR_KEY_96 57361
#define IDS_OCR_PROGRAM_20 57362
#define IDS_OCR_PROGRAM_96 57363
#define IDS_OCR_INSTALL_VALUE 57364
#define IDS_EDITOR_KEY_JAPANESE 57365
#define IDS_EDITOR_KEY 57366
#define IDS_SELVORA_KEY 57367

// Shown when the component and clipboard services cannot be started.
#define IDS_OLE_INIT_FAILED 57368

// Ends of a job that cannot go on (localised).
#define IDS_JOB_FILE_FAILED 57369
#define IDS_PRINTER_NOT_AVAILABLE 57370
#define IDS_PRINT_FAILED 57371
#define IDS_OCR_START_FAILED 57372
#define IDS_OCR_NO_TEXT 57373
#define IDS_OCR_ENGINE_FAILED 57374
#define IDS_OCR_TEXT_NOT_SAVED 57375
#define IDS_SCANNER_PAGE_FAILED 57376
#define IDS_MAIL_NOT_SENT 57377
#define IDS_SCAN_KEPT 57378
#define IDS_SELVORA_START_FAILED 57379
// The end of a job that left blank pages out: how many, and where they are kept.
#define IDS_BLANK_LEFT_OUT 57470
#define IDS_PDF_NOT_WRITTEN 57380
#define IDS_OCR_PDF_NO_VIEWER 57381
// The panel's context menu: the choice of scanner.
#define IDS_SCANNER_MENU 57420
// A page's file held by another program, and a disk without room for a page (%1, %2, %3).
#define IDS_FILE_IN_USE 57390
#define IDS_PAGE_UNCOMPRESSED 57391
#define IDS_FILE_LEFT 57392
#define IDS_DISK_NO_ROOM 57393
// The OCR text kept where no program opens it (%s: its path).
#define IDS_OCR_TEXT_NO_PROGRAM 57430
