// Makes the fuzz seeds that come from the resource libraries the build makes: a small
// library with KVSettng.RLB's texts, record and dialog and a tiny picture in every format the
// loader reads (pe_resources), and the dialog templates of both libraries (dialog_template).
//
// Usage: make_fuzz_seeds KVSettng.RLB DESKHOST.RES OUTPUT-DIRECTORY
#include <winsim/control.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <span>
#include <string>
#include <vector>

#include "kernel_resources.h"
#include "resource_image.h"

namespace {

namespace fs = std::filesystem;

constexpr std::uint16_t kRtBitmap = 2;
constexpr std::uint16_t kRtDialog = 5;
constexpr std::uint16_t kRtRcdata = 10;
constexpr UINT kStringIds[] = {10, 11, 20, 21, 22, 30, 31, 1000, 1001, 1002};

void WriteFile(const fs::path& path, std::span<const std::uint8_t> bytes)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

HMODULE Load(const fs::path& host, const std::string& directory)
{
    winsim::MapDirectory(directory, fs::absolute(host).parent_path().string());
    return LoadLibraryA((directory + "\\" + host.filename().string()).c_str());
}

std::vector<std::uint8_t> Resource(HMODULE library, LPCSTR name, LPCSTR type)
{
    const auto bytes = winsim::detail::ResourceBytes(library, name, type);
    if (!bytes) {
        return {};
    }
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes->data());
    return std::vector<std::uint8_t>(data, data + bytes->size());
}

void Put(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i) {
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    }
}

// A 4 x 3 device-independent bitmap of `bits` per pixel, with a palette of four colours where
// it has one, its rows padded to four bytes.
std::vector<std::uint8_t> TinyPicture(int bits)
{
    constexpr int kWidth = 4;
    constexpr int kHeight = 3;
    const int colours = bits <= 8 ? 4 : 0;
    std::vector<std::uint8_t> dib;
    Put(dib, 40, 4);
    Put(dib, kWidth, 4);
    Put(dib, kHeight, 4);
    Put(dib, 1, 2);
    Put(dib, static_cast<std::uint32_t>(bits), 2);
    Put(dib, 0, 4);  // BI_RGB
    Put(dib, 0, 4);
    Put(dib, 0, 4);
    Put(dib, 0, 4);
    Put(dib, static_cast<std::uint32_t>(colours), 4);
    Put(dib, 0, 4);
    for (int i = 0; i < colours; ++i) {
        Put(dib, 0x00402010u * static_cast<std::uint32_t>(i), 4);
    }
    const int rowBytes = (kWidth * bits + 31) / 32 * 4;
    for (int i = 0; i < rowBytes * kHeight; ++i) {
        dib.push_back(static_cast<std::uint8_t>(i * 37 + 11));
    }
    return dib;
}

// A DLGTEMPLATEEX with a font and one push button: the form neither library uses.
std::vector<std::uint8_t> ExtendedDialog()
{
    std::vector<std::uint8_t> t;
    auto text = [&t](std::u16string_view s) {
        for (char16_t c : s) {
            Put(t, c, 2);
        }
        Put(t, 0, 2);
    };
    Put(t, 1, 2);
    Put(t, 0xFFFF, 2);
    Put(t, 0, 4);                                                   // help ID
    Put(t, 0, 4);                                                   // extended style
    Put(t, WS_POPUP | WS_CAPTION | DS_SETFONT | DS_MODALFRAME, 4);  // style
    Put(t, 1, 2);                                                   // one item
    for (int v : {0, 0, 120, 40}) {
        Put(t, static_cast<std::uint32_t>(v), 2);
    }
    Put(t, 0, 2);  // no menu
    Put(t, 0, 2);  // the dialog class
    text(u"Extended");
    Put(t, 8, 2);
    Put(t, 400, 2);
    Put(t, 0, 1);
    Put(t, 0, 1);
    text(u"MS Shell Dlg");
    while (t.size() % 4 != 0) {
        t.push_back(0);
    }
    Put(t, 0, 4);  // help ID
    Put(t, 0, 4);
    Put(t, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 4);
    for (int v : {35, 15, 50, 14}) {
        Put(t, static_cast<std::uint32_t>(v), 2);
    }
    Put(t, IDOK, 4);
    Put(t, 0xFFFF, 2);
    Put(t, 0x0080, 2);  // Button
    text(u"OK");
    Put(t, 0, 2);  // no creation data
    return t;
}

std::u16string Widened(const char* text)
{
    std::u16string wide;
    for (const char* c = text; *c != '\0'; ++c) {
        wide.push_back(static_cast<unsigned char>(*c));
    }
    return wide;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: make_fuzz_seeds KVSettng.RLB DESKHOST.RES OUTPUT-DIRECTORY\n");
        return 2;
    }
    const HMODULE library = Load(argv[1], "C:\\RLB");
    const HMODULE panel = Load(argv[2], "C:\\PANEL");
    if (library == nullptr || panel == nullptr) {
        std::fprintf(stderr, "make_fuzz_seeds: cannot load %s or %s\n", argv[1], argv[2]);
        return 1;
    }
    const fs::path out = argv[3];

    fuzz::ResourceImage small;
    for (UINT id : kStringIds) {
        char text[512];
        if (LoadStringA(library, id, text, sizeof text) > 0) {
            small.AddString(static_cast<std::uint16_t>(id), Widened(text));
        }
    }
    small.AddData(fuzz::ResourceName::Number(kRtRcdata), fuzz::ResourceName::Named(u"CustomVerInfo"),
                  Resource(library, "CustomVerInfo", RT_RCDATA));
    const std::vector<std::uint8_t> confirm = Resource(library, MAKEINTRESOURCEA(103), RT_DIALOG);
    small.AddData(fuzz::ResourceName::Number(kRtDialog), fuzz::ResourceName::Number(103), confirm);
    std::uint16_t id = 100;
    for (int bits : {1, 4, 8}) {
        small.AddData(fuzz::ResourceName::Number(kRtBitmap), fuzz::ResourceName::Number(id++),
                      TinyPicture(bits));
    }
    id = 200;
    for (int bits : {1, 4, 8, 16, 24, 32}) {
        small.AddData(fuzz::ResourceName::Number(kRtBitmap), fuzz::ResourceName::Number(id++),
                      TinyPicture(bits));
    }
    WriteFile(out / "pe_resources" / "small.RLB", small.Build());

    WriteFile(out / "dialog_template" / "confirm", confirm);
    for (WORD dialog : {101, 102, 110}) {
        WriteFile(out / "dialog_template" / ("panel" + std::to_string(dialog)),
                  Resource(panel, MAKEINTRESOURCEA(dialog), RT_DIALOG));
    }
    WriteFile(out / "dialog_template" / "extended", ExtendedDialog());
    return 0;
}
