#include "ribout/RibWriter.h"

#include <cerrno>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <locale.h>
#include <string>

#include "ribout/Declarations.h"
#include "ribout/ErrorReporting.h"
#include "ribout/FloatText.h"
#include "ribout/ParameterGathering.h"
#include "ribout/SymbolTable.h"

int echoDeclarations = 0;

namespace {

constexpr unsigned char kBinaryFloat = 0xA4;
constexpr unsigned char kBinaryFloatArray8 = 0xC8;  // 0xC8 + k: k + 1 length bytes follow
constexpr std::size_t kFloatsPerChunk = 1024;

bool isRendererName(const char* name)
{
    return std::strcmp(name, "rendrib") == 0 || std::strcmp(name, "rgl") == 0 ||
           std::strcmp(name, "prman") == 0;
}

// The four bytes of an IEEE single, most significant first, as the binary
// RIB encoding stores them.
inline void storeBigEndian(RtFloat value, char* out)
{
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    bits = __builtin_bswap32(bits);
    std::memcpy(out, &bits, sizeof bits);
}

}  // namespace

RibWriter::RibWriter(RtToken outputName, RtInt n, RtToken tokens[], RtPointer values[])
{
    open(outputName, n, tokens, values);
}

RibWriter::RibWriter(RtToken outputName, ...)
{
    BLORP_GATHER_PARAMETERS(outputName);
    open(outputName, n, tokens, values);
}

void RibWriter::open(RtToken outputName, RtInt n, RtToken tokens[], RtPointer values[])
{
    for (RtInt i = 0; i < n; ++i) {
        const char* token = tokens[i];
        if (token == nullptr || values[i] == nullptr) {
            continue;
        }
        if (std::strcmp(token, "format") == 0) {
            binaryMode = stringValueIs(values[i], "binary");
        } else if (std::strcmp(token, "binary") == 0) {
            binaryMode = *static_cast<RtInt*>(values[i]);
        } else if (std::strcmp(token, "compression") == 0) {
            compressionMode = stringValueIs(values[i], "gzip");
        } else if (std::strcmp(token, "gzip") == 0) {
            compressionMode = *static_cast<RtInt*>(values[i]);
        }
    }
    echoDeclarations = 1;
    if (outputName != nullptr) {
        name = internString(outputName);
    }

    if (name == nullptr) {
        stream.attach(stdout, ribout::RibSink::standardOutput, "standard output");
    } else if (isRendererName(name) || name[0] == '|') {
        if (name[0] == '|') {
            name = internString(name + 1);
        }
        // One mode serves text and binary output: POSIX pipes do no newline
        // translation, and glibc's popen refuses a "b" in the mode.
        errno = 0;
        std::FILE* pipe = popen(name, "w");
        if (pipe == nullptr) {
            reportUnopened("Error opening pipe to ", name, errno);
            return;
        }
        isPipe = 1;
        stream.attach(pipe, ribout::RibSink::pipe, std::string("pipe \"") + name + "\"");
    } else {
        errno = 0;
        std::FILE* file = std::fopen(name, "wb");
        if (file == nullptr) {
            reportUnopened("Error making RIB file: bad filename: ", name, errno);
            return;
        }
        stream.attach(file, ribout::RibSink::file, std::string("\"") + name + "\"");
    }

    writeText("##RenderMan RIB-Structure 1.0\n");
    writeText("version 3.03\n");
    stream.endRequest();
    installDefaultDeclarations(*this);
}

void RibWriter::reportUnopened(const char* what, const char* outputName, int error)
{
    // The host decides what a missing output means for it, so this is an
    // error it can handle, not a reason to end its process.
    std::string message = std::string(what) + outputName + ": ";
    message += error != 0 ? std::strerror(error) : "the system gave no reason";
    reportError(RIE_NOFILE, RIE_ERROR, message.c_str());
}

RibWriter::~RibWriter()
{
    if (!stream.isOpen()) {
        return;
    }
    writeText("\n", 1);
    // A lost or truncated RIB file must not pass for a finished one: the
    // stream reports what went wrong, once, whether now or earlier.
    stream.close();
}

// ------------------------------------------------------------ value writers

void RibWriter::writeText(const char* text)
{
    stream.put(text, std::strlen(text));
}

void RibWriter::writeQuoted(const char* text)
{
    stream.put('"');
    if (text != nullptr) {
        stream.put(text, std::strlen(text));
    }
    stream.put('"');
}

void RibWriter::writeInt(long value)
{
    char* out = stream.reserve(ribout::kMaxIntText);
    stream.commit(ribout::formatInt(value, out));
}

void RibWriter::writeFloatText(RtFloat value)
{
    char* out = stream.reserve(ribout::kMaxFloatText);
    stream.commit(ribout::formatFloat(value, out));
}

void RibWriter::writeFixedText(RtFloat value)
{
    char* out = stream.reserve(ribout::kMaxFixedText);
    stream.commit(ribout::formatFixed(value, out));
}

void RibWriter::endRequest()
{
    stream.put('\n');
    stream.endRequest();
}

