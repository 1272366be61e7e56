// The destinations of a scan job: the one table in which a destination's behaviour is looked
// up (its settings section, request identifier, compression, pacing and hand-off).
#pragma once

#include <cstdint>

class CScanJob;

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

struct Destination {
  uint16_t id;          // its panel button and settings page
  const char* section;  // settings section of its scan
  uint16_t requestId;   // identifier carried by its AcquireRequest
  int compression;      // imaging format code of its pages; 0 keeps a page as it came
  bool keepBilevel;     // black-and-white pages are not compressed (they go into a PDF as they are)
  bool oneAtATime;      // a page waits until the destination is done with the one before
  // Before the scan starts (Image: the editor made known); may be null.
  void (*prepare)(CScanJob& job);
  // Each filed page, the job's page path naming it.
  HandOffOutcome (*handOffPage)(CScanJob& job);
  // Once, when the running job ends (after the batch's last page, or a Stop or failure cut it
  // short), with the pages handed off so far; may be null.
  HandOffOutcome (*handOffBatch)(CScanJob& job);
};

// The entry of `id`, or its PDF entry when `pdf` is chosen and it has one; Image for an
// unknown identifier.
const Destination& DestinationFor(uint16_t id, bool pdf = false);
// The settings key (in the destination's section) whose value 1 chooses its PDF entry; null
// for a destination without one.
const char* PdfChoiceKey(uint16_t id);
