#pragma once

// What a parameter name stands for: its storage class, value type and array
// length, from the standard declarations, from Declare requests and from
// declarations written inline in the parameter name itself.

#include <optional>
#include <string>
#include <unordered_map>

namespace ribcheck {

enum class StorageClass { constant,
                          uniform,
                          varying,
                          vertex,
                          facevarying };

enum class ValueType { floatType,
                       integer,
                       string,
                       point,
                       vector,
                       normal,
                       color,
                       hpoint,
                       matrix,
                       mpoint };

struct ParameterType {
    StorageClass storage = StorageClass::uniform;
    ValueType type = ValueType::floatType;
    int arrayLength = 1;
};

/// Numbers (or strings) one element of the type takes: 3 for a point or a
/// colour, 16 for a matrix. Colours count three here; the checker counts
/// them by the stream's ColorSamples.
int valuesPerElement(ValueType type);

/// The word for the type, as a declaration writes it ("float", "point").
const char* typeName(ValueType type);

class DeclarationTable {
public:
    /// A table holding the standard declarations that every RIB stream
    /// starts with ("P" vertex point, "Cs" varying color, "Kd" float, ...).
    DeclarationTable();

    /// Reads a declaration text: an optional class word, a type word and an
    /// optional "[n]" with n >= 1 ("varying float[2]"). A missing class means
    /// uniform. Returns nothing when the text is not such a declaration.
    static std::optional<ParameterType> parse(const std::string& text);

    /// Declares or redeclares `name`.
    void declare(const std::string& name, const ParameterType& type);

    /// The type of a parameter name as it stands in a parameter list: a
    /// declared name, else an inline declaration ("uniform float Kd",
    /// "float[2] st"); nothing when it is neither.
    std::optional<ParameterType> find(const std::string& token) const;

private:
    std::unordered_map<std::string, ParameterType> declarations;
};

}  // namespace ribcheck