void RibWriter::writeFloat(RtFloat value)
{
    if (binaryMode) {
        char* out = stream.reserve(5);
        out[0] = static_cast<char>(kBinaryFloat);
        storeBigEndian(value, out + 1);
        stream.commit(out + 5);
        return;
    }
    char* out = stream.reserve(ribout::kMaxFloatText + 1);
    out = ribout::formatFloat(value, out);
    *out++ = ' ';
    stream.commit(out);
}

void RibWriter::writeFloatArray(const RtFloat* values, std::int64_t n)
{
    // A negative count (say from a declaration with a negative length) would
    // otherwise become a huge length header; it is written as an empty array.
    const std::size_t count = n > 0 ? static_cast<std::size_t>(n) : 0;
    if (binaryMode) {
        char header[5];
        std::size_t headerLength;
        if (count < (1u << 8)) {
            headerLength = 1;
        } else if (count < (1u << 16)) {
            headerLength = 2;
        } else if (count < (1u << 24)) {
            headerLength = 3;
        } else {
            headerLength = 4;
        }
        header[0] = static_cast<char>(kBinaryFloatArray8 + headerLength - 1);
        for (std::size_t i = 0; i < headerLength; ++i) {
            header[headerLength - i] = static_cast<char>((count >> (8 * i)) & 0xFF);
        }
        stream.put(header, headerLength + 1);
        for (std::size_t start = 0; start < count; start += kFloatsPerChunk) {
            const std::size_t chunk = count - start < kFloatsPerChunk ? count - start
                                                                      : kFloatsPerChunk;
            char* out = stream.reserve(4 * chunk);
            for (std::size_t i = 0; i < chunk; ++i) {
                storeBigEndian(values[start + i], out + 4 * i);
            }
            stream.commit(out + 4 * chunk);
        }
        return;
    }
    stream.put('[');
    for (std::size_t start = 0; start < count; start += kFloatsPerChunk) {
        const std::size_t chunk = count - start < kFloatsPerChunk ? count - start
                                                                  : kFloatsPerChunk;
        char* out = stream.reserve((ribout::kMaxFloatText + 1) * chunk);
        for (std::size_t i = 0; i < chunk; ++i) {
            out = ribout::formatFloat(values[start + i], out);
            *out++ = ' ';
        }
        stream.commit(out);
    }
    if (count > 0) {
        // The last value has no space after it: the bracket takes its place.
        stream.replaceLast(']');
    } else {
        stream.put(']');
    }
}

void RibWriter::writeIntArray(const RtInt* values, std::int64_t n)
{
    stream.put('[');
    for (std::int64_t i = 0; i < n; ++i) {
        char* out = stream.reserve(ribout::kMaxIntText + 1);
        out = ribout::formatInt(values[i], out);
        *out++ = ' ';
        stream.commit(out);
    }
    stream.put(']');
}

void RibWriter::writeStringArray(const RtToken* strings, std::int64_t n)
{
    stream.put('[');
    for (std::int64_t i = 0; i < n; ++i) {
        writeQuoted(strings[i]);
        stream.put(' ');
    }
    stream.put(']');
}

// ------------------------------------------------- declarations and archives

RtToken RibWriter::Declare(RtToken declaredName, RtToken declaration)
{
    if (echoDeclarations) {
        writeText("Declare ");
        writeQuoted(declaredName);
        writeText(" ", 1);
        writeQuoted(declaration);
        endRequest();
    }
    if (declaration != nullptr && declaration[0] != '\0') {
        return declare(declaredName, declaration, nullptr, 0);
    }
    return internString(declaredName);
}

void RibWriter::ArchiveRecordV(RtToken type, const char* format, va_list args)
{
    if (type == nullptr || format == nullptr) {
        return;
    }
    const char* lead;
    const char* trail = "\n";
    if (std::strcmp(type, "comment") == 0) {
        lead = "# ";
    } else if (std::strcmp(type, "structure") == 0) {
        lead = "##";
    } else if (std::strcmp(type, "verbatim") == 0) {
        lead = "";
        trail = "";
    } else {
        return;
    }
    // Numbers in a record become RIB text too, so the record is expanded in
    // the "C" locale whatever the program has set. Its length is measured
    // first: a record of any size is written whole.
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    const locale_t previous = uselocale(cLocale);
    va_list measure;
    va_copy(measure, args);
    const int length = std::vsnprintf(nullptr, 0, format, measure);
    va_end(measure);
    std::string record;
    if (length > 0) {
        record.resize(static_cast<std::size_t>(length) + 1);
        std::vsnprintf(&record[0], record.size(), format, args);
        record.resize(static_cast<std::size_t>(length));
    }
    uselocale(previous);
    writeText(lead);
    writeText(record.data(), record.size());
    writeText(trail);
    stream.endRequest();
}

void RibWriter::ReadArchiveV(RtToken archiveName, RtArchiveCallback, RtInt n, RtToken tokens[],
                             RtPointer values[])
{
    writeParameterRequest("ReadArchive", archiveName, 0, n, tokens, values);
}

