// The thread's queue of posted messages, which a message loop takes them from.
#pragma once

#include <winsim/control.h>

#include <optional>

namespace winsim::detail {

void PostToQueue(const PostedMessage& message);
// The oldest posted message, removed from the queue; none when the queue is empty.
std::optional<PostedMessage> TakePostedMessage();
std::size_t PostedMessageCount();

}  // namespace winsim::detail
