// Posted messages. A broadcast is recorded for the tests and, like every posted message,
// waits in the thread's queue until a message loop takes it.
#include <winsim/control.h>
#include <winsim/win32.h>

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
    } else if (window != nullptr) {
        // No window exists that could receive it.
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

std::size_t PostedMessageCount()
{
    return State().queue.size();
}

}  // namespace detail
}  // namespace winsim
