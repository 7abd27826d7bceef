// Posted messages. A broadcast is recorded for the tests and posted to every top-level
// window; like every posted message it waits in the thread's queue until a message loop
// takes it.
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

BOOL WINAPI PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    const winsim::PostedMessage posted{window, message, wParam, lParam};
    if (window == HWND_BROADCAST) {
        State().broadcasts.push_back(posted);
        winsim::detail::DeliverBroadcast(posted);
        return TRUE;
    }
    if (window != nullptr && !winsim::detail::IsWindowHandle(window)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return FALSE;
    }
    // A null window posts to the thread itself.
    winsim::detail::PostToQueue(posted);
    return TRUE;
}

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
