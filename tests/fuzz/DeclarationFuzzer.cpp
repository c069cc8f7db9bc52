// Fuzzes the declaration parser and the inline-declaration parser with any
// text as declaration, name or token, and checks what they promise each other.
//
// Input layout: three NUL-separated texts: a name, a declaration text and a
// token. Missing pieces are empty.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "ribout/Declarations.h"

namespace {

// Stops the fuzzer with a message when a promise of the parser is broken.
void require(bool holds, const char* what, const std::string& context)
{
    if (!holds) {
        std::fprintf(stderr, "declaration fuzzer: %s (%s)\n", what, context.c_str());
        std::abort();
    }
}

std::string nextPiece(const char*& p, const char* end)
{
    const char* stop = static_cast<const char*>(std::memchr(p, '\0', static_cast<std::size_t>(end - p)));
    if (stop == nullptr) {
        stop = end;
    }
    std::string piece(p, stop);
    p = stop < end ? stop + 1 : end;
    return piece;
}

const char* skipSpaces(const char* text)
{
    while (*text == ' ') {
        ++text;
    }
    return text;
}

void checkToken(const std::string& token)
{
    const int prefix = inlinePrefixLength(token.c_str());
    require(prefix >= 0 && static_cast<std::size_t>(prefix) <= token.size(),
            "inline prefix longer than the token", token);

    const Declaration* found = findDeclaration(token.c_str());
    if (found != nullptr) {
        // A found token is found again, the same entry, and its size agrees.
        require(findDeclaration(token.c_str()) == found, "second lookup differs", token);
        const int size = declarationSize(token.c_str());
        require(size % 4 == 0, "size not a whole number of words", token);
        if (found->arrayLength >= 0) {
            require(size >= 0, "negative size for a non-negative length", token);
        }
        declarationText(*found);
    } else {
        require(declarationSize(token.c_str()) == 0, "undeclared token has a size", token);
    }

    // A token is known by its own text or, when declared inline, by the text
    // after its prefix.
    if (found != nullptr) {
        const char* start = skipSpaces(token.c_str());
        const char* bare = skipSpaces(start + inlinePrefixLength(start));
        require(std::strcmp(found->name, start) == 0 || std::strcmp(found->name, bare) == 0,
                "declaration names another text", token);
    }
}

void checkDeclaration(const std::string& name, const std::string& text)
{
    if (name.empty()) {
        return;
    }
    RtToken interned = declare(name.c_str(), text.c_str(), nullptr, 0);
    // An existing declaration found under the name (spaces skipped, or read
    // as an inline declaration) is updated and gives its own name.
    const char* start = skipSpaces(name.c_str());
    const char* bare = skipSpaces(start + inlinePrefixLength(start));
    require(interned != nullptr &&
                (std::strcmp(interned, name.c_str()) == 0 || std::strcmp(interned, start) == 0 ||
                 std::strcmp(interned, bare) == 0),
            "declare returns another name", name);
    const Declaration* entry = findDeclaration(name.c_str());
    if (entry == nullptr || std::strcmp(entry->name, interned) != 0) {
        // The name itself reads as an inline declaration of another name, or
        // starts with spaces: it is found under its key, not by lookup.
        return;
    }
    // The text the writer would print for a declaration parses back to the
    // same declaration (lengths below 1 have no text of their own).
    if (entry->arrayLength >= 1) {
        const std::string printed = declarationText(*entry);
        const std::uint8_t storageClass = entry->storageClass;
        const std::uint8_t type = entry->type;
        const std::int16_t length = entry->arrayLength;
        declare(name.c_str(), printed.c_str(), nullptr, 0);
        require(entry->storageClass == storageClass && entry->type == type &&
                    entry->arrayLength == length,
                "printed declaration does not parse back", name + " / " + printed);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const char* p = reinterpret_cast<const char*>(data);
    const char* end = p + size;
    const std::string name = nextPiece(p, end);
    const std::string text = nextPiece(p, end);
    const std::string token = nextPiece(p, end);

    checkDeclaration(name, text);
    checkToken(token);
    checkToken(text);
    // A new entry for a name that may exist already.
    if (!token.empty()) {
        declare(token.c_str(), text.c_str(), nullptr, 1);
    }
    inlinePrefixLength(name.c_str());
    return 0;
}
