// Lists of owned copies of typed parameter values, with pooled nodes and
// process-wide memory counters.
#pragma once

#include <cstdint>
#include <cstdio>

#include <ri.h>

/// One value of a list. Type and class use the declaration codes (type 4 is
/// string); `count` is the number of elements, `size` the bytes of `data`.
struct ParamValue {
    ParamValue* next;
    RtToken token;
    uint8_t type;
    uint8_t storageClass;
    int16_t count;
    int size;
    void* data;
};

/// Nodes come from blocks of this many, taken from the heap only when the
/// free list is empty and never returned.
constexpr int kParamValuesPerBlock = 30;

/// Makes a node holding a copy of `data`: `wordCount` 4-byte words, or for a
/// string value `count` string pointers, each replaced by its interned copy.
/// No data gives no copy. `token` should be interned: lists find by pointer.
ParamValue* createParamValue(RtToken token, int type, int storageClass, int count,
                             const void* data, int wordCount);
/// Frees the node's data and returns the node to the free list.
void freeParamValue(ParamValue* value);

/// Process-wide counters of nodes and data bytes.
struct ParamValueStatistics {
    long nodesRequested = 0;
    long nodesOutstanding = 0;
    long nodesPeak = 0;
    long bytesRequested = 0;
    long bytesOutstanding = 0;
    long bytesPeak = 0;
    long blocksAllocated = 0;
};

const ParamValueStatistics& paramValueStatistics();
/// Writes the three-line memory report to `stream` and flushes it.
void printParamValueStatistics(FILE* stream);
/// Sets the node and byte counters to 0 (blocks stay allocated).
void resetParamValueStatistics();

/// A singly linked list that owns its nodes and their data.
class ParamValueList {
public:
    ParamValueList() = default;
    ~ParamValueList();
    ParamValueList(const ParamValueList&) = delete;
    ParamValueList& operator=(const ParamValueList&) = delete;

    /// First node whose token is this very pointer, or null.
    ParamValue* find(RtToken token) const;
    /// Data of the first node with this token, or null.
    void* value(RtToken token) const;
    /// Unlinks the first node with this token and frees it, handing its data
    /// to the caller (release it with std::free). Null when absent.
    void* remove(RtToken token);
    /// Links `value` at the tail; the list takes ownership.
    void append(ParamValue* value);
    /// Replaces this list's contents with copies of `source`'s nodes, in order.
    void copyFrom(const ParamValueList& source);
    /// Replaces this list's contents with `source`'s nodes, leaving it empty.
    void moveFrom(ParamValueList& source);
    /// Frees every node and its data.
    void clear();
    /// Writes "Param/value list:", one line per node and an empty line.
    void print(FILE* stream = stdout) const;

    ParamValue* first() const { return head; }

private:
    ParamValue* head = nullptr;
};
