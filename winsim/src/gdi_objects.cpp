// Graphics objects: one table of fonts, brushes and bitmaps with small handles, the stock
// objects, and what each device context holds selected.
#include "gdi_objects.h"

#include <winsim/control.h>
#include <winsim/win32.h>

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <map>
#include <utility>

#include "device_contexts.h"
#include "faults.h"

namespace winsim::detail {
namespace {

constexpr std::size_t kKinds = static_cast<std::size_t>(GdiKind::Bitmap) + 1;

// A handle carries its kind in the high byte (the DC table's handles carry 0x01 there), so
// handles of different kinds never meet. The rest counts up in steps of 4 and is never
// reused, so that a deleted object's handle stays invalid.
constexpr std::uintptr_t kSerialStep = 4;
constexpr std::uintptr_t kSerialLimit = 0x01000000;

std::uintptr_t KindTag(GdiKind kind)
{
    switch (kind) {
        case GdiKind::Font:
            return 0x0A;
        case GdiKind::Brush:
            return 0x10;
        case GdiKind::Bitmap:
            return 0x05;
        case GdiKind::DeviceContext:
            return 0x01;
    }
    return 0;
}

std::size_t IndexOf(GdiKind kind)
{
    return static_cast<std::size_t>(kind);
}

// What a DC holds selected, one object per kind that a DC can select.
struct Selections {
    std::array<HGDIOBJ, kKinds> objects{};
};

struct Table {
    std::map<std::uintptr_t, GdiObject> objects;
    std::array<std::uintptr_t, kKinds> nextSerial{};
    std::map<int, HGDIOBJ> stock;  // by GetStockObject index
    HGDIOBJ defaultBitmap = nullptr;
    std::map<HDC, Selections> selections;
};

LOGFONTA MakeLogFont(LONG height, LONG width, LONG weight, BYTE charSet, BYTE pitchAndFamily,
                     const char* face)
{
    LOGFONTA font{};
    font.lfHeight = height;
    font.lfWidth = width;
    font.lfWeight = weight;
    font.lfCharSet = charSet;
    font.lfPitchAndFamily = pitchAndFamily;
    std::strncpy(font.lfFaceName, face, LF_FACESIZE - 1);
    return font;
}

constexpr BYTE kAnsiCharset = 0;
constexpr BYTE kDefaultCharset = 1;
constexpr BYTE kVariablePitchSwiss = 0x22;  // VARIABLE_PITCH | FF_SWISS

HGDIOBJ AddTo(Table& table, GdiKind kind, GdiPayload payload)
{
    std::uintptr_t& serial = table.nextSerial[IndexOf(kind)];
    if (serial >= kSerialLimit) {
        return nullptr;
    }
    const std::uintptr_t handle = (KindTag(kind) << 24) | serial;
    serial += kSerialStep;
    GdiObject object;
    object.kind = kind;
    object.payload = std::move(payload);
    table.objects.emplace(handle, std::move(object));
    return reinterpret_cast<HGDIOBJ>(handle);
}

void AddStock(Table& table, int index, GdiKind kind, GdiPayload payload)
{
    HGDIOBJ handle = AddTo(table, kind, std::move(payload));
    table.objects[reinterpret_cast<std::uintptr_t>(handle)].stock = true;
    table.stock[index] = handle;
}

void AddStockObjects(Table& table)
{
    AddStock(table, WHITE_BRUSH, GdiKind::Brush, BrushObject{0, RGB(255, 255, 255)});
    AddStock(table, LTGRAY_BRUSH, GdiKind::Brush, BrushObject{0, RGB(192, 192, 192)});
    AddStock(table, GRAY_BRUSH, GdiKind::Brush, BrushObject{0, RGB(128, 128, 128)});
    AddStock(table, 3 /* DKGRAY_BRUSH */, GdiKind::Brush, BrushObject{0, RGB(64, 64, 64)});
    AddStock(table, BLACK_BRUSH, GdiKind::Brush, BrushObject{0, RGB(0, 0, 0)});
    AddStock(table, NULL_BRUSH, GdiKind::Brush, BrushObject{1, 0});
    table.defaultBitmap = AddTo(table, GdiKind::Bitmap, BitmapObject{MakeSurface(1, 1, PixelFormat::Mono)});
    table.objects[reinterpret_cast<std::uintptr_t>(table.defaultBitmap)].stock = true;
    AddStock(table, SYSTEM_FONT, GdiKind::Font,
             FontObject{MakeLogFont(16, 7, FW_BOLD, kAnsiCharset, kVariablePitchSwiss, "System")});
    AddStock(
        table, DEFAULT_GUI_FONT, GdiKind::Font,
        FontObject{MakeLogFont(-11, 0, FW_NORMAL, kDefaultCharset, kVariablePitchSwiss, "MS Sans Serif")});
}

Table& State()
{
    static Table* table = [] {
        auto* created = new Table;
        created->nextSerial.fill(kSerialStep);
        AddStockObjects(*created);
        return created;
    }();
    return *table;
}

// Removes an object from the table; a bitmap's pixel memory goes back for the next one.
void Erase(HGDIOBJ handle)
{
    auto& objects = State().objects;
    auto found = objects.find(reinterpret_cast<std::uintptr_t>(handle));
    if (found == objects.end()) {
        return;
    }
    if (auto* bitmap = std::get_if<BitmapObject>(&found->second.payload)) {
        RecycleSurface(std::move(bitmap->surface));
    }
    objects.erase(found);
}

// The DC lets go of one selected object; a pending deletion completes with the last one.
void Deselect(HGDIOBJ handle)
{
    GdiObject* object = FindGdiObject(handle);
    if (object == nullptr) {
        return;
    }
    object->selections = std::max(0, object->selections - 1);
    if (object->deletePending && object->selections == 0) {
        Erase(handle);
    }
}

Selections& SelectionsOf(HDC dc)
{
    Table& table = State();
    auto found = table.selections.find(dc);
    if (found != table.selections.end()) {
        return found->second;
    }
    // A new DC starts with the system font and the white brush; a memory DC also with the
    // default bitmap.
    Selections initial;
    initial.objects[IndexOf(GdiKind::Font)] = table.stock[SYSTEM_FONT];
    initial.objects[IndexOf(GdiKind::Brush)] = table.stock[WHITE_BRUSH];
    const DeviceContext* context = FindDeviceContext(dc);
    if (context != nullptr && context->kind == DcKind::Memory) {
        initial.objects[IndexOf(GdiKind::Bitmap)] = table.defaultBitmap;
    }
    for (HGDIOBJ held : initial.objects) {
        if (GdiObject* object = FindGdiObject(held)) {
            ++object->selections;
        }
    }
    return table.selections.emplace(dc, initial).first->second;
}

int CopyLogFont(const LOGFONTA& font, int size, void* buffer)
{
    if (buffer == nullptr) {
        return static_cast<int>(sizeof(LOGFONTA));
    }
    if (size <= 0) {
        return 0;
    }
    // A short buffer receives the first `size` bytes, and the count says so.
    const int count = std::min(size, static_cast<int>(sizeof(LOGFONTA)));
    std::memcpy(buffer, &font, static_cast<std::size_t>(count));
    return count;
}

// Brushes and bitmaps are copied whole or not at all.
template <typename Record>
int CopyWhole(const Record& record, int size, void* buffer)
{
    if (buffer == nullptr) {
        return static_cast<int>(sizeof(Record));
    }
    if (size < static_cast<int>(sizeof(Record))) {
        return 0;
    }
    std::memcpy(buffer, &record, sizeof(Record));
    return static_cast<int>(sizeof(Record));
}

// A device-dependent bitmap's rows are padded to whole 16-bit words.
BITMAP DescribeBitmap(const Surface& surface)
{
    BITMAP info{};
    info.bmWidth = surface.width;
    info.bmHeight = surface.height;
    const int bits = BitsPerPixel(surface.format);
    info.bmWidthBytes = static_cast<LONG>((static_cast<std::int64_t>(surface.width) * bits + 15) / 16 * 2);
    info.bmPlanes = 1;
    info.bmBitsPixel = static_cast<WORD>(bits);
    return info;
}

}  // namespace

HGDIOBJ AddGdiObject(GdiKind kind, GdiPayload payload)
{
    return AddTo(State(), kind, std::move(payload));
}

GdiObject* FindGdiObject(HGDIOBJ handle)
{
    auto& objects = State().objects;
    auto found = objects.find(reinterpret_cast<std::uintptr_t>(handle));
    return found == objects.end() ? nullptr : &found->second;
}

const LOGFONTA* FindFont(HGDIOBJ handle)
{
    GdiObject* object = FindGdiObject(handle);
    if (object == nullptr) {
        return nullptr;
    }
    const auto* font = std::get_if<FontObject>(&object->payload);
    return font == nullptr ? nullptr : &font->logFont;
}

int FontCellHeight(HGDIOBJ font)
{
    const LOGFONTA* logFont = FindFont(font);
    if (logFont == nullptr) {
        logFont = FindFont(State().stock[SYSTEM_FONT]);
    }
    const LONG height = logFont->lfHeight;
    if (height > 0) {
        return height;  // a positive height asks for the cell height itself
    }
    if (height == 0) {
        return FindFont(State().stock[SYSTEM_FONT])->lfHeight;
    }
    // A negative height asks for the character height; the sans-serif faces add a fifth
    // of it as internal leading (-11 gives the 13-pixel cell of 8-point MS Sans Serif).
    return static_cast<int>((-static_cast<std::int64_t>(height) * 6 + 2) / 5);
}

HGDIOBJ SelectedObject(HDC dc, GdiKind kind)
{
    if (kind == GdiKind::DeviceContext || FindDeviceContext(dc) == nullptr) {
        return nullptr;
    }
    return SelectionsOf(dc).objects[IndexOf(kind)];
}

HGDIOBJ AddStockGdiObject(GdiKind kind, GdiPayload payload)
{
    Table& table = State();
    HGDIOBJ handle = AddTo(table, kind, std::move(payload));
    if (handle != nullptr) {
        table.objects[reinterpret_cast<std::uintptr_t>(handle)].stock = true;
    }
    return handle;
}

HGDIOBJ DefaultBitmap()
{
    return State().defaultBitmap;
}

Surface* FindBitmapSurface(HGDIOBJ handle)
{
    GdiObject* object = FindGdiObject(handle);
    if (object == nullptr) {
        return nullptr;
    }
    auto* bitmap = std::get_if<BitmapObject>(&object->payload);
    return bitmap == nullptr ? nullptr : &bitmap->surface;
}

const BrushObject* FindBrush(HGDIOBJ handle)
{
    GdiObject* object = FindGdiObject(handle);
    return object == nullptr ? nullptr : std::get_if<BrushObject>(&object->payload);
}

void DropDcSelections(HDC dc)
{
    Table& table = State();
    auto found = table.selections.find(dc);
    if (found == table.selections.end()) {
        return;
    }
    const Selections held = found->second;
    table.selections.erase(found);
    for (HGDIOBJ object : held.objects) {
        Deselect(object);
    }
}

}  // namespace winsim::detail

