// rlbdump: loads a resource library with LoadLibraryA and prints what LoadStringA and
// FindResourceA read from it: the component's strings (whole and cut to small buffers), the
// version record in hex, the pictures and dialog, and the errors for what is not there.
// Built for Windows it runs under Wine; built on Linux it runs on winsim. The two outputs for
// the same file must be the same.
//
// Usage: rlbdump PATH   (on Linux PATH is a host path; its directory is mapped as C:\RLB)
#ifdef _WIN32
#include <windows.h>
#else
#include <winsim/control.h>

#include <filesystem>
#endif

#include <cstdio>
#include <string>

namespace {

constexpr int kWholeString = 512;

std::string Quoted(const char* text, int count)
{
    std::string result = "\"";
    for (int i = 0; i < count; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == '\n') {
            result += "\\n";
        } else if (c < 0x20 || c >= 0x7F || c == '"' || c == '\\') {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
            result += escaped;
        } else {
            result += static_cast<char>(c);
        }
    }
    return result + "\"";
}

void PrintString(HMODULE library, UINT id, int bufferSize)
{
    char buffer[kWholeString];
    buffer[0] = '\0';
    const int count = LoadStringA(library, id, buffer, bufferSize);
    if (bufferSize == kWholeString) {
        std::printf("string %u: %d %s\n", id, count, count >= 0 ? Quoted(buffer, count).c_str() : "");
    } else {
        std::printf("string %u in %d: %d %s\n", id, bufferSize, count,
                    count >= 0 ? Quoted(buffer, count).c_str() : "");
    }
}

void PrintResource(HMODULE library, const char* what, LPCSTR name, LPCSTR type, bool hex)
{
    const HRSRC found = FindResourceA(library, name, type);
    if (found == nullptr) {
        std::printf("%s: error %lu\n", what, static_cast<unsigned long>(GetLastError()));
        return;
    }
    const HGLOBAL loaded = LoadResource(library, found);
    const auto* data = static_cast<const unsigned char*>(LockResource(loaded));
    const DWORD size = SizeofResource(library, found);
    std::printf("%s: %lu bytes", what, static_cast<unsigned long>(size));
    for (DWORD i = 0; hex && data != nullptr && i < size; ++i) {
        std::printf(" %02X", data[i]);
    }
    std::printf("\n");
}

int Dump(const std::string& path)
{
    const HMODULE library = LoadLibraryA(path.c_str());
    if (library == nullptr) {
        std::printf("library: error %lu\n", static_cast<unsigned long>(GetLastError()));
        return 1;
    }
    std::printf("library: loaded\n");
    for (UINT id : {10u, 11u, 20u, 21u, 30u, 31u, 1000u, 1001u, 1002u, 12u, 40u}) {
        PrintString(library, id, kWholeString);
    }
    PrintString(library, 21, 16);
    PrintString(library, 10, 2);
    PrintString(library, 10, 1);
    PrintString(library, 10, 0);

    PrintResource(library, "CustomVerInfo", "CustomVerInfo", RT_RCDATA, true);
    PrintResource(library, "customverinfo", "customverinfo", RT_RCDATA, true);
    PrintResource(library, "bitmap 100", MAKEINTRESOURCEA(100), RT_BITMAP, false);
    PrintResource(library, "bitmap 101", MAKEINTRESOURCEA(101), RT_BITMAP, false);
    PrintResource(library, "bitmap 102", "#102", RT_BITMAP, false);
    PrintResource(library, "dialog 103", MAKEINTRESOURCEA(103), RT_DIALOG, false);
    PrintResource(library, "bitmap 104", MAKEINTRESOURCEA(104), RT_BITMAP, false);
    PrintResource(library, "menu 1", MAKEINTRESOURCEA(1), RT_MENU, false);
    PrintResource(library, "CustomVerInf", "CustomVerInf", RT_RCDATA, false);
    std::printf("free: %d\n", FreeLibrary(library) ? 1 : 0);

    const std::string missing = path.substr(0, path.find_last_of("\\/") + 1) + "NOWHERE.RLB";
    std::printf("missing library: %s\n", LoadLibraryA(missing.c_str()) == nullptr ? "refused" : "loaded");
    std::printf("missing library error: %lu\n", static_cast<unsigned long>(GetLastError()));
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: rlbdump PATH\n");
        return 2;
    }
#ifdef _WIN32
    return Dump(argv[1]);
#else
    const std::filesystem::path host = std::filesystem::absolute(argv[1]);
    winsim::MapDirectory("C:\\RLB", host.parent_path().string());
    return Dump("C:\\RLB\\" + host.filename().string());
#endif
}