void RibWriter::ErrorHandler(RtErrorHandler handler)
{
    const char* handlerName = nullptr;
    if (handler == RiErrorIgnore) {
        handlerName = "ignore";
    } else if (handler == RiErrorPrint) {
        handlerName = "print";
    } else if (handler == RiErrorAbort) {
        handlerName = "abort";
    }
    if (handlerName == nullptr) {
        return;
    }
    writeText("ErrorHandler ");
    writeQuoted(handlerName);
    endRequest();
}

// ------------------------------------------------------------------ textures

static const char* filterName(RtFilterFunc filter)
{
    if (filter == RiGaussianFilter) {
        return "gaussian";
    } else if (filter == RiBoxFilter) {
        return "box";
    } else if (filter == RiTriangleFilter) {
        return "triangle";
    } else if (filter == RiCatmullRomFilter) {
        return "catmull-rom";
    } else if (filter == RiSincFilter) {
        return "sinc";
    }
    return nullptr;
}

const char* RibWriter::namedFilter(const char* request, RtFilterFunc filter)
{
    const char* name = filterName(filter);
    if (name == nullptr) {
        // RIB names only the standard filters; a request with an empty or
        // made-up name is one no renderer reads, so it is left out.
        reportDiagnostic(RIE_INCAPABLE, RIE_ERROR,
                         "ribout error: %s with a filter function RIB cannot name", request);
    }
    return name;
}

void RibWriter::writeTextureRequest(const char* request, std::initializer_list<RtToken> files,
                                    const RtFloat* fov, RtFilterFunc filterfunc, RtFloat swidth,
                                    RtFloat twidth)
{
    const char* filter = namedFilter(request, filterfunc);
    if (filter == nullptr) {
        return;
    }
    writeText(request);
    for (RtToken file : files) {
        writeText(" ", 1);
        writeQuoted(file);
    }
    if (fov != nullptr) {
        writeText(" ", 1);
        writeFloatText(*fov);
    }
    writeText(" ", 1);
    writeQuoted(filter);
    writeFloats("", {swidth, twidth});
}

void RibWriter::MakeTextureV(RtToken picture, RtToken texture, RtToken swrap, RtToken twrap,
                             RtFilterFunc filterfunc, RtFloat swidth, RtFloat twidth, RtInt,
                             RtToken[], RtPointer[])
{
    writeTextureRequest("MakeTexture", {picture, texture, swrap, twrap}, nullptr, filterfunc,
                        swidth, twidth);
}

void RibWriter::MakeBumpV(RtToken picture, RtToken texture, RtToken swrap, RtToken twrap,
                          RtFilterFunc filterfunc, RtFloat swidth, RtFloat twidth, RtInt,
                          RtToken[], RtPointer[])
{
    writeTextureRequest("MakeBump", {picture, texture, swrap, twrap}, nullptr, filterfunc, swidth,
                        twidth);
}

void RibWriter::MakeLatLongEnvironmentV(RtToken picture, RtToken texture, RtFilterFunc filterfunc,
                                        RtFloat swidth, RtFloat twidth, RtInt, RtToken[],
                                        RtPointer[])
{
    writeTextureRequest("MakeLatLongEnvironment", {picture, texture}, nullptr, filterfunc, swidth,
                        twidth);
}

void RibWriter::MakeCubeFaceEnvironmentV(RtToken px, RtToken nx, RtToken py, RtToken ny,
                                         RtToken pz, RtToken nz, RtToken texture, RtFloat fov,
                                         RtFilterFunc filterfunc, RtFloat swidth, RtFloat twidth,
                                         RtInt, RtToken[], RtPointer[])
{
    writeTextureRequest("MakeCubeFaceEnvironment", {px, nx, py, ny, pz, nz, texture}, &fov,
                        filterfunc, swidth, twidth);
}

void RibWriter::MakeShadowV(RtToken picture, RtToken texture, RtInt, RtToken[], RtPointer[])
{
    writeText("MakeShadow ");
    writeQuoted(picture);
    writeText(" ", 1);
    writeQuoted(texture);
    endRequest();
}

// --------------------------------------------------------- shared formatters

void RibWriter::writeFloats(const char* keyword, std::initializer_list<RtFloat> numbers)
{
    writeText(keyword);
    for (RtFloat number : numbers) {
        writeText(" ", 1);
        writeFloatText(number);
    }
    endRequest();
}

void RibWriter::writeParameterRequest(const char* keyword, RtToken requestName, int handle,
                                      RtInt n, RtToken tokens[], RtPointer values[])
{
    writeText(keyword);
    writeParameterList(*this, requestName, handle, n, tokens, values);
}

// -------------------------------------------------------------------- RiBegin

RtContextHandle RiBegin(RtToken name)
{
    RtToken tokens[] = {"binary"};
    RtPointer values[] = {&ribBinary};
    RibWriter* writer = nullptr;
    try {
        writer = new RibWriter(name, 1, tokens, values);
    } catch (...) {
        // Out of memory: no exception may cross into a C caller.
        writer = nullptr;
    }
    // The writer has reported why its output could not be opened; a writer
    // with nowhere to write must not look current.
    if (writer != nullptr && !writer->isOpen()) {
        delete writer;
        writer = nullptr;
    }
    currentRenderer = writer;
    return writer;
}
