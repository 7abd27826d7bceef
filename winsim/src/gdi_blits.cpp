// Block transfers: BitBlt, StretchBlt and PatBlt with the ternary raster operations, done row
// by row on the stored device values, with Windows' rules between monochrome and colour.
#include <winsim/control.h>
#include <winsim/win32.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>
#include <vector>

#include "faults.h"
#include "gdi_dcs.h"
#include "gdi_objects.h"
#include "gdi_surfaces.h"

namespace winsim::detail {
namespace {

struct BlitLog {
    bool on = false;
    std::vector<BlitRecord> records;
};

BlitLog& Log()
{
    static auto* log = new BlitLog;
    return *log;
}

std::uint8_t RopCode(DWORD rop)
{
    return static_cast<std::uint8_t>((rop >> 16) & 0xFF);
}

bool UsesSource(std::uint8_t code)
{
    return ((code & 0xCC) >> 2) != (code & 0x33);
}

bool UsesPattern(std::uint8_t code)
{
    return ((code & 0xF0) >> 4) != (code & 0x0F);
}

// Any raster operation, bit by bit: each set bit of the code names one combination of
// pattern, source and destination bits whose result is 1.
std::uint32_t Ternary(std::uint8_t code, std::uint32_t p, std::uint32_t s, std::uint32_t d)
{
    std::uint32_t result = 0;
    for (int i = 0; i < 8; ++i) {
        if (((code >> i) & 1U) != 0) {
            result |= ((i & 4) != 0 ? p : ~p) & ((i & 2) != 0 ? s : ~s) & ((i & 1) != 0 ? d : ~d);
        }
    }
    return result;
}

// Applies the operation to n pixels of a row; `s` may be null when the operation reads no
// source.
[[gnu::target_clones("avx2", "default")]] void ApplyRow(std::uint8_t code, std::uint32_t* __restrict__ d,
                                                        const std::uint32_t* __restrict__ s, std::uint32_t p,
                                                        int n, std::uint32_t mask)
{
    const auto count = static_cast<std::size_t>(n);
    switch (code) {
        case 0xCC:  // SRCCOPY
            std::memcpy(d, s, count * sizeof(std::uint32_t));
            return;
        case 0x88:  // SRCAND
            for (std::size_t i = 0; i < count; ++i) {
                d[i] &= s[i];
            }
            return;
        case 0xEE:  // SRCPAINT
            for (std::size_t i = 0; i < count; ++i) {
                d[i] |= s[i];
            }
            return;
        case 0x66:  // SRCINVERT
            for (std::size_t i = 0; i < count; ++i) {
                d[i] ^= s[i];
            }
            return;
        case 0x33:  // NOTSRCCOPY
            for (std::size_t i = 0; i < count; ++i) {
                d[i] = ~s[i] & mask;
            }
            return;
        case 0xF0:  // PATCOPY
            std::fill(d, d + count, p);
            return;
        case 0x00:  // BLACKNESS
            std::fill(d, d + count, 0U);
            return;
        case 0xFF:  // WHITENESS
            std::fill(d, d + count, mask);
            return;
        case 0xAA:  // the destination as it is
            return;
        default:
            break;
    }
    for (std::size_t i = 0; i < count; ++i) {
        d[i] = Ternary(code, p, s != nullptr ? s[i] : 0U, d[i]) & mask;
    }
}

// Turns source pixels into the destination's format: colour to monochrome by the source's
// background colour (that colour white, all else black), monochrome to colour by the
// destination's text colour (0) and background colour (1).
class Converter {
public:
    Converter(const DrawTarget& source, const DrawTarget& destination)
        : from_(source.surface->format), to_(destination.surface->format)
    {
        if (from_ == to_) {
            kind_ = Kind::Same;
        } else if (to_ == PixelFormat::Mono) {
            kind_ = Kind::ToMono;
            key_ = ToDevice(from_, source.context->background);
        } else if (from_ == PixelFormat::Mono) {
            kind_ = Kind::FromMono;
            zero_ = ToDevice(to_, destination.context->text);
            one_ = ToDevice(to_, destination.context->background);
        } else {
            kind_ = Kind::Colour;
        }
    }

    bool Converts() const { return kind_ != Kind::Same; }

    const std::uint32_t* Convert(const std::uint32_t* source, int n, std::vector<std::uint32_t>& buffer) const
    {
        if (kind_ == Kind::Same) {
            return source;
        }
        buffer.resize(static_cast<std::size_t>(n));
        ConvertInto(source, n, buffer.data());
        return buffer.data();
    }

