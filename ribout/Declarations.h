#pragma once

// Parameter declarations: how many values of which type a token in a
// parameter list carries, and the writers that turn such lists into RIB.

#include <cstdint>
#include <string>

#include <ri.h>
#include "ribout/SymbolTable.h"

class RibWriter;

/// a * b, or the int64 limit of the product's sign when it does not fit.
/// Element counts are products of a caller's counts; one that passes the
/// int64 range describes more data than any caller can hold, so holding it
/// at the limit changes no output a real call can produce.
inline std::int64_t saturatingProduct(std::int64_t a, std::int64_t b)
{
    std::int64_t product;
    if (__builtin_mul_overflow(a, b, &product)) {
        return (a < 0) != (b < 0) ? INT64_MIN : INT64_MAX;
    }
    return product;
}

// Type codes of a declaration.
constexpr std::uint8_t kTypeNone = 0;
constexpr std::uint8_t kTypeFloat = 1;
constexpr std::uint8_t kTypePoint = 2;
constexpr std::uint8_t kTypeColor = 3;
constexpr std::uint8_t kTypeString = 4;
constexpr std::uint8_t kTypeInteger = 5;
constexpr std::uint8_t kTypeVector = 6;
constexpr std::uint8_t kTypeNormal = 7;
constexpr std::uint8_t kTypeHpoint = 8;
constexpr std::uint8_t kTypeMatrix = 9;
constexpr std::uint8_t kTypeMpoint = 16;

// Storage class codes of a declaration.
constexpr std::uint8_t kClassConstant = 1;
constexpr std::uint8_t kClassUniform = 2;
constexpr std::uint8_t kClassVarying = 3;
constexpr std::uint8_t kClassVertex = 4;
constexpr std::uint8_t kClassFaceVarying = 5;  ///< one value per corner of every face

/// One entry of declarationTable. The key is the declared name, or for an
/// inline declaration ("uniform float Kd") the whole token as written.
class Declaration : public SymbolEntry {
public:
    Declaration(const char* key, RtToken name) : SymbolEntry(key), name(name) {}

    RtToken name;  ///< interned bare name
    std::uint8_t type = kTypeNone;
    std::uint8_t storageClass = kClassUniform;
    std::int16_t arrayLength = 1;
};

/// Parses `text` ("[class] [type] [[n]]"; missing class means uniform,
/// unknown type gives kTypeNone) and records it for `name`: an existing
/// declaration of that name is updated in place unless `noLookup` is set;
/// otherwise a new entry is keyed by `key` (or by the name when key is null).
/// Returns the interned name, or null for a null name.
RtToken declare(const char* name, const char* text, const char* key, int noLookup);

/// The declaration of a token as written in a parameter list: a declared
/// name, or an inline declaration, which is parsed and remembered on first
/// use. Leading spaces are ignored. Null when the token is undeclared.
Declaration* findDeclaration(const char* token);

/// Number of characters of `token` taken by an inline declaration prefix
/// (class, type, "[n]" and the spaces after them); 0 when there is none.
int inlinePrefixLength(const char* token);

/// Bytes of data a value of `token` points to: array length times the size
/// of one element of its type (a string counts as one pointer). 0 when the
/// token is undeclared.
int declarationSize(const char* token);

/// "class type", then "[n]" for a length of 2 or more, or "[]" for a negative
/// one. A code without a word contributes an empty word.
std::string declarationText(const Declaration& declaration);

/// Declares the library's default parameters through `writer`'s own Declare
/// operation, with echoing switched off, and stores the interned names back
/// into the matching token variables of ri.h.
void installDefaultDeclarations(RibWriter& writer);

/// Writes `" \"name\""` (when name is given), `" handle"` (when handle > 0),
/// then each declared pair as ` "token" values`, then "\n". An undeclared
/// token is reported on standard error and skipped.
void writeParameterList(RibWriter& writer, RtToken name, int handle, RtInt n,
                        const RtToken tokens[], const RtPointer values[]);
/// The same for a list of (token, value) pairs ended by a null token.
void writeParameterList(RibWriter& writer, RtToken name, int handle, const RtPointer pairs[]);

/// Writes the parameter list of a primitive: each value carries 1, `uniform`,
/// `varying`, `vertex` or `faceVarying` elements by its storage class
/// (constant, uniform, varying, vertex, facevarying), each element
/// array-length items of its type. A negative faceVarying means the same as
/// varying (primitives without faces that share corners). Ends with "\n".
/// The counts are 64-bit: those of a mesh are products of the caller's
/// counts and may pass the range of an int.
void writePrimitiveParameterList(RibWriter& writer, std::int64_t vertex, std::int64_t varying,
                                 std::int64_t uniform, RtInt n,
                                 const RtToken tokens[], const RtPointer values[],
                                 std::int64_t faceVarying = -1);
/// The same for a list of (token, value) pairs ended by a null token.
void writePrimitiveParameterList(RibWriter& writer, std::int64_t vertex, std::int64_t varying,
                                 std::int64_t uniform, const RtPointer pairs[]);
