#include "ribout/Declarations.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "ribout/ErrorReporting.h"
#include "ribout/RibWriter.h"

namespace {

struct Word {
    const char* text;
    std::size_t length;
    std::uint8_t code;
};

// Matched as prefixes of exactly `length` characters, in this order, so
// "integer" wins over "int" and a class word is never read as a type.
constexpr Word kClassWords[] = {
    {"uniform", 7, kClassUniform},
    {"varying", 7, kClassVarying},
    {"vertex", 6, kClassVertex},
    {"constant", 8, kClassConstant},
    {"facevarying", 11, kClassFaceVarying},
};
constexpr Word kTypeWords[] = {
    {"float", 5, kTypeFloat},
    {"integer", 7, kTypeInteger},
    {"int", 3, kTypeInteger},
    {"point", 5, kTypePoint},
    {"color", 5, kTypeColor},
    {"string", 6, kTypeString},
    {"vector", 6, kTypeVector},
    {"normal", 6, kTypeNormal},
    {"hpoint", 6, kTypeHpoint},
    {"matrix", 6, kTypeMatrix},
    {"mpoint", 6, kTypeMpoint},
};
// The words an inline declaration may start with, walked once in this order.
constexpr const char* kInlineWords[] = {
    "constant",
    "uniform",
    "varying",
    "vertex",
    "facevarying",
    "float",
    "integer",
    "int",
    "point",
    "vector",
    "normal",
    "hpoint",
    "color",
    "string",
    "matrix",
    "mpoint",
};

const char* skipSpaces(const char* text)
{
    while (*text == ' ') {
        ++text;
    }
    return text;
}

int bytesPerElement(std::uint8_t type)
{
    switch (type) {
    case kTypeFloat:
    case kTypeInteger:
    case kTypeString:  // a pointer to the text, as RtString values are passed
        return 4;
    case kTypePoint:
    case kTypeColor:
    case kTypeVector:
    case kTypeNormal:
        return 12;
    case kTypeHpoint:
        return 16;
    case kTypeMatrix:
    case kTypeMpoint:
        return 64;
    default:
        return 0;
    }
}

const char* classWord(std::uint8_t storageClass)
{
    switch (storageClass) {
    case kClassConstant: return "constant";
    case kClassUniform: return "uniform";
    case kClassVarying: return "varying";
    case kClassVertex: return "vertex";
    case kClassFaceVarying: return "facevarying";
    default: return "";
    }
}

const char* typeWord(std::uint8_t type)
{
    switch (type) {
    case kTypeFloat: return "float";
    case kTypePoint: return "point";
    case kTypeColor: return "color";
    case kTypeString: return "string";
    case kTypeInteger: return "integer";
    case kTypeVector: return "vector";
    case kTypeNormal: return "normal";
    case kTypeHpoint: return "hpoint";
    case kTypeMatrix: return "matrix";
    case kTypeMpoint: return "mpoint";
    default: return "";
    }
}

// Floats per element of each type that the list writers send as a float
// array; a colour has as many as the writer's colour samples.
int floatsPerElement(std::uint8_t type, int colorSamples)
{
    switch (type) {
    case kTypeFloat: return 1;
    case kTypeColor: return colorSamples;
    case kTypePoint:
    case kTypeVector:
    case kTypeNormal: return 3;
    case kTypeHpoint: return 4;
    case kTypeMatrix:
    case kTypeMpoint: return 16;
    default: return 0;
    }
}

void writeStringValues(RibWriter& writer, const RtPointer value, std::int64_t count)
{
    const RtString* strings = static_cast<const RtString*>(value);
    writer.writeText("[", 1);
    for (std::int64_t i = 0; i < count; ++i) {
        if (i > 0) {
            writer.writeText(" ", 1);
        }
        writer.writeQuoted(strings[i]);
    }
    writer.writeText("]", 1);
}

// Writes one pair. `elements` is how many items of the declared type the
// value holds (the array length, times the class count for a primitive).
void writePair(RibWriter& writer, RtToken token, const RtPointer value, std::int64_t elements,
               const Declaration& declaration)
{
    const int floats = floatsPerElement(declaration.type, writer.colorSamples);
    if (floats == 0 && declaration.type != kTypeInteger && declaration.type != kTypeString) {
        // Without a type nothing says how many values follow, and a token
        // standing alone is not a parameter a reader can parse.
        reportDiagnostic(RIE_BADTOKEN, RIE_ERROR,
                         "ribout error: parameter \"%s\" has no type, left out",
                         token ? token : "");
        return;
    }
    writer.writeText(" ", 1);
    writer.writeQuoted(token);
    writer.writeText(" ", 1);
    if (floats > 0) {
        writer.writeFloatArray(static_cast<const RtFloat*>(value),
                               saturatingProduct(floats, elements));
    } else if (declaration.type == kTypeInteger) {
        writer.writeIntArray(static_cast<const RtInt*>(value), elements);
    } else if (declaration.type == kTypeString) {
        writeStringValues(writer, value, elements);
    }
}

void reportUndeclared(RtToken token)
{
    reportDiagnostic(RIE_BADTOKEN, RIE_ERROR, "ribout error: undeclared parameter \"%s\"",
                     token ? token : "");
}

std::int64_t classCount(const Declaration& declaration, std::int64_t vertex, std::int64_t varying,
                        std::int64_t uniform, std::int64_t faceVarying)
{
    switch (declaration.storageClass) {
    case kClassVertex: return vertex;
    case kClassVarying: return varying;
    case kClassUniform: return uniform;
    case kClassFaceVarying: return faceVarying >= 0 ? faceVarying : varying;
    default: return 1;
    }
}

}  // namespace

