// The thread's queue of posted messages, which waits until a message loop takes them, and
// the record of broadcasts that tests read.
#include <winsim/control.h>
#include <winsim/win32.h>

#include <algorithm>
#include <deque>
#include <vector>

#include "message_queue.h"

namespace {

struct Messages {
    std::vector<winsim::PostedMessage> broadcasts;
    std::deque<winsim::PostedMessage> queue;
};

Messages& State()
{
    static auto* messages = new Messages;
    return *messages;
}

}  // namespace

namespace winsim {

const std::vector<PostedMessage>& Broadcasts()
{
    return State().broadcasts;
}

void ClearBroadcasts()
{
    State().broadcasts.clear();
}

namespace detail {

void RecordBroadcast(const PostedMessage& message)
{
    State().broadcasts.push_back(message);
}

void PostToQueue(const PostedMessage& message)
{
    State().queue.push_back(message);
}

std::optional<PostedMessage> TakePostedMessage()
{
    auto& queue = State().queue;
    if (queue.empty()) {
        return std::nullopt;
    }
    PostedMessage message = queue.front();
    queue.pop_front();
    return message;
}

std::optional<PostedMessage> FindPostedMessage(const std::function<bool(const PostedMessage&)>& accept,
                                               bool remove)
{
    auto& queue = State().queue;
    const auto found = std::find_if(queue.begin(), queue.end(), accept);
    if (found == queue.end()) {
        return std::nullopt;
    }
    PostedMessage message = *found;
    if (remove) {
        queue.erase(found);
    }
    return message;
}

void RemovePostedMessages(HWND window)
{
    auto& queue = State().queue;
    queue.erase(std::remove_if(queue.begin(), queue.end(),
                               [&](const PostedMessage& message) { return message.window == window; }),
                queue.end());
}

std::size_t PostedMessageCount()
{
    return State().queue.size();
}

}  // namespace detail
}  // namespace winsim
