// Resource ids of the five settings pages: dialogs, controls and strings.
#pragma once

#define IDD_COPY_PAGE 129
#define IDD_OCR_PAGE 163
#define IDD_FAX_PAGE 164
#define IDD_MAIL_PAGE 167
#define IDD_IMAGE_PAGE 169

// Copy page; the label ids are also the ids of their strings.
#define IDC_COPY_PAPER_LABEL 2000
#define IDC_COPY_MODE_LABEL 2001
#define IDC_COPY_RES_LABEL 2002
#define IDC_COPY_SCALING_LABEL 2003
#define IDC_COPY_CENTER_V 2004
#define IDC_COPY_CENTER_H 2005
#define IDC_COPY_COPIES_LABEL 2006
#define IDC_COPY_PAPER 2007
#define IDC_COPY_MODE 2008
#define IDC_COPY_RES 2009
#define IDC_COPY_SCALING 2010
#define IDC_COPY_COPIES 2011
#define IDC_COPY_SCALING_SPIN 2012
#define IDC_COPY_COPIES_SPIN 2013
#define IDC_COPY_PRINTER_BOX 2014
#define IDC_COPY_PRINTER 2015
// The framework's refusal of a field that does not hold an integer.
#define IDS_PARSE_INT 2099

// OCR page
#define IDC_OCR_RES_LABEL 3001
#define IDC_OCR_PAPER_LABEL 3002
#define IDC_OCR_RES 3003
#define IDC_OCR_PAPER 3004
// How the recognised page is kept: rich text, a searchable PDF or a compact PDF with the words
// laid over it (`Save As`).
#define IDC_OCR_SAVE_LABEL 3005
#define IDC_OCR_SAVE 3006
#define IDS_OCR_SAVE_DOC 3007
#define IDS_OCR_SAVE_PDF 3008
#define IDS_OCR_SAVE_COMPACT 5080

// Fax page
#define IDC_FAX_RES_LABEL 4002
#define IDC_FAX_PAPER_LABEL 4003
#define IDC_FAX_RES 4004
#define IDC_FAX_PAPER 4005
#define IDC_FAX_DEVICE_BOX 4006
#define IDC_FAX_SETTING 4007

// Mail page
#define IDC_MAIL_PAPER_LABEL 5001
#define IDC_MAIL_MODE_LABEL 5002
#define IDC_MAIL_RES_LABEL 5003
#define IDC_MAIL_SMTP_LABEL 5004
#define IDC_MAIL_TO_LABEL 5005
#define IDC_MAIL_FROM_LABEL 5006
#define IDC_MAIL_PAPER 5007
#define IDC_MAIL_MODE 5008
#define IDC_MAIL_RES 5009
#define IDC_MAIL_SMTP 5010
#define IDC_MAIL_TO 5011
#define IDC_MAIL_FROM 5012
#define IDC_MAIL_EDIT 5013
// The server's security, port and login, and the connection test.
#define IDC_MAIL_SECURITY_LABEL 5014
#define IDC_MAIL_SECURITY 5015
#define IDC_MAIL_PORT_LABEL 5016
#define IDC_MAIL_PORT 5017
#define IDC_MAIL_USER_LABEL 5018
#define IDC_MAIL_USER 5019
#define IDC_MAIL_PASSWORD_LABEL 5020
#define IDC_MAIL_PASSWORD 5021
#define IDC_MAIL_TEST 5022
#define IDS_MAIL_SECURITY_NONE 5023
#define IDS_MAIL_PORT_RANGE 5024
// How the pages are attached: JPEG pages, one PDF or one compact PDF (`Attach As`).
#define IDC_MAIL_ATTACH_LABEL 5025
#define IDC_MAIL_ATTACH 5026
#define IDS_MAIL_ATTACH_JPEG 5027
#define IDS_MAIL_ATTACH_PDF 5028
#define IDS_MAIL_ATTACH_COMPACT 5029
// The sign-in: "Sign in with..." beside the user field, its choices (`OAuth Provider`).
#define IDC_MAIL_SIGNIN 5030
#define IDS_MAIL_SIGNIN_PASSWORD 5031
#define IDS_MAIL_SIGNIN_OTHER 5032

// Image page
#define IDC_IMAGE_PAPER_LABEL 6001
#define IDC_IMAGE_MODE_LABEL 6002
#define IDC_IMAGE_RES_LABEL 6003
#define IDC_IMAGE_BROWSER 6004
#define IDC_IMAGE_APP_BOX 6005
#define IDC_IMAGE_PAPER 6006
#define IDC_IMAGE_MODE 6007
#define IDC_IMAGE_RES 6008

// Own-button faces: up, down, focus.
#define IDB_BROWSER_UP 223
#define IDB_BROWSER_DOWN 224
#define IDB_BROWSER_FOCUS 225
#define IDB_PRINTER_UP 226
#define IDB_PRINTER_DOWN 227
#define IDB_PRINTER_FOCUS 228
#define IDB_MAIL_UP 229
#define IDB_MAIL_FOCUS 230
#define IDB_MAIL_DOWN 231

// The clean-up check boxes of the pages (their strings have the same ids).
#define IDC_STRAIGHTEN 5060
#define IDC_EACH_DOCUMENT 5061
#define IDC_DESKEW 5062
#define IDC_LEAVE_OUT_BLANK 5063
// The key of the pages without room for the check boxes, which opens them as a menu, and its
// face.
#define IDS_CLEANUP_KEY 5064
#define IDC_COPY_CLEANUP 5065
#define IDC_MAIL_CLEANUP 5066
