#include "world/SceneFile.h"

#include <toml++/toml.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <cstdio>
#include <fstream>
#include <initializer_list>
#include <sstream>
#include <tuple>

namespace {
// Shortest decimal that reads back to the same double, with a point or an
// exponent so that TOML reads it as a float, not an integer.
std::string decimal(double value)
{
    char text[64];
    const std::to_chars_result written = std::to_chars(text, text + sizeof text, value);
    std::string s(text, written.ptr);
    if (s.find_first_of(".en") == std::string::npos) s += ".0";
    return s;
}

const char* typeName(const toml::node& node)
{
    switch (node.type()) {
    case toml::node_type::table: return "a table";
    case toml::node_type::array: return "an array";
    case toml::node_type::string: return "a string";
    case toml::node_type::integer: return "an integer";
    case toml::node_type::floating_point: return "a number";
    case toml::node_type::boolean: return "a boolean";
    case toml::node_type::date: return "a date";
    case toml::node_type::time: return "a time";
    case toml::node_type::date_time: return "a date-time";
    case toml::node_type::none: break;
    }
    return "nothing";
}

// The keys each kind of table takes, for the unknown-key message.
const std::initializer_list<const char*> kRootKeys = {"time-step", "active-bodies", "object", "body"};
const std::initializer_list<const char*> kBodyKeys = {"cells", "corner", "centred", "spacing", "stiffness",
                                                      "damping", "mass", "fixed", "colour"};
const std::initializer_list<const char*> kSphereKeys = {"kind", "centre", "radius"};
const std::initializer_list<const char*> kBoxKeys = {"kind", "corner", "width", "height", "depth"};
const std::initializer_list<const char*> kFixedKeys = {"i", "j", "k"};

struct Problem {
    std::uint32_t line, column;
    std::string message;
};

// Walks a parsed document, filling a description and collecting every
// problem instead of stopping at the first.
class Checker {
public:
    explicit Checker(SceneDescription& scene_) : scene(scene_) {}

    std::vector<Problem> problems;

    void root(const toml::table& document);

private:
    SceneDescription& scene;
    long long nodesSoFar = 0;
    size_t bodyEntries = 0;  // [[body]] tables, valid or not

    void report(const toml::source_region& at, std::string message)
    {
        problems.push_back(Problem{at.begin.line, at.begin.column, std::move(message)});
    }

    void unknownKeys(const toml::table& table, std::initializer_list<const char*> known, const std::string& where)
    {
        for (auto&& entry : table) {
            const toml::key& key = entry.first;
            const bool isKnown =
                std::any_of(known.begin(), known.end(), [&](const char* k) { return key.str() == k; });
            if (isKnown) continue;
            std::string expected;
            for (const char* k : known) expected += std::string(expected.empty() ? "" : ", ") + k;
            report(key.source(), "unknown key '" + std::string(key.str()) + "' in " + where + " (expected " +
                                     expected + ")");
        }
    }

    const toml::node* required(const toml::table& table, const char* key, const std::string& where,
                               const char* expected)
    {
        const toml::node* node = table.get(key);
        if (node == nullptr) report(table.source(), where + " needs '" + key + "' (" + expected + ")");
        return node;
    }

    // A finite number, integer or float.
    bool number(const toml::node& node, const std::string& key, double& value)
    {
        if (const auto* f = node.as_floating_point()) {
            value = f->get();
            if (!std::isfinite(value)) {
                report(node.source(), "'" + key + "' must be a finite number, not " + decimal(value));
                return false;
            }
            return true;
        }
        if (const auto* i = node.as_integer()) {
            value = double(i->get());
            return true;
        }
        report(node.source(), "'" + key + "' must be a number, not " + typeName(node));
        return false;
    }

    bool positive(const toml::node* node, const std::string& key, double& value)
    {
        if (node == nullptr || !number(*node, key, value)) return false;
        if (value > 0.0) return true;
        report(node->source(), "'" + key + "' must be a positive number, not " + decimal(value));
        return false;
    }