    // Copying and masking with a converted source, in one pass over the row.
    bool CopyOrMask(std::uint8_t code, const std::uint32_t* __restrict__ source, int n,
                    std::uint32_t* __restrict__ out) const
    {
        if (code == 0xCC) {
            ConvertInto(source, n, out);
            return true;
        }
        if (code == 0x88 && kind_ == Kind::FromMono) {
            for (int i = 0; i < n; ++i) {
                out[i] &= (source[i] & 1U) != 0 ? one_ : zero_;
            }
            return true;
        }
        return false;
    }

private:
    void ConvertInto(const std::uint32_t* __restrict__ source, int n, std::uint32_t* __restrict__ out) const
    {
        switch (kind_) {
            case Kind::ToMono:
                for (int i = 0; i < n; ++i) {
                    out[i] = source[i] == key_ ? 1U : 0U;
                }
                break;
            case Kind::FromMono:
                for (int i = 0; i < n; ++i) {
                    out[i] = (source[i] & 1U) != 0 ? one_ : zero_;
                }
                break;
            case Kind::Colour:
                for (int i = 0; i < n; ++i) {
                    out[i] = ToDevice(to_, ToColour(from_, source[i]));
                }
                break;
            case Kind::Same:
                std::memcpy(out, source, static_cast<std::size_t>(n) * sizeof(std::uint32_t));
                break;
        }
    }

