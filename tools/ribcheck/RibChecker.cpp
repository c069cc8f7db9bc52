#include "tools/ribcheck/RibChecker.h"

#include "tools/ribcheck/RibLexer.h"

#include <cmath>
#include <cstring>
#include <sstream>

namespace ribcheck {

namespace {
struct BlockPair {
    const char* begin;
    const char* end;
};

// The blocks that must pair up. Frame, world and attribute blocks also save
// the attributes, the basis among them, and restore them at their end.
constexpr BlockPair kBlocks[] = {
    {"FrameBegin", "FrameEnd"},
    {"WorldBegin", "WorldEnd"},
    {"AttributeBegin", "AttributeEnd"},
    {"TransformBegin", "TransformEnd"},
    {"SolidBegin", "SolidEnd"},
    {"ObjectBegin", "ObjectEnd"},
    {"MotionBegin", "MotionEnd"},
};

// Counts and indices beyond a 32-bit integer are as wrong in RIB as
// fractions are, and keep every product of two of them exact.
constexpr double kLargestWhole = 2147483647.0;

bool isWhole(double value) { return std::fabs(value) <= kLargestWhole && value == std::floor(value); }

std::string quoted(const std::string& text) { return "\"" + text + "\""; }

const char* kindName(const Value& value)
{
    switch (value.kind) {
    case Value::Kind::number: return "a number";
    case Value::Kind::string: return "a string";
    case Value::Kind::array: return value.strings.empty() ? "an array of numbers" : "an array of strings";
    }
    return "";
}

std::vector<std::string> splitNames(const char* names)
{
    std::vector<std::string> result;
    std::istringstream in(names);
    for (std::string name; in >> name;) result.push_back(name);
    return result;
}

std::string declarationText(const ParameterType& type, bool withClass)
{
    static const char* const kClassNames[] = {"constant", "uniform", "varying", "vertex", "facevarying"};
    std::string text = withClass ? std::string(kClassNames[static_cast<int>(type.storage)]) + " " : "";
    text += typeName(type.type);
    if (type.arrayLength != 1) text += "[" + std::to_string(type.arrayLength) + "]";
    return text;
}

/// Reads the rest of an array whose "[" has been read; returns the token
/// after it. A request keyword inside the brackets means the "]" is missing:
/// the array ends there and the keyword starts the next request.
Token readArray(RibLexer& lexer, Value& array, std::vector<std::pair<int, std::string>>& faults, bool& nonFinite)
{
    for (Token token = lexer.next();; token = lexer.next()) {
        switch (token.kind) {
        case TokenKind::arrayEnd: return lexer.next();
        case TokenKind::number:
            array.numbers.push_back(token.number);
            nonFinite = nonFinite || token.isNonFinite;
            break;
        case TokenKind::floatArray:
            array.numbers.insert(array.numbers.end(), token.numbers.begin(), token.numbers.end());
            nonFinite = nonFinite || token.isNonFinite;
            break;
        case TokenKind::string: array.strings.push_back(token.text); break;
        case TokenKind::arrayBegin: faults.emplace_back(token.line, "\"[\" inside an array"); break;
        case TokenKind::unreadable: faults.emplace_back(token.line, "cannot read " + quoted(token.text)); break;
        case TokenKind::word:
            faults.emplace_back(array.line, "array not closed before " + token.text);
            return token;
        case TokenKind::error:
        case TokenKind::endOfInput:
            faults.emplace_back(array.line, "array not closed at the end of the file");
            return token;
        }
    }
}
}  // namespace

RibChecker::RibChecker(CheckOptions options, FindingSink sink) : options(options), sink(std::move(sink)) {}

void RibChecker::problem(int line, const std::string& message)
{
    ++problems;
    sink(Finding{line, message, false, ""});
}

void RibChecker::partialMesh(int line, const std::string& details)
{
    static const std::string kKind = "PatchMesh \"bicubic\" does not fit the basis";
    if (!options.allowPartialMeshes) {
        problem(line, kKind + ": " + details);
        return;
    }
    ++notes;
    sink(Finding{line, kKind + ": " + details, true, kKind});
}

void RibChecker::check(std::istream& input)
{
    RibLexer lexer(input);
    std::optional<Request> current;
    bool reportedStrayValues = false;
    auto addValue = [&](Value value, bool nonFinite) {
        if (!current) {
            if (!reportedStrayValues) problem(value.line, "values before the first request");
            reportedStrayValues = true;
            return;
        }
        current->arguments.push_back(std::move(value));
        current->hasNonFiniteValue = current->hasNonFiniteValue || nonFinite;
    };

    Token token = lexer.next();
    for (;;) {
        switch (token.kind) {
        case TokenKind::word:
            if (current) finishRequest(*current);
            current = Request{token.text, token.line, {}, false};
            ++requests;
            token = lexer.next();
            break;
        case TokenKind::number: {
            Value value;
            value.line = token.line;
            value.numbers.push_back(token.number);
            addValue(std::move(value), token.isNonFinite);
            token = lexer.next();
            break;
        }
        case TokenKind::string: {
            Value value;
            value.kind = Value::Kind::string;
            value.line = token.line;
            value.strings.push_back(token.text);
            addValue(std::move(value), false);
            token = lexer.next();
            break;
        }
        case TokenKind::floatArray: {
            Value value;
            value.kind = Value::Kind::array;
            value.line = token.line;
            value.numbers = std::move(token.numbers);
            addValue(std::move(value), token.isNonFinite);
            token = lexer.next();
            break;
        }
        case TokenKind::arrayBegin: {
            Value value;
            value.kind = Value::Kind::array;
            value.line = token.line;
            std::vector<std::pair<int, std::string>> faults;
            bool nonFinite = false;
            token = readArray(lexer, value, faults, nonFinite);
            for (const auto& [line, message] : faults) problem(line, message);
            if (!value.numbers.empty() && !value.strings.empty()) {
                problem(value.line, "array mixes numbers and strings");
            }
            addValue(std::move(value), nonFinite);
            break;
        }
        case TokenKind::arrayEnd:
            problem(token.line, "\"]\" without \"[\"");
            token = lexer.next();
            break;
        case TokenKind::unreadable:
            problem(token.line, "cannot read " + quoted(token.text));
            token = lexer.next();
            break;
        case TokenKind::error:
            // The rest of the input cannot be read, so the request in
            // progress and the blocks still open would only report the cut.
            problem(token.line, token.text);
            return;
        case TokenKind::endOfInput:
            if (current) finishRequest(*current);
            closeOpenBlocks();
            return;
        }
    }
}

void RibChecker::finishRequest(const Request& request)
{
    const RequestShape* shape = findRequest(request.name);
    if (shape == nullptr) {
        problem(request.line, "unknown request " + quoted(request.name));
        return;
    }
    if (request.hasNonFiniteValue) problem(request.line, request.name + " has a value that is not a finite number");
    checkPlacement(request, shape->placement);
    checkBlocks(request);
    if (request.name == "FrameBegin") ++frames;

    if (colorSamples != 3 && (request.name == "Color" || request.name == "Opacity")) {
        checkColorComponents(request);
        return;
    }
    std::vector<Value> positional;
    size_t next = 0;
    if (!matchArguments(*shape, request, positional, next)) return;
    if (request.name == "ColorSamples") {
        checkColorSamples(request, positional);
        return;
    }
    if (request.name == "Declare") {
        checkDeclare(request);
        return;
    }
    if (request.name == "Basis") {
        checkBasis(request, positional);
        return;
    }
    if (request.name == "TrimCurve") {
        checkTrimCurve(request, positional);
        return;
    }
    if (request.name == "Procedural" && positional[2].size() != 6) {
        problem(request.line, "Procedural bound has " + std::to_string(positional[2].size()) + " numbers; 6 needed");
        return;
    }
    if (shape->parameters == ParameterList::none) {
        if (next < request.arguments.size()) {
            problem(request.arguments[next].line, request.name + " has more arguments than it takes");
        }
        return;
    }
    std::vector<Parameter> parameters;
    if (!readParameters(request, next, parameters)) return;
    if (shape->parameters == ParameterList::plain) {
        checkParameterValues(request, parameters, nullptr);
        return;
    }
    const auto counts = primitiveCounts(request, positional, parameters);
    if (counts) checkParameterValues(request, parameters, &*counts);
}

void RibChecker::checkDeclare(const Request& request)
{
    const std::string& name = request.arguments[0].strings[0];
    const std::string& text = request.arguments[1].strings[0];
    if (name.empty()) {
        problem(request.line, "Declare with an empty name");
        return;
    }
    // An empty declaration only names the token; it declares nothing.
    if (text.empty()) return;
    const auto type = DeclarationTable::parse(text);
    if (!type) {
        problem(request.line, "Declare " + quoted(name) + ": cannot read the declaration " + quoted(text));
        return;
    }
    declarations.declare(name, *type);
}

void RibChecker::checkBlocks(const Request& request)
{
    for (const BlockPair& pair : kBlocks) {
        if (request.name == pair.begin) {
            openBlock(pair.begin, pair.end, request.line);
            const bool hasTimes = !request.arguments.empty() && request.arguments[0].isArray();
            if (request.name == "MotionBegin" && hasTimes) {
                blocks.back().motionTimes = static_cast<long>(request.arguments[0].size());
            }
            return;
        }
        if (request.name == pair.end) {
            closeBlock(pair.end, request.line);
            return;
        }
    }
}

void RibChecker::openBlock(const char* begin, const char* end, int line)
{
    blocks.push_back(Block{begin, end, line, steps, colorSamples});
}

void RibChecker::closeBlock(const char* end, int line)
{
    size_t match = blocks.size();
    while (match > 0 && std::strcmp(blocks[match - 1].end, end) != 0) --match;
    if (match == 0) {
        const char* begin = "";
        for (const BlockPair& pair : kBlocks) {
            if (std::strcmp(pair.end, end) == 0) begin = pair.begin;
        }
        problem(line, std::string(end) + " without " + begin);
        return;
    }
    // Blocks opened inside the one that ends here were never closed: report
    // them and close them too, so that the rest of the file is checked
    // against the nesting its author meant.
    for (size_t i = blocks.size(); i > match; --i) {
        const Block& open = blocks[i - 1];
        problem(line, std::string(end) + " while the " + open.begin + " of line " + std::to_string(open.line) +
                          " is still open");
    }
    const Block& closing = blocks[match - 1];
    if (match == blocks.size() && std::strcmp(closing.begin, "MotionBegin") == 0) checkMotionCount(closing, line);
    const bool restoresAttributes = std::strcmp(closing.begin, "FrameBegin") == 0 ||
                                    std::strcmp(closing.begin, "WorldBegin") == 0 ||
                                    std::strcmp(closing.begin, "AttributeBegin") == 0;
    if (restoresAttributes) steps = closing.savedSteps;
    // ColorSamples is an option: only the end of a frame undoes it.
    if (std::strcmp(closing.begin, "FrameBegin") == 0) colorSamples = closing.savedColorSamples;
    blocks.resize(match - 1);
}

void RibChecker::closeOpenBlocks()
{
    for (const Block& open : blocks) problem(open.line, std::string(open.begin) + " never closed");
    blocks.clear();
}

bool RibChecker::matchArguments(const RequestShape& shape, const Request& request, std::vector<Value>& positional,
                                size_t& next)
{
    const std::vector<std::string> names = splitNames(shape.argumentNames);
    const std::vector<Value>& arguments = request.arguments;
    const bool hasParameters = shape.parameters != ParameterList::none;
    size_t nameIndex = 0;
    next = 0;
    auto fail = [&](int line, const std::string& what) {
        problem(line, request.name + ": " + what);
        return false;
    };

    for (const char* letter = shape.letters; *letter != '\0'; ++letter) {
        if (*letter == '[') {
            // The optional group is there when its first argument is an array.
            if (next < arguments.size() && arguments[next].isArray()) continue;
            while (*letter != ']') {
                if (*letter != '[') ++nameIndex;
                ++letter;
            }
            continue;
        }
        if (*letter == ']') continue;
        const std::string& name = names[nameIndex];
        // A string where a number or array belongs starts the parameter list
        // of a request that has one: the argument is missing.
        const bool isMissing = next == arguments.size() ||
                               (hasParameters && *letter != 's' && *letter != 'h' && *letter != 'B' &&
                                *letter != 'S' && arguments[next].kind == Value::Kind::string);
        if (isMissing) {
            return fail(next < arguments.size() ? arguments[next].line : request.line, "missing " + name);
        }
        const Value& argument = arguments[next];

        if (*letter == 'f') {
            size_t run = 1;
            while (letter[run] == 'f') ++run;
            if (argument.isArray()) {
                // A run of numbers may come as one array of them ("Color [1 0 0]").
                if (argument.numbers.size() != run || !argument.strings.empty()) {
                    return fail(argument.line, "the array for " + name + (run > 1 ? " to " + names[nameIndex + run - 1] : "") +
                                                   " has " + std::to_string(argument.size()) + " values; " +
                                                   std::to_string(run) + " needed");
                }
                for (double number : argument.numbers) {
                    Value single;
                    single.line = argument.line;
                    single.numbers.push_back(number);
                    positional.push_back(std::move(single));
                }
                letter += run - 1;
                nameIndex += run;
                ++next;
                continue;
            }
            if (argument.kind != Value::Kind::number) return fail(argument.line, name + " must be a number");
        } else if (*letter == 'i') {
            if (argument.kind != Value::Kind::number || !isWhole(argument.numbers[0])) {
                return fail(argument.line, name + " must be a whole number");
            }
        } else if (*letter == 's') {
            if (argument.kind != Value::Kind::string) {
                return fail(argument.line, name + " must be a string, not " + kindName(argument));
            }
        } else if (*letter == 'h') {
            const bool isHandle = argument.kind == Value::Kind::string ||
                                  (argument.kind == Value::Kind::number && isWhole(argument.numbers[0]));
            if (!isHandle) return fail(argument.line, name + " must be a whole number or a string");
        } else if (*letter == 'B') {
            const bool isBasis = argument.kind == Value::Kind::string ||
                                 (argument.isArray() && argument.strings.empty() && argument.numbers.size() == 16);
            if (!isBasis) return fail(argument.line, name + " must be a basis name or an array of 16 numbers");
        } else if (*letter == 'F' || *letter == 'I') {
            if (!argument.isArray() || !argument.strings.empty()) {
                return fail(argument.line, name + " must be an array of numbers, not " + kindName(argument));
            }
            if (*letter == 'I') {
                for (double number : argument.numbers) {
                    if (!isWhole(number)) return fail(argument.line, name + " must hold whole numbers");
                }
            }
        } else if (*letter == 'S') {
            if (!argument.isArray() || !argument.numbers.empty()) {
                return fail(argument.line, name + " must be an array of strings, not " + kindName(argument));
            }
        }
        positional.push_back(argument);
        ++nameIndex;
        ++next;
    }
    return true;
}

bool RibChecker::readParameters(const Request& request, size_t first, std::vector<Parameter>& parameters)
{
    const std::vector<Value>& arguments = request.arguments;
    for (size_t i = first; i < arguments.size(); i += 2) {
        if (arguments[i].kind != Value::Kind::string) {
            problem(arguments[i].line, request.name + ": expected a parameter name, found " + kindName(arguments[i]));
            return false;
        }
        Parameter parameter;
        parameter.name = arguments[i].strings[0];
        parameter.line = arguments[i].line;
        if (i + 1 == arguments.size()) {
            problem(parameter.line, quoted(parameter.name) + " on " + request.name + " has no value");
            return false;
        }
        parameter.value = arguments[i + 1];
        parameter.type = declarations.find(parameter.name);
        parameters.push_back(std::move(parameter));
    }
    return true;
}

void RibChecker::checkParameterValues(const Request& request, const std::vector<Parameter>& parameters,
                                      const ElementCounts* counts)
{
    for (const Parameter& parameter : parameters) {
        const std::string where = quoted(parameter.name) + " on " + request.name;
        if (!parameter.type) {
            problem(parameter.line, "undeclared parameter " + quoted(parameter.name) + " on " + request.name);
            continue;
        }
        const ParameterType& type = *parameter.type;
        const Value& value = parameter.value;
        if (type.type == ValueType::string) {
            if (!value.numbers.empty()) {
                problem(parameter.line, where + " needs strings");
                continue;
            }
        } else if (!value.strings.empty()) {
            problem(parameter.line, where + " needs numbers");
            continue;
        } else if (type.type == ValueType::integer) {
            bool allWhole = true;
            for (double number : value.numbers) allWhole = allWhole && isWhole(number);
            if (!allWhole) {
                problem(parameter.line, where + " needs whole numbers");
                continue;
            }
        }

        long long elements = 1;
        if (counts != nullptr) {
            switch (type.storage) {
            case StorageClass::constant: elements = 1; break;
            case StorageClass::uniform: elements = counts->uniform; break;
            case StorageClass::varying: elements = counts->varying; break;
            case StorageClass::vertex: elements = counts->vertex; break;
            case StorageClass::facevarying:
                elements = counts->faceVarying >= 0 ? counts->faceVarying : counts->varying;
                break;
            }
        }
        const long long perElement = type.type == ValueType::color ? colorSamples : valuesPerElement(type.type);
        const long long expected = elements * type.arrayLength * perElement;
        if (static_cast<long long>(value.size()) != expected) {
            problem(parameter.line, where + " has " + std::to_string(value.size()) + " values; " +
                                        declarationText(type, counts != nullptr) + " needs " +
                                        std::to_string(expected));
        }
    }
}

void RibChecker::checkColorSamples(const Request& request, const std::vector<Value>& positional)
{
    const size_t toRgb = positional[0].size();
    if (toRgb == 0 || toRgb % 3 != 0 || positional[1].size() != toRgb) {
        problem(request.line, "ColorSamples needs two arrays of 3n numbers, n >= 1; it has " +
                                  std::to_string(toRgb) + " and " + std::to_string(positional[1].size()));
        return;
    }
    colorSamples = static_cast<int>(toRgb / 3);
}

void RibChecker::checkColorComponents(const Request& request)
{
    size_t numbers = 0;
    for (const Value& argument : request.arguments) {
        if (!argument.strings.empty()) {
            problem(argument.line, request.name + " needs numbers");
            return;
        }
        numbers += argument.size();
    }
    if (numbers != static_cast<size_t>(colorSamples)) {
        problem(request.line, request.name + " has " + std::to_string(numbers) + " values; " +
                                  std::to_string(colorSamples) + " colour samples need as many");
    }
}

CheckReport checkRib(std::istream& input, const CheckOptions& options)
{
    CheckReport report;
    RibChecker checker(options, [&report](const Finding& finding) { report.findings.push_back(finding); });
    checker.check(input);
    report.requests = checker.requestCount();
    report.frames = checker.frameCount();
    report.problems = checker.problemCount();
    return report;
}

}  // namespace ribcheck
