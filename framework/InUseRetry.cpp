// CInUseRetry.
#include "framework/InUseRetry.h"

namespace {
const uint32_t kSharingViolation = 32;
const uint32_t kLockViolation = 33;
const uint32_t kUserMappedFile = 1224;
}  // namespace

bool CInUseRetry::IsInUse(uint32_t error) {
  return error == kSharingViolation || error == kLockViolation || error == kUserMappedFile;
}

bool CInUseRetry::Again(uint32_t error, uint32_t nowMs) const {
  return IsInUse(error) && nowMs - m_startMs < kLimitMs;
}