RtToken declare(const char* name, const char* text, const char* key, int noLookup)
{
    if (name == nullptr) {
        return nullptr;
    }
    const char* p = skipSpaces(text ? text : "");
    std::uint8_t storageClass = kClassUniform;
    for (const Word& word : kClassWords) {
        if (std::strncmp(p, word.text, word.length) == 0) {
            storageClass = word.code;
            p += word.length;
            break;
        }
    }
    p = skipSpaces(p);
    std::uint8_t type = kTypeNone;
    for (const Word& word : kTypeWords) {
        if (std::strncmp(p, word.text, word.length) == 0) {
            type = word.code;
            p += word.length;
            break;
        }
    }
    p = skipSpaces(p);
    const std::int16_t arrayLength =
        *p == '[' ? static_cast<std::int16_t>(std::atoi(p + 1)) : std::int16_t{1};

    Declaration* entry = noLookup ? nullptr : findDeclaration(name);
    if (entry == nullptr) {
        RtToken interned = internString(name);
        auto* created = new Declaration(key ? internString(key) : interned, interned);
        if (declarationTable.insert(created, 0) == 0) {
            entry = created;
        } else {
            // The key is taken already (the name was found under another
            // spelling); update that entry rather than leak a second one.
            delete created;
            entry = static_cast<Declaration*>(declarationTable.find(key ? key : interned));
        }
    }
    entry->storageClass = storageClass;
    entry->type = type;
    entry->arrayLength = arrayLength;
    return entry->name;
}

Declaration* findDeclaration(const char* token)
{
    if (token == nullptr) {
        return nullptr;
    }
    token = skipSpaces(token);
    if (SymbolEntry* found = declarationTable.find(token)) {
        return static_cast<Declaration*>(found);
    }
    const int prefixLength = inlinePrefixLength(token);
    if (prefixLength == 0) {
        return nullptr;
    }
    // The prefix is parsed from a copy of its own length, so a prefix of any
    // size (many spaces, a long "[n]") is read whole and safely.
    const std::string prefix(token, static_cast<std::size_t>(prefixLength));
    declare(skipSpaces(token + prefixLength), prefix.c_str(), token, 1);
    return static_cast<Declaration*>(declarationTable.find(token));
}