    bool nonNegative(const toml::node* node, const std::string& key, double& value)
    {
        if (node == nullptr || !number(*node, key, value)) return false;
        if (value >= 0.0) return true;
        report(node->source(), "'" + key + "' must be 0 or more, not " + decimal(value));
        return false;
    }

    // A whole number of 0 or more, no larger than `largest`.
    bool count(const toml::node& node, const std::string& key, long long largest, long long& value)
    {
        if (const auto* i = node.as_integer()) {
            value = i->get();
        } else if (const auto* f = node.as_floating_point()) {
            const double v = f->get();
            if (!std::isfinite(v) || v != std::floor(v)) {
                report(node.source(), "'" + key + "' must be a whole number, not " + decimal(v));
                return false;
            }
            if (std::fabs(v) > 1e18) {
                report(node.source(), "'" + key + "' " + decimal(v) + " is larger than " + std::to_string(largest));
                return false;
            }
            value = (long long)v;
        } else {
            report(node.source(), "'" + key + "' must be a whole number, not " + typeName(node));
            return false;
        }
        if (value < 0) {
            report(node.source(), "'" + key + "' must be 0 or more, not " + std::to_string(value));
            return false;
        }
        if (value > largest) {
            report(node.source(), "'" + key + "' " + std::to_string(value) + " is larger than " +
                                      std::to_string(largest));
            return false;
        }
        return true;
    }

    const toml::array* arrayOf(const toml::node& node, const std::string& key, size_t size, const char* what)
    {
        const toml::array* array = node.as_array();
        if (array == nullptr) {
            report(node.source(), "'" + key + "' must be an array of " + std::to_string(size) + " " + what +
                                      ", not " + typeName(node));
            return nullptr;
        }
        if (array->size() != size) {
            report(node.source(), "'" + key + "' must be an array of " + std::to_string(size) + " " + what +
                                      ", not of " + std::to_string(array->size()));
            return nullptr;
        }
        return array;
    }

    bool vector(const toml::node* node, const std::string& key, Vector3& value)
    {
        if (node == nullptr) return false;
        const toml::array* array = arrayOf(*node, key, 3, "numbers");
        if (array == nullptr) return false;
        double v[3] = {0.0, 0.0, 0.0};
        bool isValid = true;
        for (size_t c = 0; c < 3; ++c) isValid = number(*array->get(c), key, v[c]) && isValid;
        value = Vector3(v[0], v[1], v[2]);
        return isValid;
    }

