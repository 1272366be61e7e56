// CHandOffPacing: the order of a job's hand-offs and its end.
#include "app/job/HandOffPacing.h"

void CHandOffPacing::Reset(bool oneAtATime) {
  m_oneAtATime = oneAtATime;
  m_pageFiled = false;
  m_atWork = false;
  m_pageAtWork.Empty();
  m_waiting.clear();
}

void CHandOffPacing::EnterDelivery() { ++m_deliveryDepth; }

CHandOffPacing::Step CHandOffPacing::LeaveDelivery() {
  if (m_deliveryDepth > 0) --m_deliveryDepth;
  return Finished() ? Step::kEnd : Step::kWait;
}

CHandOffPacing::Step CHandOffPacing::PageFiled(const CString& page) {
  m_pageFiled = true;
  if (m_oneAtATime && m_atWork) {
    m_waiting.push_back(page);
    return Step::kWait;
  }
  m_atWork = true;
  m_pageAtWork = page;
  return Step::kHandOff;
}

CHandOffPacing::Step CHandOffPacing::PageDone(CString& next) {
  m_atWork = false;
  m_pageAtWork.Empty();
  if (!m_waiting.empty()) {
    next = m_waiting.front();
    m_waiting.pop_front();
    m_atWork = true;
    m_pageAtWork = next;
    return Step::kHandOff;
  }
  return Finished() ? Step::kEnd : Step::kWait;
}

// Within the delivering call a later page of the batch may still come.
bool CHandOffPacing::Finished() const {
  return m_pageFiled && m_deliveryDepth == 0 && !m_atWork && m_waiting.empty();
}