    enum class Kind { Same, ToMono, FromMono, Colour };
    Kind kind_ = Kind::Same;
    PixelFormat from_;
    PixelFormat to_;
    std::uint32_t key_ = 0;
    std::uint32_t zero_ = 0;
    std::uint32_t one_ = 0;
};

std::uint32_t PatternValue(HDC dc, PixelFormat format)
{
    const BrushObject* brush = FindBrush(SelectedObject(dc, GdiKind::Brush));
    if (brush == nullptr || brush->style != BS_SOLID) {
        return 0;
    }
    return ToDevice(format, brush->colour);
}

// A rectangle given by a corner and extents that may be negative, in 64 bits so that no
// sum of coordinates overflows.
struct Extent {
    std::int64_t start;
    std::int64_t length;
};

// A negative extent runs back from the corner, which it includes.
Extent Normalised(std::int64_t start, std::int64_t length)
{
    return length < 0 ? Extent{start + length + 1, -length} : Extent{start, length};
}

// The part [first, last) of offsets 0..length that lies inside [low, high) when offset 0 is
// at `at`.
struct Range {
    std::int64_t first;
    std::int64_t last;
};

Range Inside(std::int64_t at, std::int64_t length, std::int64_t low, std::int64_t high)
{
    return Range{std::max<std::int64_t>(0, low - at), std::min<std::int64_t>(length, high - at)};
}

// A copy of a surface's part, for a transfer whose source and destination overlap.
Surface CopyOf(const Surface& surface, int x, int y, int width, int height)
{
    Surface copy = MakeSurface(width, height, surface.format);
    for (int row = 0; row < height; ++row) {
        std::memcpy(copy.Row(row), surface.Row(y + row) + x,
                    static_cast<std::size_t>(width) * sizeof(std::uint32_t));
    }
    return copy;
}

[[gnu::target_clones("avx2", "default")]] BOOL Transfer(HDC destination, std::int64_t x, std::int64_t y,
                                                        std::int64_t width, std::int64_t height, HDC source,
                                                        std::int64_t sourceX, std::int64_t sourceY, DWORD rop)
{
    const std::uint8_t code = RopCode(rop);
    const auto target = ResolveTarget(destination);
    if (!target) {
        return FALSE;
    }
    std::optional<DrawTarget> from;
    if (UsesSource(code)) {
        from = ResolveTarget(source);
        if (!from) {
            return FALSE;
        }
    }
    if (width < 0) {
        x += width + 1;
        sourceX += width + 1;
        width = -width;
    }
    if (height < 0) {
        y += height + 1;
        sourceY += height + 1;
        height = -height;
    }
    const std::int64_t dx = x + target->originX;
    const std::int64_t dy = y + target->originY;
    Range columns = Inside(dx, width, target->clip.left, target->clip.right);
    Range rows = Inside(dy, height, target->clip.top, target->clip.bottom);
    std::int64_t sx = 0;
    std::int64_t sy = 0;
    if (from) {
        sx = sourceX + from->originX;
        sy = sourceY + from->originY;
        const Range sourceColumns = Inside(sx, width, from->clip.left, from->clip.right);
        const Range sourceRows = Inside(sy, height, from->clip.top, from->clip.bottom);
        columns =
            Range{std::max(columns.first, sourceColumns.first), std::min(columns.last, sourceColumns.last)};
        rows = Range{std::max(rows.first, sourceRows.first), std::min(rows.last, sourceRows.last)};
    }
    if (columns.first >= columns.last || rows.first >= rows.last) {
        return TRUE;
    }
    const int n = static_cast<int>(columns.last - columns.first);
    Surface& out = *target->surface;
    const std::uint32_t mask = ValueMask(out.format);
    const std::uint32_t pattern = UsesPattern(code) ? PatternValue(destination, out.format) : 0;

    std::optional<Converter> converter;
    const Surface* in = nullptr;
    Surface overlapCopy;
    int inX = 0;
    int inY = 0;
    if (from) {
        converter.emplace(*from, *target);
        in = from->surface;
        inX = static_cast<int>(sx + columns.first);
        inY = static_cast<int>(sy + rows.first);
        if (in == &out) {
            overlapCopy = CopyOf(*in, inX, inY, n, static_cast<int>(rows.last - rows.first));
            in = &overlapCopy;
            inX = 0;
            inY = 0;
        }
    }
    std::vector<std::uint32_t> buffer;
    for (std::int64_t row = rows.first; row < rows.last; ++row) {
        std::uint32_t* d = out.Row(static_cast<int>(dy + row)) + (dx + columns.first);
        const std::uint32_t* s = nullptr;
        if (in != nullptr) {
            const std::uint32_t* sourceRow = in->Row(inY + static_cast<int>(row - rows.first)) + inX;
            if (converter->Converts() && converter->CopyOrMask(code, sourceRow, n, d)) {
                continue;
            }
            s = converter->Convert(sourceRow, n, buffer);
        }
        ApplyRow(code, d, s, pattern, n, mask);
    }
    return TRUE;
}

// Which source pixels make one destination pixel along one axis: an enlarging stretch
// repeats pixels, a shrinking one combines a run of them, or with `firstOnly` keeps the first.
std::vector<Range> StretchMap(std::int64_t destination, std::int64_t source, bool mirror, bool firstOnly,
                              Range visible, std::int64_t sourceLow, std::int64_t sourceHigh)
{
    std::vector<Range> map;
    map.reserve(static_cast<std::size_t>(std::max<std::int64_t>(0, visible.last - visible.first)));
    for (std::int64_t i = visible.first; i < visible.last; ++i) {
        const std::int64_t k = mirror ? destination - 1 - i : i;
        std::int64_t first = k * source / destination;
        std::int64_t last = source > destination && !firstOnly ? (k + 1) * source / destination : first + 1;
        first = std::max(first, sourceLow);
        last = std::min(last, sourceHigh);
        map.push_back(Range{first, std::max(first, last)});
    }
    return map;
}

// The source pixels, relative to the start of a line, that make one destination column.
struct ColumnSpan {
    int first = 0;
    int last = 0;
};

[[gnu::target_clones("avx2", "default")]] void TakeColumns(const std::uint32_t* __restrict__ pixels,
                                                           const ColumnSpan* __restrict__ spans,
                                                           std::size_t n, std::uint32_t* __restrict__ out)
{
    for (std::size_t c = 0; c < n; ++c) {
        out[c] = pixels[spans[c].first];
    }
}

// Each column combines its run of pixels, as a shrinking stretch does.
[[gnu::target_clones("avx2", "default")]] void CombineColumns(const std::uint32_t* __restrict__ pixels,
                                                              const ColumnSpan* __restrict__ spans,
                                                              std::size_t n, bool withOr,
                                                              std::uint32_t* __restrict__ out)
{
    for (std::size_t c = 0; c < n; ++c) {
        std::uint32_t value = pixels[spans[c].first];
        for (int k = spans[c].first + 1; k < spans[c].last; ++k) {
            value = withOr ? value | pixels[k] : value & pixels[k];
        }
        out[c] = value;
    }
}

// CombineColumns for a shrink to no less than half, where a run is one or two pixels: the
// first and the last of each run are combined, which is the first alone when they coincide.
[[gnu::target_clones("avx2", "default")]] void CombinePairs(const std::uint32_t* __restrict__ pixels,
                                                            const ColumnSpan* __restrict__ spans,
                                                            std::size_t n, bool withOr,
                                                            std::uint32_t* __restrict__ out)
{
    if (withOr) {
        for (std::size_t c = 0; c < n; ++c) {
            out[c] = pixels[spans[c].first] | pixels[spans[c].last - 1];
        }
    } else {
        for (std::size_t c = 0; c < n; ++c) {
            out[c] = pixels[spans[c].first] & pixels[spans[c].last - 1];
        }
    }
}

// Combines one line of pixels into another, as a shrinking stretch combines the rows it
// drops.
[[gnu::target_clones("avx2", "default")]] void CombineRow(std::uint32_t* __restrict__ into,
                                                          const std::uint32_t* __restrict__ line, int n,
                                                          bool withOr)
{
    if (withOr) {
        for (int i = 0; i < n; ++i) {
            into[i] |= line[i];
        }
    } else {
        for (int i = 0; i < n; ++i) {
            into[i] &= line[i];
        }
    }
}

// What a stretch reads and writes: the destination's and the source's rectangles, the
// visible destination columns and rows with the source pixels each of them takes, and the
// source columns and rows inside the source's clip.
struct StretchPlan {
    Extent destinationX;
    Extent destinationY;
    Extent sourceX;
    Extent sourceY;
    Range columns;
    Range rows;
    Range sourceColumns;
    Range sourceRows;
    std::vector<Range> columnMap;
    std::vector<Range> rowMap;
};

// False when no destination pixel is visible or no source column lies inside the clip.
bool PlanStretch(const DrawTarget& target, const DrawTarget& from, std::int64_t x, std::int64_t y,
                 std::int64_t width, std::int64_t height, std::int64_t sourceX, std::int64_t sourceY,
                 std::int64_t sourceWidth, std::int64_t sourceHeight, StretchPlan& plan)
{
    const bool mirrorX = (width < 0) != (sourceWidth < 0);
    const bool mirrorY = (height < 0) != (sourceHeight < 0);
    plan.destinationX = Normalised(x + target.originX, width);
    plan.destinationY = Normalised(y + target.originY, height);
    plan.sourceX = Normalised(sourceX + from.originX, sourceWidth);
    plan.sourceY = Normalised(sourceY + from.originY, sourceHeight);
    plan.columns =
        Inside(plan.destinationX.start, plan.destinationX.length, target.clip.left, target.clip.right);
    plan.rows =
        Inside(plan.destinationY.start, plan.destinationY.length, target.clip.top, target.clip.bottom);
    if (plan.columns.first >= plan.columns.last || plan.rows.first >= plan.rows.last) {
        return false;
    }
    const int mode = target.context->stretchMode;
    const bool firstOnly = mode == COLORONCOLOR || mode == HALFTONE;
    plan.sourceColumns = Inside(plan.sourceX.start, plan.sourceX.length, from.clip.left, from.clip.right);
    plan.sourceRows = Inside(plan.sourceY.start, plan.sourceY.length, from.clip.top, from.clip.bottom);
    plan.columnMap = StretchMap(plan.destinationX.length, plan.sourceX.length, mirrorX, firstOnly,
                                plan.columns, plan.sourceColumns.first, plan.sourceColumns.last);
    plan.rowMap = StretchMap(plan.destinationY.length, plan.sourceY.length, mirrorY, firstOnly, plan.rows,
                             plan.sourceRows.first, plan.sourceRows.last);
    return plan.sourceColumns.first < plan.sourceColumns.last;
}

// The source surface to read, with the offsets of the plan's source rectangle on it: a copy
// of the part read when source and destination are the same surface.
struct StretchSource {
    const Surface* surface;
    std::int64_t x;
    std::int64_t y;
    Surface overlapCopy;
};

void SelectStretchSource(const Surface& out, const Surface& in, const StretchPlan& plan,
                         StretchSource& source)
{
    source.surface = &in;
    source.x = plan.sourceX.start;
    source.y = plan.sourceY.start;
    if (&in == &out && plan.sourceRows.first < plan.sourceRows.last) {
        source.overlapCopy = CopyOf(in, static_cast<int>(plan.sourceX.start + plan.sourceColumns.first),
                                    static_cast<int>(plan.sourceY.start + plan.sourceRows.first),
                                    static_cast<int>(plan.sourceColumns.last - plan.sourceColumns.first),
                                    static_cast<int>(plan.sourceRows.last - plan.sourceRows.first));
        source.surface = &source.overlapCopy;
        source.x = -plan.sourceColumns.first;
        source.y = -plan.sourceRows.first;
    }
}

// Where each destination column reads in a line of source pixels (an empty span when no
// source pixel reaches it), the runs of columns that some pixel reaches, and how many pixels
// the widest span combines.
struct ColumnLayout {
    std::vector<ColumnSpan> spans;
    std::vector<Range> runs;
    bool onePixelEach = true;
    bool atMostTwoEach = true;
};

ColumnLayout LayOutColumns(const StretchPlan& plan)
{
    ColumnLayout layout;
    const std::size_t count = plan.columnMap.size();
    layout.spans.resize(count);
    for (std::size_t c = 0; c < count; ++c) {
        const Range span = plan.columnMap[c];
        if (span.first < span.last) {
            layout.spans[c] = ColumnSpan{static_cast<int>(span.first - plan.sourceColumns.first),
                                         static_cast<int>(span.last - plan.sourceColumns.first)};
            layout.onePixelEach = layout.onePixelEach && span.last - span.first == 1;
            layout.atMostTwoEach = layout.atMostTwoEach && span.last - span.first <= 2;
        }
    }
    for (std::size_t c = 0; c < count;) {
        if (layout.spans[c].first == layout.spans[c].last) {
            ++c;
            continue;
        }
        std::size_t end = c;
        while (end < count && layout.spans[end].first != layout.spans[end].last) {
            ++end;
        }
        layout.runs.push_back(Range{static_cast<std::int64_t>(c), static_cast<std::int64_t>(end)});
        c = end;
    }
    return layout;
}

// One line of the destination's pixels from source rows [first, last): the rows of a run
// combined a whole line at a time, then the columns of each run.
class StretchLines {
public:
    StretchLines(const StretchPlan& plan, const StretchSource& source, const Converter& converter,
                 bool withOr)
        : plan_(plan),
          source_(source),
          converter_(converter),
          withOr_(withOr),
          layout_(LayOutColumns(plan)),
          sourceSpan_(static_cast<int>(plan.sourceColumns.last - plan.sourceColumns.first)),
          rowsCombined_(static_cast<std::size_t>(sourceSpan_)),
          combined_(plan.columnMap.size())
    {
    }

