// How a message's attachments go out when the server announces a size limit: all in one message
// when it fits, else in order, each message as many whole attachments as fit; one attachment
// that fits in no message stops it all. Platform-free.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct MessagePlan {
  std::vector<size_t> counts;  // attachments per message, in order
  bool tooLarge = false;
  uint64_t size = 0;  // with tooLarge: the size of the message that would not fit
};

// `whole`: the message with every attachment; `fixed`: one without attachments, numbered as the
// longest numbering would make it; `parts`: each attachment's part; `limit` 0: none.
MessagePlan PlanMessages(uint64_t whole, uint64_t fixed, const std::vector<uint64_t>& parts, uint64_t limit);