    void timeStep(const toml::table& document);
    void object(const toml::node& node);
    void body(const toml::node& node);
    void fixed(const toml::node& node, BodyDescription& body, bool hasLattice);
    bool range(const toml::node& node, const std::string& key, int nodes, bool hasLattice, IndexRange& value);
};

void Checker::root(const toml::table& document)
{
    unknownKeys(document, kRootKeys, "the scene");
    timeStep(document);

    for (const char* list : {"object", "body"}) {
        const toml::node* node = document.get(list);
        if (node == nullptr) continue;
        const toml::array* array = node->as_array();
        if (array == nullptr || !array->is_array_of_tables()) {
            report(node->source(), "'" + std::string(list) + "' must be a list of tables, written [[" + list +
                                       "]], not " + typeName(*node));
            continue;
        }
        if (std::strcmp(list, "body") == 0) bodyEntries = array->size();
        for (const toml::node& entry : *array) {
            if (std::strcmp(list, "object") == 0)
                object(entry);
            else
                body(entry);
        }
    }

    if (const toml::node* node = document.get("active-bodies")) {
        long long active = 0;
        if (count(*node, "active-bodies", 1LL << 30, active)) {
            if (active > (long long)bodyEntries)
                report(node->source(), "'active-bodies' " + std::to_string(active) + " is more than the " +
                                           std::to_string(bodyEntries) + " bodies of the scene");
            else
                scene.activeBodies = int(active);
        }
    } else {
        // As a catalogue scene: the first body falls, the others wait for 'n'.
        scene.activeBodies = bodyEntries == 0 ? 0 : 1;
    }
}

void Checker::timeStep(const toml::table& document)
{
    if (const toml::node* node = document.get("time-step")) positive(node, "time-step", scene.timeStep);
}

void Checker::object(const toml::node& node)
{
    const toml::table& table = *node.as_table();
    const toml::node* kindNode = required(table, "kind", "[[object]]", "\"sphere\", \"table\" or \"box\"");
    if (kindNode == nullptr) return;
    const auto* kind = kindNode->as_string();
    ObjectDescription object;
    if (kind != nullptr && kind->get() == "sphere") {
        object.kind = ObjectDescription::Kind::sphere;
        unknownKeys(table, kSphereKeys, "a sphere");
        bool isValid = vector(required(table, "centre", "a sphere", "three numbers"), "centre", object.position);
        isValid = positive(required(table, "radius", "a sphere", "a positive number"), "radius", object.radius) &&
                  isValid;
        if (isValid) scene.objects.push_back(object);
        return;
    }
    if (kind != nullptr && (kind->get() == "table" || kind->get() == "box")) {
        const bool isTable = kind->get() == "table";
        object.kind = isTable ? ObjectDescription::Kind::table : ObjectDescription::Kind::box;
        const std::string where = isTable ? "a table" : "a box";
        unknownKeys(table, kBoxKeys, where);
        bool isValid = vector(required(table, "corner", where, "three numbers"), "corner", object.position);
        isValid = positive(required(table, "width", where, "a positive number"), "width", object.width) && isValid;
        isValid =
            positive(required(table, "height", where, "a positive number"), "height", object.height) && isValid;
        isValid = positive(required(table, "depth", where, "a positive number"), "depth", object.depth) && isValid;
        if (isValid) scene.objects.push_back(object);
        return;
    }
    const std::string given = kind != nullptr ? "\"" + kind->get() + "\"" : typeName(*kindNode);
    report(kindNode->source(), "'kind' must be \"sphere\", \"table\" or \"box\", not " + given);
}

void Checker::body(const toml::node& node)
{
    const toml::table& table = *node.as_table();
    const std::string where = "[[body]]";
    unknownKeys(table, kBodyKeys, where);
    BodyDescription body;
    bool isValid = true;

    bool hasLattice = false;
    if (const toml::node* cells = required(table, "cells", where, "three whole numbers of 0 or more")) {
        if (const toml::array* array = arrayOf(*cells, "cells", 3, "whole numbers")) {
            hasLattice = true;
            long long nodes = 1;
            for (size_t c = 0; c < 3; ++c) {
                long long n = 0;
                if (count(*array->get(c), "cells", kMaxSceneNodes, n)) {
                    body.cells[c] = int(n);
                    nodes *= n + 1;
                } else {
                    hasLattice = false;
                }
            }
            if (hasLattice && nodesSoFar + nodes > kMaxSceneNodes) {
                report(cells->source(), "a body of " + std::to_string(nodes) + " nodes takes the scene past the " +
                                            std::to_string(kMaxSceneNodes) + " nodes a scene file may have");
                hasLattice = false;
            }
            if (hasLattice) nodesSoFar += nodes;
        }
        isValid = isValid && hasLattice;
    } else {
        isValid = false;
    }

    const toml::node* corner = table.get("corner");
    const toml::node* centred = table.get("centred");
    if (centred != nullptr) {
        if (const auto* flag = centred->as_boolean()) {
            body.isCentred = flag->get();
        } else {
            report(centred->source(), std::string("'centred' must be true or false, not ") + typeName(*centred));
            isValid = false;
        }
    }
    if (body.isCentred && corner != nullptr) {
        report(corner->source(), "a centred body takes no 'corner'");
        isValid = false;
    } else if (!body.isCentred) {
        if (corner == nullptr)
            report(table.source(), where + " needs 'corner' (three numbers) or 'centred = true'");
        isValid = vector(corner, "corner", body.corner) && isValid;
    }

    isValid = positive(required(table, "spacing", where, "a positive number"), "spacing", body.spacing) && isValid;
    isValid = positive(required(table, "stiffness", where, "a positive number"), "stiffness", body.stiffness) &&
              isValid;
    isValid = nonNegative(required(table, "damping", where, "a number of 0 or more"), "damping", body.damping) &&
              isValid;
    isValid = positive(required(table, "mass", where, "a positive number"), "mass", body.mass) && isValid;

    if (const toml::node* colour = table.get("colour")) {
        if (const toml::array* array = arrayOf(*colour, "colour", 3, "numbers from 0 to 1")) {
            body.hasColour = true;
            for (size_t c = 0; c < 3; ++c) {
                const toml::node& part = *array->get(c);
                if (!number(part, "colour", body.colour[c])) {
                    isValid = false;
                } else if (body.colour[c] < 0.0 || body.colour[c] > 1.0) {
                    report(part.source(), "'colour' parts must be from 0 to 1, not " + decimal(body.colour[c]));
                    isValid = false;
                }
            }
        } else {
            isValid = false;
        }
    }

    if (const toml::node* held = table.get("fixed")) {
        const toml::array* array = held->as_array();
        if (array == nullptr || !array->is_array_of_tables()) {
            report(held->source(), std::string("'fixed' must be a list of tables, written [[body.fixed]], not ") +
                                       typeName(*held));
            isValid = false;
        } else {
            const size_t before = problems.size();
            for (const toml::node& entry : *array) fixed(entry, body, hasLattice);
            isValid = isValid && problems.size() == before;
        }
    }

    if (isValid) scene.bodies.push_back(body);
}

void Checker::fixed(const toml::node& node, BodyDescription& body, bool hasLattice)
{
    const toml::table& table = *node.as_table();
    unknownKeys(table, kFixedKeys, "[[body.fixed]]");
    FixedNodes held;
    IndexRange* ranges[3] = {&held.i, &held.j, &held.k};
    bool isValid = true;
    for (int axis = 0; axis < 3; ++axis) {
        const char* key = *(kFixedKeys.begin() + axis);
        const int nodes = body.cells[axis] + 1;
        // A missing index holds the whole lattice along that axis.
        *ranges[axis] = IndexRange{0, nodes - 1};
        if (const toml::node* index = table.get(key))
            isValid = range(*index, key, nodes, hasLattice, *ranges[axis]) && isValid;
    }
    if (isValid) body.fixed.push_back(held);
}

bool Checker::range(const toml::node& node, const std::string& key, int nodes, bool hasLattice, IndexRange& value)
{
    long long first = 0, last = 0;
    const long long largest = 1LL << 40;
    if (const toml::array* array = node.as_array()) {
        if (array->size() != 2) {
            report(node.source(), "'" + key + "' must be an index or a range [first, last], not an array of " +
                                      std::to_string(array->size()));
            return false;
        }
        if (!count(*array->get(0), key, largest, first) || !count(*array->get(1), key, largest, last)) return false;
        if (last < first) {
            report(node.source(), "'" + key + "' range [" + std::to_string(first) + ", " + std::to_string(last) +
                                      "] runs backwards");
            return false;
        }
    } else {
        if (!count(node, key, largest, first)) return false;
        last = first;
    }
    if (!hasLattice) return false;
    if (last >= nodes) {
        const long long outside = first >= nodes ? first : last;
        report(node.source(), "fixed node index " + key + " = " + std::to_string(outside) +
                                  " is outside the lattice (" + key + " runs from 0 to " + std::to_string(nodes - 1) +
                                  ")");
        return false;
    }
    value = IndexRange{int(first), int(last)};
    return true;
}

// Messages quote the file (keys, strings, the parser's view of a bad
// spot), and a file may hold line breaks or terminal control sequences in
// any of them: escaped, each problem stays one harmless line.
std::string printable(const std::string& text)
{
    std::string shown;
    for (const char c : text) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (c == '\n') {
            shown += "\\n";
        } else if (c == '\t') {
            shown += "\\t";
        } else if (u < 0x20 || u == 0x7f) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\x%02x", u);
            shown += escape;
        } else {
            shown += c;
        }
    }
    return shown;
}

