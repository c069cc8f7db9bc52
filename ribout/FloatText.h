#pragma once

// Number text for RIB output. RIB is read by renderers that expect C-locale
// numbers, so none of these functions looks at the program's locale: the
// decimal point is always '.', whatever setlocale() the caller has made.

#include <cstddef>

namespace ribout {

/// Longest text formatFloat can produce ("-1.17549e-38" is 12 characters).
constexpr std::size_t kMaxFloatText = 16;
/// Longest text formatFixed can produce (FLT_MAX has 39 integer digits).
constexpr std::size_t kMaxFixedText = 64;
/// Longest text formatInt can produce.
constexpr std::size_t kMaxIntText = 24;

/// Writes value as printf("%g") writes it after promotion to double (six
/// significant digits, trailing zeros removed) and returns the end of the
/// text. No terminator is written. out must hold kMaxFloatText bytes.
char* formatFloat(float value, char* out);

/// Writes value as printf("%f") writes it after promotion to double (six
/// digits after the point). out must hold kMaxFixedText bytes.
char* formatFixed(float value, char* out);

/// Writes value as printf("%ld") does. out must hold kMaxIntText bytes.
char* formatInt(long value, char* out);

}  // namespace ribout
