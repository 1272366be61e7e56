// Resource ids of the acquisition library Capturo and its language libraries (shared by both).
#pragma once

#define IDS_MANAGER_FILE 1   // file name of the TWAIN manager library
#define IDS_IDENTITY_INFO 2  // product name and version text of the application identity
#define IDS_IDENTITY_MAKER 3
#define IDS_IDENTITY_FAMILY 4
#define IDS_IDENTITY_PRODUCT 5
#define IDS_ALREADY_OPEN 6
#define IDS_LOAD_FAILURE 7  // appended to the manager's file name
#define IDS_CAPTION 8
#define IDS_READY 9
#define IDS_NOT_READY 10
#define IDS_INSTALLED 11
#define IDS_NOT_INSTALLED 12
#define IDS_DISK_FULL 13
#define IDS_DISK_ROOM 30  // after IDS_DISK_FULL: %1 needed, %2 the disk, %3 free
#define IDS_PAGE_FILE_IN_USE 31
#define IDS_SCANNER_STOPPED 32
#define IDS_PAGE_NOT_WRITTEN 33

// Network scanners: what went wrong (%s the scanner's address, %d an HTTP status).
#define IDS_NET_UNREACHABLE 14
#define IDS_NET_CERTIFICATE 15
#define IDS_NET_NOT_UNDERSTOOD 16
#define IDS_NET_NO_FORMAT 17
#define IDS_NET_BUSY 18
#define IDS_NET_FEEDER_EMPTY 19
#define IDS_NET_JAMMED 20
#define IDS_NET_COVER_OPEN 21
#define IDS_NET_DOWN 22
#define IDS_NET_REFUSED 23
#define IDS_NET_GONE 24
#define IDS_NET_NOT_IMAGE 25
#define IDS_NET_TOO_LARGE 26
#define IDS_NET_ENDED 27
#define IDS_NET_PAGES_KEPT 28
#define IDS_NET_PAGE_NOT_SAVED 29

// The choice of scanner.
#define IDS_CHOOSE_CAPTION 40
#define IDS_CHOOSE_TWAIN_ENTRY 41
#define IDS_CHOOSE_SEARCHING 42
#define IDS_CHOOSE_FOUND 43
#define IDS_CHOOSE_NONE 44
#define IDS_CHOOSE_ADDRESS 45
#define IDS_CHOOSE_ADD 46
#define IDS_CHOOSE_TWAIN_SOURCES 47
#define IDS_CHOOSE_BAD_ADDRESS 48
#define IDS_CHOOSE_CHECKING 49
#define IDS_CHOOSE_OK 50
#define IDS_CHOOSE_CANCEL 51
#define IDS_CHOOSE_NETWORK_ENTRY 52

// The dialog of the choice (its texts come from the strings above).
#define IDD_CHOOSE_SCANNER 100
#define IDC_CHOOSE_LIST 1001
#define IDC_CHOOSE_STATUS 1002
#define IDC_CHOOSE_ADDRESS_LABEL 1003
#define IDC_CHOOSE_ADDRESS 1004
#define IDC_CHOOSE_ADD 1005
#define IDC_CHOOSE_TWAIN 1006

// Language names, compared with the scanner's language; 3000 + i selects kLanguageFiles[i].
#define IDS_LANGUAGE_FIRST 3000
#define IDS_LANGUAGE_LAST 3010
