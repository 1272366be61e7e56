// CHandOffPacing: when each page of a job goes to its destination, and when the job may end.
// Pages arrive inside the acquisition library's delivering call, a feeder batch all within
// one call. A destination that goes on working on a page after its hand-off (OCR) takes one
// page at a time: the pages behind it wait, in order. The job ends once the delivering call
// has returned and no page is at work or waiting. Platform-free.
#pragma once

#include <deque>

#include "framework/String.h"

class CHandOffPacing {
 public:
  enum class Step {
    kWait,     // nothing to do now: a page is at work, or more pages may still come
    kHandOff,  // hand the page named over to the destination (it is now at work)
    kEnd,      // every page has been dealt with: the job ends
  };

  // A new job; `oneAtATime` for a destination that works on after the hand-off.
  void Reset(bool oneAtATime);
  // The acquisition library's delivering call begins (calls may nest).
  void EnterDelivery();
  // The call returns; kEnd when it was the outermost one and the job has nothing left.
  Step LeaveDelivery();
  // A page is filed and ready: kHandOff (with `page` at work) or kWait (it waits its turn).
  Step PageFiled(const CString& page);
  // A page was filed and left out (a blank page of a batch): it counts as dealt with.
  void PageLeftOut() { m_pageFiled = true; }
  // The page at work has been dealt with: kHandOff with `next` the next waiting page, kEnd,
  // or kWait while the delivering call runs on.
  Step PageDone(CString& next);

  // Within the acquisition library's delivering call.
  bool Delivering() const { return m_deliveryDepth > 0; }
  bool Working() const { return m_atWork; }
  const CString& PageAtWork() const { return m_pageAtWork; }
  size_t Waiting() const { return m_waiting.size(); }

 private:
  bool Finished() const;

  bool m_oneAtATime = false;
  int m_deliveryDepth = 0;
  bool m_pageFiled = false;
  bool m_atWork = false;
  CString m_pageAtWork;
  std::deque<CString> m_waiting;
};
