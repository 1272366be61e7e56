// What a scan job hands to its destination (the job's order: the destination, the values its
// page stored at SCAN, the filed page), what a hand-off reports back, and the parts of the
// program a hand-off uses (its desk). The hand-offs see these, never the job itself.
#pragma once

#include <windows.h>

#include "framework/String.h"

class COrvaneView;
class CProgramContext;
class IOcrJobOwner;
struct Destination;

// The mail server as the Mail page's fields stood at SCAN (or at Test). The password is wiped
// when the order goes.
struct MailServerOrder {
  CString server;
  int security = 0;  // 0 none, 1 STARTTLS, 2 TLS
  int port = 0;
  CString user;      // only with a secured connection
  CString password;  // likewise
  MailServerOrder() = default;
  MailServerOrder(const MailServerOrder&) = delete;
  MailServerOrder& operator=(const MailServerOrder&) = delete;
  ~MailServerOrder() { WipeText(password); }
};

struct MailOrder {
  CString from;
  CString to;
  MailServerOrder server;
};

struct OcrOrder {
  CString programPath;    // the OCR engine found by the OCR page's check
  UINT programKeyId = 0;  // the string id of the engine's registry key
};

// The values a destination's page stored for the scan, as its hand-off needs them.
struct DestinationValues {
  MailOrder mail;
  OcrOrder ocr;
};

struct JobOrder {
  const Destination* destination = nullptr;
  DestinationValues values;
  // The filed page at work (its short path in TEMP).
  CString page;
  // Every page handed on so far, in scan order (the page at work last).
  CStringArray pages;
  // The resolution the pages were asked for (dots per inch).
  int scanDpi = 0;
};

// How a page's hand-off left it.
enum class HandOffResult {
  kHandedOff,  // the destination has the page
  kAtWork,     // the destination works on and tells the job when the page is done (OCR)
  kNotHanded,  // the page stays in TEMP: the job says so, with the hand-off's message
};

struct HandOffOutcome {
  HandOffResult result;
  unsigned messageId;  // with kNotHanded: why, shown before the word on where the scan is kept
};

// The parts of the program the hand-offs use.
struct HandOffDesk {
  const CProgramContext& program;
  COrvaneView* view;     // prints Copy and Fax pages and runs the OCR engine; may be null
  HWND frame;            // the hidden frame: owner of the mail library's windows
  HWND owner;            // owner of a hand-off's own messages (the panel)
  IOcrJobOwner& ocrEnd;  // told when an OCR page has ended
};
