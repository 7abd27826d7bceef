// Reading and writing dialog templates. Every read is checked against the template's size.
#include "user_dialog_template.h"

#include <cstring>

namespace winsim::detail {
namespace {

constexpr WORD kOrdinalMark = 0xFFFF;
constexpr WORD kExtendedSignature = 0xFFFF;

class Reader {
public:
    Reader(const BYTE* data, std::size_t size) : data_(data), size_(size) {}

    bool ok() const { return ok_; }

    WORD Word()
    {
        WORD value = 0;
        Read(&value, sizeof(value));
        return value;
    }
    DWORD Dword()
    {
        DWORD value = 0;
        Read(&value, sizeof(value));
        return value;
    }
    short Short() { return static_cast<short>(Word()); }
    BYTE Byte()
    {
        BYTE value = 0;
        Read(&value, sizeof(value));
        return value;
    }
    // Items begin on a DWORD boundary of the template.
    void AlignDword() { Skip((4 - pos_ % 4) % 4); }
    void Skip(std::size_t count)
    {
        if (!ok_ || count > size_ - pos_) {
            ok_ = false;
            return;
        }
        pos_ += count;
    }
    // A zero-terminated UTF-16 string, narrowed; characters beyond Latin-1 read as '?'.
    std::string String(WORD first)
    {
        std::string text;
        for (WORD c = first; ok_ && c != 0; c = Word()) {
            text.push_back(c < 0x100 ? static_cast<char>(c) : '?');
        }
        return text;
    }
    std::string String() { return String(Word()); }
    // A name or an ordinal (0xFFFF and a WORD); `ordinal` tells which.
    std::string NameOrOrdinal(std::optional<WORD>& ordinal)
    {
        const WORD first = Word();
        ordinal.reset();
        if (first == kOrdinalMark) {
            ordinal = Word();
            return std::string();
        }
        return String(first);
    }

private:
    void Read(void* out, std::size_t count)
    {
        if (!ok_ || count > size_ - pos_) {
            ok_ = false;
            return;
        }
        std::memcpy(out, data_ + pos_, count);
        pos_ += count;
    }

