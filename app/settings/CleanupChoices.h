// The clean-up a destination's pages get, from its section of Quendel.ini: the document found
// by Auto straightened and cut (`Straighten`), every document on the glass its own page (`Each
// Document`), a text page's skew taken out (`Deskew`), blank pages of a batch left out (`Leave
// Out Blank`). Platform-free.
#pragma once

struct CleanupChoices {
  bool straighten = true;
  bool eachDocument = false;
  bool deskew = false;
  bool leaveOutBlank = false;
};

// What a section without the keys gets: Deskew is on for OCR only.
CleanupChoices DefaultCleanup(const char* section);

// The four keys and the choice each holds, in the order of the pages' check boxes.
struct CleanupKey {
  const char* key;
  bool CleanupChoices::*value;
};
extern const CleanupKey kCleanupKeys[4];
// The check box of each key, in the same order.
extern const int kCleanupBoxIds[4];
