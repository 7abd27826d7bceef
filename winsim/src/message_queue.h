// The thread's queue of posted messages, which a message loop takes them from.
#pragma once

#include <winsim/control.h>

#include <functional>
#include <optional>

namespace winsim::detail {

void PostToQueue(const PostedMessage& message);
// A broadcast, kept for the tests (winsim::Broadcasts) before it is delivered.
void RecordBroadcast(const PostedMessage& message);
// The oldest posted message, removed from the queue; none when the queue is empty.
std::optional<PostedMessage> TakePostedMessage();
// The oldest posted message that `accept` takes; removed from the queue when `remove`.
std::optional<PostedMessage> FindPostedMessage(const std::function<bool(const PostedMessage&)>& accept,
                                               bool remove);
// A window that is destroyed takes its posted messages with it.
void RemovePostedMessages(HWND window);
std::size_t PostedMessageCount();

// The window manager's side: whether a handle names a window now, and the delivery of a
// broadcast to every top-level window.
bool IsWindowHandle(HWND window);
void DeliverBroadcast(const PostedMessage& message);

}  // namespace winsim::detail
