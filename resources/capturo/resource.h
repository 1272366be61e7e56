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
#define IDS_DISK_ROOM 14  // after IDS_DISK_FULL: %1 needed, %2 the disk, %3 free
#define IDS_PAGE_FILE_IN_USE 15
#define IDS_SCANNER_STOPPED 16
#define IDS_PAGE_NOT_WRITTEN 17

// Language names, compared with the scanner's language; 3000 + i selects kLanguageFiles[i].
#define IDS_LANGUAGE_FIRST 3000
#define IDS_LANGUAGE_LAST 3010