    const std::vector<Range>& Runs() const { return layout_.runs; }

    // The destination line for those source rows; a line that repeats the last rows is
    // reused as it is.
    const std::uint32_t* Line(Range sourceRows)
    {
        if (sourceRows.first != combinedRows_.first || sourceRows.last != combinedRows_.last) {
            combinedRows_ = sourceRows;
            CombineColumnRuns(CombineRows(sourceRows));
        }
        return combined_.data();
    }

private:
    const std::uint32_t* CombineRows(Range sourceRows)
    {
        const std::uint32_t* pixels = nullptr;
        for (std::int64_t sourceRow = sourceRows.first; sourceRow < sourceRows.last; ++sourceRow) {
            const std::uint32_t* converted =
                converter_.Convert(source_.surface->Row(static_cast<int>(source_.y + sourceRow)) +
                                       (source_.x + plan_.sourceColumns.first),
                                   sourceSpan_, buffer_);
            if (sourceRows.last - sourceRows.first == 1) {
                pixels = converted;
            } else if (sourceRow == sourceRows.first) {
                std::copy_n(converted, sourceSpan_, rowsCombined_.begin());
                pixels = rowsCombined_.data();
            } else {
                CombineRow(rowsCombined_.data(), converted, sourceSpan_, withOr_);
            }
        }
        return pixels;
    }