    const BYTE* data_;
    std::size_t size_;
    std::size_t pos_ = 0;
    bool ok_ = true;
};

std::optional<std::string> PredefinedClass(WORD atom)
{
    switch (atom) {
        case 0x0080:
            return "Button";
        case 0x0081:
            return "Edit";
        case 0x0082:
            return "Static";
        case 0x0083:
            return "ListBox";
        case 0x0084:
            return "ScrollBar";
        case 0x0085:
            return "ComboBox";
        default:
            return std::nullopt;
    }
}

bool ReadItem(Reader& reader, bool extended, DialogItemTemplate& item)
{
    reader.AlignDword();
    if (extended) {
        reader.Dword();  // help ID
        item.exStyle = reader.Dword();
        item.style = reader.Dword();
    } else {
        item.style = reader.Dword();
        item.exStyle = reader.Dword();
    }
    item.x = reader.Short();
    item.y = reader.Short();
    item.cx = reader.Short();
    item.cy = reader.Short();
    item.id = extended ? reader.Dword() : reader.Word();
    std::optional<WORD> ordinal;
    item.className = reader.NameOrOrdinal(ordinal);
    if (ordinal) {
        const auto name = PredefinedClass(*ordinal);
        if (!name) {
            return false;
        }
        item.className = *name;
    }
    item.title = reader.NameOrOrdinal(ordinal);
    if (ordinal) {
        item.title =
            std::string{'\xFF', static_cast<char>(*ordinal & 0xFF), static_cast<char>(*ordinal >> 8)};
    }
    const WORD extra = reader.Word();
    if (extra != 0 && reader.ok()) {
        item.creationData.resize(sizeof(WORD) + extra);
        std::memcpy(item.creationData.data(), &extra, sizeof(extra));
        for (std::size_t i = 0; i < extra && reader.ok(); ++i) {
            item.creationData[sizeof(WORD) + i] = reader.Byte();
        }
    }
    return reader.ok();
}

class Writer {
public:
    void Word(WORD value) { Append(&value, sizeof(value)); }
    void Dword(DWORD value) { Append(&value, sizeof(value)); }
    void Short(short value) { Append(&value, sizeof(value)); }
    void String(const std::string& text)
    {
        for (char c : text) {
            Word(static_cast<unsigned char>(c));
        }
        Word(0);
    }
    void AlignDword()
    {
        while (bytes_.size() % 4 != 0) {
            bytes_.push_back(0);
        }
    }
    std::vector<BYTE> Take() { return std::move(bytes_); }

private:
    void Append(const void* data, std::size_t count)
    {
        const auto* begin = static_cast<const BYTE*>(data);
        bytes_.insert(bytes_.end(), begin, begin + count);
    }
    std::vector<BYTE> bytes_;
};

}  // namespace

std::optional<DialogTemplate> ParseDialogTemplate(const void* bytes, std::size_t size)
{
    if (bytes == nullptr) {
        return std::nullopt;
    }
    Reader reader(static_cast<const BYTE*>(bytes), size);
    DialogTemplate dialog;
    const WORD version = reader.Word();
    const WORD signature = reader.Word();
    const bool extended = version == 1 && signature == kExtendedSignature;
    WORD count = 0;
    if (extended) {
        reader.Dword();  // help ID
        dialog.exStyle = reader.Dword();
        dialog.style = reader.Dword();
    } else {
        dialog.style = MAKELONG(version, signature);
        dialog.exStyle = reader.Dword();
    }
    count = reader.Word();
    dialog.x = reader.Short();
    dialog.y = reader.Short();
    dialog.cx = reader.Short();
    dialog.cy = reader.Short();
    std::optional<WORD> ordinal;
    reader.NameOrOrdinal(ordinal);  // a menu: dialogs here have none
    dialog.className = reader.NameOrOrdinal(ordinal);
    if (ordinal) {
        dialog.className = "#" + std::to_string(*ordinal);
    }
    dialog.caption = reader.String();
    if ((dialog.style & DS_SETFONT) != 0) {
        dialog.hasFont = true;
        dialog.pointSize = reader.Word();
        if (extended) {
            dialog.weight = reader.Word();
            dialog.italic = reader.Byte();
            dialog.charset = reader.Byte();
        }
        dialog.face = reader.String();
    }
    if (!reader.ok()) {
        return std::nullopt;
    }
    for (WORD i = 0; i < count; ++i) {
        DialogItemTemplate item;
        if (!ReadItem(reader, extended, item)) {
            return std::nullopt;
        }
        dialog.items.push_back(std::move(item));
    }
    return dialog;
}

std::vector<BYTE> BuildDialogTemplate(const DialogTemplate& dialog)
{
    Writer writer;
    writer.Dword(dialog.style | (dialog.hasFont ? static_cast<DWORD>(DS_SETFONT) : 0U));
    writer.Dword(dialog.exStyle);
    writer.Word(static_cast<WORD>(dialog.items.size()));
    writer.Short(dialog.x);
    writer.Short(dialog.y);
    writer.Short(dialog.cx);
    writer.Short(dialog.cy);
    writer.Word(0);  // no menu
    writer.String(dialog.className);
    writer.String(dialog.caption);
    if (dialog.hasFont) {
        writer.Word(dialog.pointSize);
        writer.String(dialog.face);
    }
    for (const DialogItemTemplate& item : dialog.items) {
        writer.AlignDword();
        writer.Dword(item.style);
        writer.Dword(item.exStyle);
        writer.Short(item.x);
        writer.Short(item.y);
        writer.Short(item.cx);
        writer.Short(item.cy);
        writer.Word(static_cast<WORD>(item.id));
        writer.String(item.className);
        writer.String(item.title);
        writer.Word(0);  // no creation data
    }
    return writer.Take();
}

}  // namespace winsim::detail
