// The destinations of a scan job: the one table in which a destination's behaviour is looked
// up (its settings section, request identifier, compression, pacing and hand-off).
#pragma once

#include <cstdint>

#include "app/output/JobOrder.h"

struct Destination {
  uint16_t id;          // its panel button and settings page
  const char* section;  // settings section of its scan
  uint16_t requestId;   // identifier carried by its AcquireRequest
  int compression;      // imaging format code of its pages; 0 keeps a page as it came
  bool keepBilevel;     // black-and-white pages are not compressed (they go into a PDF as they are)
  bool oneAtATime;      // a page waits until the destination is done with the one before
  // Before the scan starts (Image: the editor made known); may be null.
  void (*prepare)(const CProgramContext& program);
  // Each filed page: the order's page at work.
  HandOffOutcome (*handOffPage)(const JobOrder& order, const HandOffDesk& desk);
  // Once, when the running job ends (after the batch's last page, or a Stop or failure cut it
  // short), with the pages handed off so far; may be null.
  HandOffOutcome (*handOffBatch)(const JobOrder& order, const HandOffDesk& desk);
};

// The entry of `id`, or its entry for the form chosen (the value of its PdfChoiceKey: 1 PDF, 2
// compact PDF, for Mail and OCR) when it has one; Image for an unknown identifier.
const Destination& DestinationFor(uint16_t id, int pdfChoice = 0);
// The settings key (in the destination's section) whose value chooses its PDF entries; null
// for a destination without one.
const char* PdfChoiceKey(uint16_t id);