std::string problemLine(const std::string& name, std::uint32_t line, std::uint32_t column, const std::string& text)
{
    return name + ":" + std::to_string(line) + ":" + std::to_string(column) + ": " + printable(text);
}

// toml++ 3.3 asks whether a character is whitespace wherever a value may
// end, while it records the raw text of a value, and after a line-ending
// backslash in a multi-line string; for most non-ASCII characters that
// question runs into code it marks as unreachable: undefined behaviour. A
// scene needs non-ASCII text nowhere but in comments, where toml++ does not
// ask, so anywhere else it is refused here, before toml++ sees the text.
// Strings are followed only so that a '#' inside one is not taken for a
// comment; whatever this scan takes for a string, non-ASCII text in it is
// refused, so a quote that toml++ reads otherwise can only refuse more.
// Returns the position of the first such character, line and column
// counted as toml++ counts them (in characters), or line 0 when there is none.
toml::source_position strayNonAscii(std::string_view text)
{
    enum class State { plain,
                       comment,
                       basic,
                       literal,
                       multiBasic,
                       multiLiteral };
    State state = State::plain;
    std::uint32_t line = 1, column = 0;
    for (size_t at = 0; at < text.size(); ++at) {
        const unsigned char c = static_cast<unsigned char>(text[at]);
        if ((c & 0xC0) != 0x80) ++column;  // continuation bytes belong to the character before
        if (c == '\n') {
            ++line;
            column = 0;
            if (state == State::comment || state == State::basic || state == State::literal) state = State::plain;
            continue;
        }
        if (c >= 0x80 && state != State::comment) return toml::source_position{line, column};
        const std::string_view rest = text.substr(at);
        switch (state) {
        case State::plain:
            if (c == '#') {
                state = State::comment;
            } else if (rest.substr(0, 3) == "\"\"\"") {
                state = State::multiBasic;
                at += 2;
                column += 2;
            } else if (rest.substr(0, 3) == "'''") {
                state = State::multiLiteral;
                at += 2;
                column += 2;
            } else if (c == '"') {
                state = State::basic;
            } else if (c == '\'') {
                state = State::literal;
            }
            break;
        case State::basic:
        case State::multiBasic:
            if (c == '\\' && at + 1 < text.size() && text[at + 1] != '\n' &&
                static_cast<unsigned char>(text[at + 1]) < 0x80) {
                // An escape: the next character is part of it, never the end.
                ++at;
                ++column;
            } else if (state == State::basic && c == '"') {
                state = State::plain;
            } else if (state == State::multiBasic && rest.substr(0, 3) == "\"\"\"") {
                state = State::plain;
                at += 2;
                column += 2;
            }
            break;
        case State::literal:
            if (c == '\'') state = State::plain;
            break;
        case State::multiLiteral:
            if (rest.substr(0, 3) == "'''") {
                state = State::plain;
                at += 2;
                column += 2;
            }
            break;
        case State::comment: break;
        }
    }
    return toml::source_position{0, 0};
}
}  // namespace

