// PlanMessages.
#include "mail/MessagePlan.h"

MessagePlan PlanMessages(uint64_t whole, uint64_t fixed, const std::vector<uint64_t>& parts, uint64_t limit) {
  MessagePlan plan;
  if (limit == 0 || whole <= limit) {
    plan.counts.push_back(parts.size());
    return plan;
  }
  if (parts.size() <= 1) {
    plan.tooLarge = true;
    plan.size = whole;
    return plan;
  }
  uint64_t used = fixed;
  size_t count = 0;
  for (uint64_t part : parts) {
    if (fixed + part > limit) {
      plan.tooLarge = true;
      plan.size = fixed + part;
      plan.counts.clear();
      return plan;
    }
    if (count > 0 && used + part > limit) {
      plan.counts.push_back(count);
      used = fixed;
      count = 0;
    }
    used += part;
    ++count;
  }
  plan.counts.push_back(count);
  return plan;
}
