// What winsim's window-manager tests share: a window class that logs its messages, and
// dialog templates written in memory.
#pragma once

#include <winsim/control.h>

#include <cstring>
#include <string>
#include <vector>

namespace user_test {

struct Logged {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

inline std::vector<Logged>& Log()
{
    static std::vector<Logged> log;
    return log;
}

inline std::vector<UINT> MessagesOf(HWND window)
{
    std::vector<UINT> messages;
    for (const Logged& entry : Log()) {
        if (entry.window == window) {
            messages.push_back(entry.message);
        }
    }
    return messages;
}

inline int CountOf(HWND window, UINT message)
{
    int count = 0;
    for (const Logged& entry : Log()) {
        count += (entry.window == window && entry.message == message) ? 1 : 0;
    }
    return count;
}

inline LRESULT CALLBACK LoggingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    Log().push_back(Logged{window, message, wParam, lParam});
    return DefWindowProcA(window, message, wParam, lParam);
}

inline const char* LoggingClass()
{
    static bool registered = false;
    if (!registered) {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = LoggingProc;
        windowClass.lpszClassName = "UserTestWindow";
        windowClass.cbWndExtra = 16;
        RegisterClassA(&windowClass);
        registered = true;
    }
    return "UserTestWindow";
}

inline HWND TopLevel(const char* caption, DWORD style = WS_POPUP | WS_CAPTION | WS_VISIBLE,
                     HWND owner = nullptr)
{
    return CreateWindowExA(0, LoggingClass(), caption, style, 100, 100, 300, 200, owner, nullptr, nullptr,
                           nullptr);
}

inline HWND Child(HWND parent, int id, DWORD style = WS_CHILD | WS_VISIBLE)
{
    return CreateWindowExA(0, LoggingClass(), "child", style, 10, 20, 50, 30, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
}

// A dialog template written item by item, in the plain or the extended form.
class TemplateWriter {
public:
    explicit TemplateWriter(DWORD style, short cx = 200, short cy = 100, bool extended = false,
                            const char* caption = "Dialog")
        : extended_(extended)
    {
        if (extended_) {
            Word(1);
            Word(0xFFFF);
            Dword(0);  // help ID
            Dword(0);  // extended style
            Dword(style);
        } else {
            Dword(style);
            Dword(0);
        }
        countAt_ = bytes_.size();
        Word(0);
        Word(10);
        Word(10);
        Word(static_cast<WORD>(cx));
        Word(static_cast<WORD>(cy));
        Word(0);  // menu
        Word(0);  // class
        String(caption);
        if ((style & DS_SETFONT) != 0) {
            Word(8);
            if (extended_) {
                Word(FW_NORMAL);
                bytes_.push_back(0);
                bytes_.push_back(0);
            }
            String("MS Sans Serif");
        }
    }

    TemplateWriter& Item(WORD classAtom, int id, DWORD style, const char* title = "", short x = 5,
                         short y = 5)
    {
        Align();
        if (extended_) {
            Dword(0);
            Dword(0);
            Dword(style);
        } else {
            Dword(style);
            Dword(0);
        }
        Word(static_cast<WORD>(x));
        Word(static_cast<WORD>(y));
        Word(50);
        Word(14);
        if (extended_) {
            Dword(static_cast<DWORD>(id));
        } else {
            Word(static_cast<WORD>(id));
        }
        Word(0xFFFF);
        Word(classAtom);
        String(title);
        Word(0);
        const WORD count = static_cast<WORD>(++items_);
        std::memcpy(bytes_.data() + countAt_, &count, sizeof(count));
        return *this;
    }

    const DLGTEMPLATE* Get() const { return reinterpret_cast<const DLGTEMPLATE*>(bytes_.data()); }
    std::vector<BYTE> Bytes() const { return bytes_; }

private:
    void Word(WORD value) { Append(&value, sizeof(value)); }
    void Dword(DWORD value) { Append(&value, sizeof(value)); }
    void String(const char* text)
    {
        for (const char* c = text; *c != '\0'; ++c) {
            Word(static_cast<unsigned char>(*c));
        }
        Word(0);
    }
    void Align()
    {
        while (bytes_.size() % 4 != 0) {
            bytes_.push_back(0);
        }
    }
    void Append(const void* data, std::size_t size)
    {
        const auto* begin = static_cast<const BYTE*>(data);
        bytes_.insert(bytes_.end(), begin, begin + size);
    }

    bool extended_;
    std::vector<BYTE> bytes_;
    std::size_t countAt_ = 0;
    int items_ = 0;
};

constexpr WORD kButton = 0x80;
constexpr WORD kStatic = 0x82;

}  // namespace user_test