SceneFileResult parseSceneText(std::string_view text, const std::string& name)
{
    SceneFileResult result;
    const toml::source_position stray = strayNonAscii(text);
    if (stray.line != 0) {
        result.problems.push_back(problemLine(
            name, stray.line, stray.column,
            "not TOML: a character that is not ASCII, outside a comment"));
        return result;
    }
    toml::table document;
    try {
        document = toml::parse(text, name);
    } catch (const toml::parse_error& error) {
        const toml::source_position at = error.source().begin;
        result.problems.push_back(problemLine(name, std::max(at.line, 1u), std::max(at.column, 1u),
                                              "not TOML: " + std::string(error.description())));
        return result;
    }
    Checker checker(result.scene);
    checker.root(document);
    // Tables are kept by key, not in the file's order: sort back into it.
    std::stable_sort(checker.problems.begin(), checker.problems.end(), [](const Problem& a, const Problem& b) {
        return std::tie(a.line, a.column) < std::tie(b.line, b.column);
    });
    for (const Problem& problem : checker.problems)
        result.problems.push_back(problemLine(name, problem.line, problem.column, problem.message));
    return result;
}

SceneFileResult readSceneFile(const std::string& path)
{
    // Read through the C library: a directory opens as a stream but fails
    // to read, and that failure must not pass for an empty scene.
    std::string text;
    errno = 0;
    std::FILE* file = std::fopen(path.c_str(), "rb");
    bool isRead = file != nullptr;
    if (file != nullptr) {
        char block[65536];
        size_t got = 0;
        while ((got = std::fread(block, 1, sizeof block, file)) > 0) text.append(block, got);
        isRead = std::ferror(file) == 0;
        const int error = errno;
        std::fclose(file);
        errno = error;
    }
    if (!isRead) {
        SceneFileResult result;
        result.problems.push_back(
            problemLine(path, 1, 1, std::string("cannot read the file (") + std::strerror(errno) + ")"));
        return result;
    }
    return parseSceneText(text, path);
}