    void CombineColumnRuns(const std::uint32_t* pixels)
    {
        for (const Range& run : layout_.runs) {
            const auto first = static_cast<std::size_t>(run.first);
            const auto last = static_cast<std::size_t>(run.last);
            const ColumnSpan* spans = layout_.spans.data() + first;
            std::uint32_t* out = combined_.data() + first;
            if (layout_.onePixelEach) {
                TakeColumns(pixels, spans, last - first, out);
            } else if (layout_.atMostTwoEach) {
                CombinePairs(pixels, spans, last - first, withOr_, out);
            } else {
                CombineColumns(pixels, spans, last - first, withOr_, out);
            }
        }
    }

    const StretchPlan& plan_;
    const StretchSource& source_;
    const Converter& converter_;
    const bool withOr_;
    const ColumnLayout layout_;
    const int sourceSpan_;
    std::vector<std::uint32_t> buffer_;
    std::vector<std::uint32_t> rowsCombined_;
    std::vector<std::uint32_t> combined_;
    Range combinedRows_{-1, -1};
};

BOOL Stretch(HDC destination, std::int64_t x, std::int64_t y, std::int64_t width, std::int64_t height,
             HDC source, std::int64_t sourceX, std::int64_t sourceY, std::int64_t sourceWidth,
             std::int64_t sourceHeight, DWORD rop)
{
    const std::uint8_t code = RopCode(rop);
    const auto target = ResolveTarget(destination);
    const auto from = ResolveTarget(source);
    if (!target || !from) {
        return FALSE;
    }
    StretchPlan plan;
    if (!PlanStretch(*target, *from, x, y, width, height, sourceX, sourceY, sourceWidth, sourceHeight,
                     plan)) {
        return TRUE;
    }
    Surface& out = *target->surface;
    StretchSource in;
    SelectStretchSource(out, *from->surface, plan, in);
    const Converter converter(*from, *target);
    const std::uint32_t mask = ValueMask(out.format);
    const std::uint32_t pattern = UsesPattern(code) ? PatternValue(destination, out.format) : 0;
    StretchLines lines(plan, in, converter, target->context->stretchMode == WHITEONBLACK);
    for (std::size_t r = 0; r < plan.rowMap.size(); ++r) {
        const Range sourceRows = plan.rowMap[r];
        if (sourceRows.first >= sourceRows.last) {
            continue;
        }
        const std::uint32_t* line = lines.Line(sourceRows);
        std::uint32_t* d = out.Row(static_cast<int>(plan.destinationY.start + plan.rows.first +
                                                    static_cast<std::int64_t>(r))) +
                           (plan.destinationX.start + plan.columns.first);
        for (const Range& run : lines.Runs()) {
            ApplyRow(code, d + run.first, line + run.first, pattern, static_cast<int>(run.last - run.first),
                     mask);
        }
    }
    return TRUE;
}

void Record(const BlitRecord& record)
{
    if (Log().on) {
        Log().records.push_back(record);
    }
}

}  // namespace
}  // namespace winsim::detail

