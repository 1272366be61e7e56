// Resource ids of the mail library Postlib and its language libraries (shared by both).
#pragma once

// Dialog templates.
#define IDD_MAIL_CONTENT 5001
#define IDD_SEND_PROGRESS 5002
#define IDD_ADDRESS_BOOK 5003

// E-mail dialog controls.
#define IDC_MAIL_CANCEL 1000
#define IDC_MAIL_OK 1001
#define IDC_SUBJECT_LABEL 1003
#define IDC_RECIPIENT_LIST 1004
#define IDC_SUBJECT 1005
#define IDC_BODY 1006
#define IDC_TO_ADDRESS 1007
#define IDC_TO_BUTTON 1008

// Address book dialog controls.
#define IDC_ARROW_BUTTON 1002
#define IDC_DELETE_BOOK 2001
#define IDC_DELETE_LIST 2002
#define IDC_NEW_ADDRESS 2003
#define IDC_ADD 2004
#define IDC_BOOK_OK 2005
#define IDC_BOOK_CANCEL 2006
#define IDC_ADDRESS_BOOK 2007
#define IDC_EMAIL_LIST 2008

// Progress window controls.
#define IDC_PROGRESS_BAR 1018
#define IDC_PROGRESS_TEXT 1019
#define IDC_PROGRESS_CANCEL 1020

// Button faces: normal, pressed, focused, disabled.
#define IDB_ARROW_NORMAL 134
#define IDB_ARROW_FOCUSED 135
#define IDB_ARROW_PRESSED 136
#define IDB_ARROW_DISABLED 137
#define IDB_ADD_NORMAL 146
#define IDB_ADD_FOCUSED 147
#define IDB_ADD_PRESSED 148
#define IDB_ADD_DISABLED 149

// Strings.
#define IDS_WINSOCK_INIT_FAILED 101
#define IDS_DUPLICATE_ADDRESS 102
#define IDS_HOST_UNREACHABLE 103
#define IDS_NETWORK_TIMED_OUT 104
#define IDS_SERVER_REJECTS 105
#define IDS_SOCKET_OPEN_FAILED 106
#define IDS_CONNECT_NOT_CONNECTING 107
#define IDS_MIME_MULTIPART 108
#define IDS_MIME_BOUNDARY 109
#define IDS_MIME_BASE64 112
#define IDS_NO_RECIPIENT 113
#define IDS_MIME_VERSION 114
#define IDS_DELETE_FROM_BOOK 115
#define IDS_DELETE_FROM_LIST 116
#define IDS_MIME_DESCRIPTION 118
#define IDS_START_SEND_DATA 119
#define IDS_SEND_FILE 120
// Failures of secured sends and logins, refusals quoted, the connection test (a "%s" takes a
// server's reply, a host name or an error code).
#define IDS_SERVER_NOT_READY 121
#define IDS_STARTTLS_NOT_OFFERED 122
#define IDS_STARTTLS_REFUSED 123
#define IDS_TLS_UNTRUSTED 124
#define IDS_TLS_WRONG_NAME 125
#define IDS_TLS_EXPIRED 126
#define IDS_TLS_BAD_CERTIFICATE 127
#define IDS_TLS_FAILED 128
#define IDS_LOGIN_NOT_OFFERED 129
#define IDS_LOGIN_REFUSED 130
#define IDS_RECIPIENTS_REFUSED 131
#define IDS_SOME_RECIPIENTS_REFUSED 132
#define IDS_MESSAGE_REFUSED 133
#define IDS_CONNECTION_LOST 134
#define IDS_BAD_REPLY 135
#define IDS_TEST_PASSED 136
// Sizes over the server's limit, and the numbering of the messages a batch is split into.
#define IDS_MESSAGE_TOO_LARGE 137
#define IDS_MESSAGE_NUMBERING 138
// Sign-in with OAuth: the logins, the browser and its loopback page, the tokens.
#define IDS_OAUTH_NOT_OFFERED 139
#define IDS_OAUTH_REFUSED 140
#define IDS_SIGNIN_WAITING 141
#define IDS_SIGNIN_TOKENS 142
#define IDS_SIGNIN_DENIED 143
#define IDS_SIGNIN_WRONG_STATE 144
#define IDS_SIGNIN_TIMED_OUT 145
#define IDS_SIGNIN_AGAIN 146
#define IDS_TOKEN_REFUSED 147
#define IDS_TOKEN_UNREACHABLE 148
#define IDS_TOKEN_BAD_ANSWER 149
#define IDS_SIGNIN_NOT_SET 150
#define IDS_SIGNIN_NEEDS_TLS 151
#define IDS_SIGNIN_NO_BROWSER 152
#define IDS_SIGNIN_PAGE_DONE 153
#define IDS_SIGNIN_PAGE_CLOSE 154
#define IDS_SIGNIN_PAGE_FAILED 155
#define IDS_SIGNED_IN 156
#define IDS_TOKEN_CERTIFICATE 157
#define IDS_MAIL_CAPTION 2009
// Tooltip texts share their control's id.
#define IDS_TIP_ADD 2004
#define IDS_TIP_ADDRESS_BOOK 2007
#define IDS_TIP_EMAIL_LIST 2008
// Language names matched against the scanner's language, 3000 to 3010.
#define IDS_LANGUAGE_FIRST 3000
#define IDS_LANGUAGE_LAST 3010

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif
