// Texts from the resource library used as wsprintfA formats. The library is a file beside
// the module and may hold anything, so a format is used only when its conversions take
// exactly the kinds of argument that the caller passes.
#pragma once

#include "platform/platform.h"

// Whether `format`'s conversions, in order, fit `slots`: one letter per argument the caller
// passes, 'u' for a 32-bit number and 's' for a narrow string. Each conversion must be an
// integer one (d, i, u, x, X) for a 'u' slot or a narrow string (s, hs) for an 's' slot,
// with wsprintfA's flags, width, precision and an 'l' or 'h' size; "%%" takes no slot.
// Fewer conversions than slots fit; more do not, nor does any other conversion, nor a
// '%' that ends the format. A null format does not fit.
bool FormatFits(const char* format, const char* slots);

// Formats the arguments after `slots` (uint32_t for 'u', const char* for 's') with `format`
// into `out` (`outSize` bytes), cutting the result to outSize - 1 characters. When the
// format does not fit the slots, `out` is left empty and the result is false.
bool FormatResString(char* out, uint32_t outSize, const char* format, const char* slots, ...);
