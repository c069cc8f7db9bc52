#pragma once

// Splits a RIB byte stream into the items a request is made of: words,
// numbers, strings, array brackets and the binary-encoded floats that may
// stand among the text.

#include <cstdint>
#include <istream>
#include <string>
#include <vector>

namespace ribcheck {

enum class TokenKind {
    word,        ///< a bare identifier: a request keyword
    number,      ///< a text number, or one binary-encoded single float
    string,      ///< a quoted string, escapes resolved
    arrayBegin,  ///< "["
    arrayEnd,    ///< "]"
    floatArray,  ///< a binary-encoded float array, all its values in `numbers`
    unreadable,  ///< a bare item that is neither a word nor a number ("1.2.3", "{")
    endOfInput,
    error,  ///< unreadable input; `text` says why
};

struct Token {
    TokenKind kind = TokenKind::endOfInput;
    int line = 1;                 ///< line on which the token starts
    std::string text;             ///< word, string contents, number text or error message
    double number = 0.0;          ///< the value of a number token
    std::vector<double> numbers;  ///< the values of a floatArray token
    /// Set on a number token that is not finite ("nan", "inf" in text, or such
    /// bits in binary): a renderer cannot read it back.
    bool isNonFinite = false;
};

/// Reads tokens from a stream that is opened in binary mode. "#" starts a
/// comment that runs to the end of the line. Lines are counted by the newline
/// bytes of the text only, never by the bytes inside binary values, so the
/// line numbers match what a text viewer shows around binary data.
class RibLexer {
public:
    explicit RibLexer(std::istream& input);

    /// The next token. After an error token the lexer may have lost its place
    /// (an unsupported binary code, a string without end), so the caller
    /// stops; every later call returns endOfInput.
    Token next();

private:
    int peekByte();
    int takeByte();
    bool readBigEndian(int byteCount, std::uint32_t& value);
    Token binaryFloat(int line);
    Token binaryFloatArray(int headerByte, int line);
    Token quotedString(int line);
    Token bareItem(int line);
    Token errorToken(int line, std::string message);

    std::streambuf* source;
    int line = 1;
    bool isFinished = false;
};

}  // namespace ribcheck