int inlinePrefixLength(const char* token)
{
    if (token == nullptr) {
        return 0;
    }
    const char* p = token;
    for (const char* word : kInlineWords) {
        const std::size_t length = std::strlen(word);
        if (std::strncmp(p, word, length) != 0 || (p[length] != ' ' && p[length] != '[')) {
            continue;
        }
        p += length;
        if (*p == '[') {
            const char* close = std::strchr(p, ']');
            p = close ? close + 1 : p + std::strlen(p);
        }
        p = skipSpaces(p);
    }
    return static_cast<int>(p - token);
}

int declarationSize(const char* token)
{
    const Declaration* declaration = findDeclaration(token);
    if (declaration == nullptr) {
        return 0;
    }
    return declaration->arrayLength * bytesPerElement(declaration->type);
}

std::string declarationText(const Declaration& declaration)
{
    std::string text = classWord(declaration.storageClass);
    text += ' ';
    text += typeWord(declaration.type);
    if (declaration.arrayLength >= 2) {
        text += '[' + std::to_string(declaration.arrayLength) + ']';
    } else if (declaration.arrayLength < 0) {
        text += "[]";
    }
    return text;
}

void writeParameterList(RibWriter& writer, RtToken name, int handle, RtInt n,
                        const RtToken tokens[], const RtPointer values[])
{
    if (name != nullptr) {
        writer.writeText(" ", 1);
        writer.writeQuoted(name);
    }
    if (handle > 0) {
        writer.writeText(" ", 1);
        writer.writeInt(handle);
    }
    for (RtInt i = 0; i < n; ++i) {
        const Declaration* declaration = findDeclaration(tokens[i]);
        if (declaration == nullptr) {
            reportUndeclared(tokens[i]);
            continue;
        }
        writePair(writer, tokens[i], values[i], declaration->arrayLength, *declaration);
    }
    writer.endRequest();
}

void writePrimitiveParameterList(RibWriter& writer, std::int64_t vertex, std::int64_t varying,
                                 std::int64_t uniform, RtInt n,
                                 const RtToken tokens[], const RtPointer values[],
                                 std::int64_t faceVarying)
{
    for (RtInt i = 0; i < n; ++i) {
        const Declaration* declaration = findDeclaration(tokens[i]);
        if (declaration == nullptr) {
            reportUndeclared(tokens[i]);
            continue;
        }
        const std::int64_t elements = saturatingProduct(
            classCount(*declaration, vertex, varying, uniform, faceVarying),
            declaration->arrayLength);
        writePair(writer, tokens[i], values[i], elements, *declaration);
    }
    writer.endRequest();
}

namespace {

// Splits a null-terminated (token, value, token, value, ..., null) array.
int splitPairs(const RtPointer pairs[], RtToken tokens[], RtPointer values[])
{
    int n = 0;
    while (n < kMaxParameterPairs && pairs[2 * n] != nullptr) {
        tokens[n] = static_cast<RtToken>(pairs[2 * n]);
        values[n] = pairs[2 * n + 1];
        ++n;
    }
    return n;
}

}  // namespace

void writeParameterList(RibWriter& writer, RtToken name, int handle, const RtPointer pairs[])
{
    RtToken tokens[kMaxParameterPairs];
    RtPointer values[kMaxParameterPairs];
    const int n = splitPairs(pairs, tokens, values);
    writeParameterList(writer, name, handle, n, tokens, values);
}

void writePrimitiveParameterList(RibWriter& writer, std::int64_t vertex, std::int64_t varying,
                                 std::int64_t uniform, const RtPointer pairs[])
{
    RtToken tokens[kMaxParameterPairs];
    RtPointer values[kMaxParameterPairs];
    const int n = splitPairs(pairs, tokens, values);
    writePrimitiveParameterList(writer, vertex, varying, uniform, n, tokens, values);
}
