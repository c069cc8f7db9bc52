#include "tools/ribcheck/RibLexer.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace ribcheck {

namespace {
// Codes of the binary encoding that the checker reads: one single float, and
// float arrays whose length follows in 1 to 4 bytes.
constexpr int kSingleFloat = 0xA4;
constexpr int kFloatArrayFirst = 0xC8;
constexpr int kFloatArrayLast = 0xCB;
// Every byte from here up introduces binary-encoded data.
constexpr int kFirstBinaryCode = 0x80;

bool isSpace(int c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }

/// Ends a bare word or number: white space, the start of another item, or
/// binary data, which may follow text without a separator.
bool endsBareItem(int c)
{
    return c == EOF || isSpace(c) || c == '[' || c == ']' || c == '"' || c == '#' || c >= kFirstBinaryCode;
}

bool isLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }

float floatFromBits(std::uint32_t bits)
{
    float value;
    static_assert(sizeof value == sizeof bits, "IEEE single precision expected");
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

/// Parses the whole of `text` as a number; a leading "+" is allowed.
bool parseNumber(const std::string& text, double& value)
{
    const char* first = text.data();
    const char* last = first + text.size();
    if (first != last && *first == '+') ++first;
    const auto [end, error] = std::from_chars(first, last, value);
    return error == std::errc() && end == last;
}
}  // namespace

RibLexer::RibLexer(std::istream& input) : source(input.rdbuf()) {}

int RibLexer::peekByte()
{
    if (source == nullptr) return EOF;
    const auto c = source->sgetc();
    return c == std::streambuf::traits_type::eof() ? EOF : static_cast<unsigned char>(c);
}

int RibLexer::takeByte()
{
    if (source == nullptr) return EOF;
    const auto c = source->sbumpc();
    return c == std::streambuf::traits_type::eof() ? EOF : static_cast<unsigned char>(c);
}

bool RibLexer::readBigEndian(int byteCount, std::uint32_t& value)
{
    value = 0;
    for (int i = 0; i < byteCount; ++i) {
        const int c = takeByte();
        if (c == EOF) return false;
        value = (value << 8) | static_cast<std::uint32_t>(c);
    }
    return true;
}

Token RibLexer::errorToken(int at, std::string message)
{
    isFinished = true;
    Token token;
    token.kind = TokenKind::error;
    token.line = at;
    token.text = std::move(message);
    return token;
}

Token RibLexer::next()
{
    if (isFinished) return Token{TokenKind::endOfInput, line, {}, 0.0, {}, false};
    for (;;) {
        int c = peekByte();
        if (c == EOF) {
            isFinished = true;
            return Token{TokenKind::endOfInput, line, {}, 0.0, {}, false};
        }
        if (isSpace(c)) {
            takeByte();
            if (c == '\n') ++line;
            continue;
        }
        if (c == '#') {
            while (c != EOF && c != '\n') {
                takeByte();
                c = peekByte();
            }
            continue;
        }
        const int at = line;
        if (c == '[' || c == ']') {
            takeByte();
            Token token;
            token.kind = c == '[' ? TokenKind::arrayBegin : TokenKind::arrayEnd;
            token.line = at;
            return token;
        }
        if (c == '"') return quotedString(at);
        if (c == kSingleFloat) {
            takeByte();
            return binaryFloat(at);
        }
        if (c >= kFloatArrayFirst && c <= kFloatArrayLast) {
            takeByte();
            return binaryFloatArray(c, at);
        }
        if (c >= kFirstBinaryCode) {
            char code[16];
            std::snprintf(code, sizeof code, "0x%02X", static_cast<unsigned>(c));
            return errorToken(at, std::string("binary code ") + code +
                                      " is not supported (only floats and float arrays are); the rest of the file "
                                      "is not checked");
        }
        return bareItem(at);
    }
}

Token RibLexer::binaryFloat(int at)
{
    std::uint32_t bits;
    if (!readBigEndian(4, bits)) return errorToken(at, "binary float cut short by the end of the file");
    Token token;
    token.kind = TokenKind::number;
    token.line = at;
    token.number = floatFromBits(bits);
    token.isNonFinite = !std::isfinite(token.number);
    return token;
}

Token RibLexer::binaryFloatArray(int headerByte, int at)
{
    std::uint32_t count;
    if (!readBigEndian(headerByte - kFloatArrayFirst + 1, count)) {
        return errorToken(at, "binary float array header cut short by the end of the file");
    }
    Token token;
    token.kind = TokenKind::floatArray;
    token.line = at;
    // The count comes from the file: grow with the data actually read rather
    // than trusting it for one large allocation.
    for (std::uint32_t i = 0; i < count; ++i) {
        std::uint32_t bits;
        if (!readBigEndian(4, bits)) {
            return errorToken(at, "binary float array of " + std::to_string(count) +
                                      " values cut short by the end "
                                      "of the file after " +
                                      std::to_string(i));
        }
        const double value = floatFromBits(bits);
        if (!std::isfinite(value)) token.isNonFinite = true;
        token.numbers.push_back(value);
    }
    return token;
}

Token RibLexer::quotedString(int at)
{
    takeByte();
    Token token;
    token.kind = TokenKind::string;
    token.line = at;
    for (;;) {
        int c = takeByte();
        if (c == EOF) return errorToken(at, "string without its closing quote");
        if (c == '"') return token;
        if (c == '\n') ++line;
        if (c != '\\') {
            token.text += static_cast<char>(c);
            continue;
        }
        c = takeByte();
        switch (c) {
        case EOF: return errorToken(at, "string without its closing quote");
        case 'n': token.text += '\n'; break;
        case 't': token.text += '\t'; break;
        case 'r': token.text += '\r'; break;
        case 'b': token.text += '\b'; break;
        case 'f': token.text += '\f'; break;
        case '\n': ++line; break;  // a continued line
        default:
            if (c >= '0' && c <= '7') {
                int code = c - '0';
                for (int digits = 1; digits < 3 && peekByte() >= '0' && peekByte() <= '7'; ++digits) {
                    code = code * 8 + (takeByte() - '0');
                }
                token.text += static_cast<char>(code);
            } else {
                token.text += static_cast<char>(c);
            }
        }
    }
}

Token RibLexer::bareItem(int at)
{
    Token token;
    token.line = at;
    while (!endsBareItem(peekByte())) token.text += static_cast<char>(takeByte());

    double value;
    if (parseNumber(token.text, value)) {
        token.kind = TokenKind::number;
        token.number = value;
        token.isNonFinite = !std::isfinite(value);
        return token;
    }
    token.kind = isLetter(token.text[0]) ? TokenKind::word : TokenKind::unreadable;
    return token;
}

}  // namespace ribcheck