BOOL WINAPI PatBlt(HDC dc, int x, int y, int width, int height, DWORD rop)
{
    if (winsim::detail::UsesSource(winsim::detail::RopCode(rop))) {
        return FALSE;
    }
    return winsim::detail::Transfer(dc, x, y, width, height, nullptr, 0, 0, rop);
}

BOOL WINAPI BitBlt(HDC destination, int x, int y, int width, int height, HDC source, int sourceX, int sourceY,
                   DWORD rop)
{
    const bool failing = winsim::detail::FailableCall("BitBlt");
    winsim::detail::Record(winsim::BlitRecord{false, destination, x, y, width, height, source, sourceX,
                                              sourceY, width, height, rop});
    if (failing) {
        return FALSE;
    }
    return winsim::detail::Transfer(destination, x, y, width, height, source, sourceX, sourceY, rop);
}

BOOL WINAPI StretchBlt(HDC destination, int x, int y, int width, int height, HDC source, int sourceX,
                       int sourceY, int sourceWidth, int sourceHeight, DWORD rop)
{
    const bool failing = winsim::detail::FailableCall("StretchBlt");
    winsim::detail::Record(winsim::BlitRecord{true, destination, x, y, width, height, source, sourceX,
                                              sourceY, sourceWidth, sourceHeight, rop});
    if (failing) {
        return FALSE;
    }
    const std::uint8_t code = winsim::detail::RopCode(rop);
    if (!winsim::detail::UsesSource(code) || (width == sourceWidth && height == sourceHeight)) {
        return winsim::detail::Transfer(destination, x, y, width, height, source, sourceX, sourceY, rop);
    }
    if (width == 0 || height == 0 || sourceWidth == 0 || sourceHeight == 0) {
        return TRUE;
    }
    return winsim::detail::Stretch(destination, x, y, width, height, source, sourceX, sourceY, sourceWidth,
                                   sourceHeight, rop);
}

namespace winsim {

void LogBlits(bool on)
{
    detail::Log().on = on;
}

const std::vector<BlitRecord>& Blits()
{
    return detail::Log().records;
}

void ClearBlits()
{
    detail::Log().records.clear();
}

}  // namespace winsim
