// A parent window that records the notifications its controls send (WM_COMMAND,
// WM_HSCROLL, WM_VSCROLL), for the tests of the control classes.
#pragma once

#include <gtest/gtest.h>
#include <winsim/win32.h>

#include <functional>
#include <ostream>
#include <vector>

struct Notification {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

inline std::vector<Notification>& ReceivedNotifications()
{
    static std::vector<Notification> received;
    return received;
}

// Runs inside the parent's procedure for each notification, to look at the control then.
inline std::function<void(const Notification&)>& OnNotification()
{
    static std::function<void(const Notification&)> handler;
    return handler;
}

inline LRESULT CALLBACK RecordingParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COMMAND || message == WM_HSCROLL || message == WM_VSCROLL) {
        const Notification received{message, wParam, lParam};
        ReceivedNotifications().push_back(received);
        if (OnNotification()) {
            OnNotification()(received);
        }
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

class ControlTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        WNDCLASSA parentClass{};
        parentClass.lpfnWndProc = RecordingParentProc;
        parentClass.lpszClassName = "ControlTestParent";
        RegisterClassA(&parentClass);
        parent_ = CreateWindowExA(0, "ControlTestParent", "Parent", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                  400, 300, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(parent_, nullptr);
        ReceivedNotifications().clear();
    }

    void TearDown() override
    {
        OnNotification() = nullptr;
        DestroyWindow(parent_);
    }

    HWND Child(const char* className, DWORD style, int id, const char* text = "", int width = 120,
               int height = 30)
    {
        return CreateWindowExA(0, className, text, WS_CHILD | WS_VISIBLE | style, 10, 10, width, height,
                               parent_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
    }

    static std::vector<Notification> TakeNotifications()
    {
        std::vector<Notification> taken;
        taken.swap(ReceivedNotifications());
        return taken;
    }

    HWND parent_ = nullptr;
};

inline bool operator==(const Notification& a, const Notification& b)
{
    return a.message == b.message && a.wParam == b.wParam && a.lParam == b.lParam;
}

inline void PrintTo(const Notification& n, std::ostream* os)
{
    *os << "{message 0x" << std::hex << n.message << ", code " << std::dec << LOWORD(n.wParam) << ", high "
        << static_cast<SHORT>(HIWORD(n.wParam)) << ", lParam 0x" << std::hex << n.lParam << std::dec << "}";
}