std::string sceneFileText(const SceneDescription& scene, const std::string& title)
{
    std::ostringstream out;
    auto vector = [](const Vector3& v) { return "[" + decimal(v.x) + ", " + decimal(v.y) + ", " + decimal(v.z) + "]"; };
    auto index = [](const IndexRange& r) {
        return r.first == r.last ? std::to_string(r.first)
                                 : "[" + std::to_string(r.first) + ", " + std::to_string(r.last) + "]";
    };
    out << "# " << title << "\n";
    out << "time-step = " << decimal(scene.timeStep) << "\n";
    out << "active-bodies = " << scene.activeBodies << "\n";
    for (const ObjectDescription& object : scene.objects) {
        out << "\n[[object]]\n";
        if (object.kind == ObjectDescription::Kind::sphere) {
            out << "kind = \"sphere\"\n";
            out << "centre = " << vector(object.position) << "\n";
            out << "radius = " << decimal(object.radius) << "\n";
            continue;
        }
        out << "kind = \"" << (object.kind == ObjectDescription::Kind::table ? "table" : "box") << "\"\n";
        out << "corner = " << vector(object.position) << "\n";
        out << "width = " << decimal(object.width) << "\n";
        out << "height = " << decimal(object.height) << "\n";
        out << "depth = " << decimal(object.depth) << "\n";
    }
    for (const BodyDescription& body : scene.bodies) {
        out << "\n[[body]]\n";
        out << "cells = [" << body.cells[0] << ", " << body.cells[1] << ", " << body.cells[2] << "]\n";
        if (body.isCentred)
            out << "centred = true\n";
        else
            out << "corner = " << vector(body.corner) << "\n";
        out << "spacing = " << decimal(body.spacing) << "\n";
        out << "stiffness = " << decimal(body.stiffness) << "\n";
        out << "damping = " << decimal(body.damping) << "\n";
        out << "mass = " << decimal(body.mass) << "\n";
        if (body.hasColour)
            out << "colour = [" << decimal(body.colour[0]) << ", " << decimal(body.colour[1]) << ", "
                << decimal(body.colour[2]) << "]\n";
        for (const FixedNodes& held : body.fixed) {
            out << "\n[[body.fixed]]\n";
            out << "i = " << index(held.i) << "\n";
            out << "j = " << index(held.j) << "\n";
            out << "k = " << index(held.k) << "\n";
        }
    }
    return out.str();
}

bool writeSceneFile(const std::string& path, const SceneDescription& scene, const std::string& title,
                    std::string& problem)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (out) out << sceneFileText(scene, title);
    if (out) out.close();
    if (!out) {
        problem = "cannot write " + path + " (" + std::strerror(errno) + ")";
        return false;
    }
    return true;
}