using winsim::GdiKind;
using winsim::detail::FindGdiObject;
using winsim::detail::GdiObject;

HFONT WINAPI CreateFontIndirectA(const LOGFONTA* font)
{
    const bool failing = winsim::detail::FailableCall("CreateFontIndirectA");
    if (font == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    if (failing || winsim::detail::ConsumeFault(winsim::Fault::CreateFont)) {
        return nullptr;
    }
    winsim::detail::FontObject object{*font};
    // The face name is kept up to its first null and at most LF_FACESIZE - 1 characters.
    char* face = object.logFont.lfFaceName;
    face[LF_FACESIZE - 1] = '\0';
    const std::size_t length = std::strlen(face);
    std::fill(face + length, face + LF_FACESIZE, '\0');
    return static_cast<HFONT>(winsim::detail::AddGdiObject(GdiKind::Font, object));
}

HGDIOBJ WINAPI GetStockObject(int index)
{
    if (index < 0) {
        return nullptr;
    }
    auto& stock = winsim::detail::State().stock;
    auto found = stock.find(index);
    return found == stock.end() ? nullptr : found->second;
}

int WINAPI GetObjectA(HANDLE object, int size, LPVOID buffer)
{
    if (winsim::detail::FailableCall("GetObjectA")) {
        return 0;
    }
    const GdiObject* found = FindGdiObject(object);
    if (found == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    if (const auto* font = std::get_if<winsim::detail::FontObject>(&found->payload)) {
        return winsim::detail::CopyLogFont(font->logFont, size, buffer);
    }
    if (const auto* brush = std::get_if<winsim::detail::BrushObject>(&found->payload)) {
        const LOGBRUSH logBrush{brush->style, brush->colour, 0};
        return winsim::detail::CopyWhole(logBrush, size, buffer);
    }
    if (const auto* bitmap = std::get_if<winsim::detail::BitmapObject>(&found->payload)) {
        return winsim::detail::CopyWhole(winsim::detail::DescribeBitmap(bitmap->surface), size, buffer);
    }
    return 0;
}

HGDIOBJ WINAPI SelectObject(HDC dc, HGDIOBJ object)
{
    if (winsim::detail::FailableCall("SelectObject") || winsim::detail::FindDeviceContext(dc) == nullptr) {
        return nullptr;
    }
    GdiObject* selected = FindGdiObject(object);
    if (selected == nullptr) {
        return nullptr;
    }
    HGDIOBJ& slot = winsim::detail::SelectionsOf(dc).objects[winsim::detail::IndexOf(selected->kind)];
    HGDIOBJ previous = slot;
    if (previous == object) {
        return previous;
    }
    // A bitmap goes only into a memory DC, and into one DC at a time.
    if (selected->kind == GdiKind::Bitmap &&
        (winsim::detail::FindDeviceContext(dc)->kind != winsim::detail::DcKind::Memory ||
         (!selected->stock && selected->selections > 0))) {
        return nullptr;
    }
    ++selected->selections;
    slot = object;
    winsim::detail::Deselect(previous);
    return previous;
}

BOOL WINAPI DeleteObject(HGDIOBJ object)
{
    GdiObject* found = FindGdiObject(object);
    if (found == nullptr) {
        return FALSE;
    }
    // Deleting a stock object is harmless and reported as done.
    if (found->stock) {
        return TRUE;
    }
    // An object still selected into a DC goes when the DC lets go of it.
    if (found->selections > 0) {
        found->deletePending = true;
        return TRUE;
    }
    winsim::detail::Erase(object);
    return TRUE;
}

namespace winsim {

int LiveGdiObjects(GdiKind kind)
{
    const auto& objects = detail::State().objects;
    if (kind == GdiKind::DeviceContext) {
        return detail::LiveDeviceContexts();
    }
    return static_cast<int>(std::count_if(objects.begin(), objects.end(), [&](const auto& entry) {
        return entry.second.kind == kind && !entry.second.stock;
    }));
}

}  // namespace winsim
