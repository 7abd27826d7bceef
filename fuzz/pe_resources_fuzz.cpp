// winsim's PE resource reader on whole files from the input, read as the component and
// rlbdump read a resource library: LoadLibraryA, the strings whole and cut to small buffers,
// FindResourceA, LoadResource and SizeofResource with every byte of what they give read, the
// pictures through LoadBitmapA, and the dialogs made from their templates.
#include <winsim/control.h>

#include <cstdint>
#include <cstring>
#include <span>

#include "dialog_driving.h"
#include "kernel_resources.h"
#include "scratch_directory.h"

namespace {

using fuzz::Expect;

constexpr char kDirectory[] = "C:\\RLB";
constexpr char kFileName[] = "INPUT.RLB";

constexpr UINT kStringIds[] = {0, 10, 11, 15, 16, 20, 21, 22, 30, 31, 40, 41, 1000, 1001, 1002, 65535};
constexpr int kBufferSizes[] = {1, 2, 16, 512};
// The component's pictures and dialog, the test pictures, the control panel's dialogs.
constexpr WORD kBitmapIds[] = {100, 101, 102, 200, 201, 202, 203, 204, 205, 206, 300, 301, 302, 303, 304};
constexpr WORD kDialogIds[] = {101, 102, 103, 110};

void ReadStrings(HMODULE library)
{
    for (UINT id : kStringIds) {
        for (int size : kBufferSizes) {
            char buffer[512];
            std::memset(buffer, 'x', sizeof buffer);
            const int count = LoadStringA(library, id, buffer, size);
            Expect(count >= 0 && count < size && buffer[count] == '\0',
                   "LoadStringA copies what fits and terminates it");
        }
    }
}

// Reads every byte of a found resource, so that a size that runs past the file shows.
void ReadAll(std::span<const std::byte> bytes)
{
    unsigned sum = 0;
    for (std::byte b : bytes) {
        sum += std::to_integer<unsigned>(b);
    }
    static volatile unsigned sink;
    sink = sum;
    (void)sink;
}

void ReadResource(HMODULE library, LPCSTR name, LPCSTR type)
{
    const HRSRC found = FindResourceA(library, name, type);
    if (found == nullptr) {
        return;
    }
    const auto* data = static_cast<const std::byte*>(LockResource(LoadResource(library, found)));
    const DWORD size = SizeofResource(library, found);
    Expect(data != nullptr, "a found resource loads");
    ReadAll(std::span(data, size));
}

void ReadResources(HMODULE library)
{
    ReadResource(library, "CustomVerInfo", RT_RCDATA);
    ReadResource(library, "customverinfo", RT_RCDATA);
    ReadResource(library, "#102", RT_BITMAP);
    for (WORD block : {1, 2, 3, 63, 64}) {
        ReadResource(library, MAKEINTRESOURCEA(block), RT_STRING);
    }
    for (WORD id : kBitmapIds) {
        ReadResource(library, MAKEINTRESOURCEA(id), RT_BITMAP);
    }
    for (WORD id : kDialogIds) {
        ReadResource(library, MAKEINTRESOURCEA(id), RT_DIALOG);
    }
}

void LoadPictures(HMODULE library)
{
    const int bitmaps = winsim::LiveGdiObjects(winsim::GdiKind::Bitmap);
    for (WORD id : kBitmapIds) {
        if (const HBITMAP bitmap = LoadBitmapA(library, MAKEINTRESOURCEA(id))) {
            DeleteObject(bitmap);
        }
    }
    Expect(winsim::LiveGdiObjects(winsim::GdiKind::Bitmap) == bitmaps, "every picture loaded is deleted");
}

void MakeDialogs(HMODULE library)
{
    for (WORD id : kDialogIds) {
        if (const auto bytes = winsim::detail::ResourceBytes(library, MAKEINTRESOURCEA(id), RT_DIALOG)) {
            fuzz::CreateAndDestroyDialog(library, bytes->data(), bytes->size());
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const fuzz::ScratchDirectory directory(kDirectory);
    const std::string path = directory.Write(kFileName, std::span(data, size));
    const HMODULE library = LoadLibraryA(path.c_str());
    if (library == nullptr) {
        return 0;
    }
    ReadStrings(library);
    ReadResources(library);
    LoadPictures(library);
    MakeDialogs(library);
    FreeLibrary(library);
    return 0;
}
