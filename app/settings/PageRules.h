// Platform-free rules of the settings pages: which device a page starts with, what a store
// writes for a value, the checks a store makes, and the pixel layout of titles and lists.
#pragma once

#include "framework/String.h"

namespace PageRules {

// "NULL" or empty: the profile's marker for a value that is not set.
bool IsUnset(const CString& value);
// The printer name of a `windows`/`device` entry: the text before its first comma.
CString PrinterNameOf(const CString& deviceEntry);
bool ContainsNoCase(const CString& text, const char* part);
bool EqualsNoCase(const CString& a, const CString& b);

// The Copy page's printer: the stored device, else the system default printer, else `none`.
CString ChooseCopyDevice(const CString& stored, const CString& defaultEntry, const CString& none);

// Only this many installed printers are looked at for a fax driver, and each name is cut to
// kMaxDeviceName characters.
constexpr int kMaxDevices = 20;
constexpr int kMaxDeviceName = 254;
// The Fax page's device: a default printer whose name holds `faxMarker` wins over the stored
// device; without either, the first of the installed printers that holds the marker.
CString ChooseFaxDevice(const CString& defaultEntry, const CString& stored, const CStringArray& installed,
                        const char* faxMarker, const CString& none);

// An integer field's text: optional blanks, an optional sign, decimal digits, optional blanks;
// false for anything else (empty text, other characters, a value beyond 32 bits).
bool ParseInteger(const CString& text, int& value);

// A scaling of 0 would print nothing; it is stored as 30.
int StoredScaling(int scaling);
// A stored scan mode of 9 is shown as grey.
int ShownScanMode(int stored);

// The Mail page's check: 0 when the addresses may be stored, else the message id.
constexpr unsigned kNoRecipientMessage = 57358;
constexpr unsigned kNoSenderMessage = 57359;
unsigned MailStoreCheck(const CString& to, const CString& from);

// Initial name of the editor chooser: the directory of `path` (up to its last backslash)
// followed by "*.EXE".
CString BrowsePattern(const CString& path);
// The file-name part of a chosen path (after the last backslash).
CString FileNameOf(const CString& path);
// "IPE.EXE" and "MAGIC6.EXE": the editors a vanished path may fall back to.
bool IsKnownEditor(const CString& fileName);

// Page title: centred in a 141-pixel band, never left of x = 2.
int TitleX(int textWidth);
// One width for all lists of a page so that the list that starts furthest right ends at the
// page's right edge.
int ListWidth(const int* starts, int count, int pageWidth);
// Mail rows, counted from the bottom (From 1, To 2, Password 3, User 4, Security 5, SMTP 6),
// each as high as the ">>" button and 1 pixel apart.
int MailRowY(int pageHeight, int row, int buttonHeight);

// The Mail page's port field: empty is 0 (the security's own port), else a number from 1 to
// 65535; false for anything else.
bool ParseMailPort(const CString& text, int& port);
// The port field after the security became `security`: empty, or the own port of a security,
// gives the new security's own port; any other port the user entered stays.
CString ProposedMailPort(const CString& text, int security);

}  // namespace PageRules
