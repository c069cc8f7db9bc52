#include "ribout/ParamValueList.h"

#include <cstdlib>
#include <cstring>

#include "ribout/SymbolTable.h"

namespace {

constexpr int kStringType = 4;
constexpr long kBytesPerWord = 4;

// Blocks are linked so they stay reachable; they are never freed.
struct ParamValueBlock {
    ParamValueBlock* next;
    ParamValue nodes[kParamValuesPerBlock];
};

ParamValueBlock* blocks = nullptr;
ParamValue* freeNodes = nullptr;
ParamValueStatistics stats;

ParamValue* takeNode()
{
    if (freeNodes == nullptr) {
        auto* block = static_cast<ParamValueBlock*>(std::calloc(1, sizeof(ParamValueBlock)));
        if (block == nullptr) {
            return nullptr;
        }
        block->next = blocks;
        blocks = block;
        ++stats.blocksAllocated;
        // Linked in address order, so nodes are handed out front to back.
        for (int i = 0; i < kParamValuesPerBlock - 1; ++i) {
            block->nodes[i].next = &block->nodes[i + 1];
        }
        block->nodes[kParamValuesPerBlock - 1].next = nullptr;
        freeNodes = block->nodes;
    }
    ParamValue* node = freeNodes;
    freeNodes = node->next;
    ++stats.nodesRequested;
    if (++stats.nodesOutstanding > stats.nodesPeak) {
        stats.nodesPeak = stats.nodesOutstanding;
    }
    return node;
}

// Gives `node` an owned copy of `bytes` bytes of `data` and counts them.
bool attachCopy(ParamValue* node, const void* data, long bytes)
{
    node->data = std::malloc(static_cast<size_t>(bytes));
    if (node->data == nullptr) {
        return false;
    }
    std::memcpy(node->data, data, static_cast<size_t>(bytes));
    node->size = static_cast<int>(bytes);
    stats.bytesRequested += bytes;
    stats.bytesOutstanding += bytes;
    if (stats.bytesOutstanding > stats.bytesPeak) {
        stats.bytesPeak = stats.bytesOutstanding;
    }
    return true;
}

void freeData(ParamValue* value)
{
    if (value->data != nullptr) {
        stats.bytesOutstanding -= value->size;
        std::free(value->data);
    }
    value->data = nullptr;
    value->size = 0;
}

}  // namespace

ParamValue* createParamValue(RtToken token, int type, int storageClass, int count,
                             const void* data, int wordCount)
{
    ParamValue* node = takeNode();
    if (node == nullptr) {
        return nullptr;
    }
    node->next = nullptr;
    node->token = token;
    node->type = static_cast<uint8_t>(type);
    node->storageClass = static_cast<uint8_t>(storageClass);
    node->count = static_cast<int16_t>(count);
    node->size = 0;
    node->data = nullptr;
    if (data == nullptr) {
        return node;
    }
    // A string pointer is wider than a 4-byte word here, so strings are sized
    // by their count rather than by the word count.
    const long bytes = type == kStringType ? static_cast<long>(count) * sizeof(RtToken)
                                           : wordCount * kBytesPerWord;
    if (bytes <= 0 || !attachCopy(node, data, bytes)) {
        return node;
    }
    if (type == kStringType) {
        auto* strings = static_cast<RtToken*>(node->data);
        for (int i = 0; i < count; ++i) {
            strings[i] = internString(strings[i]);
        }
    }
    return node;
}

void freeParamValue(ParamValue* value)
{
    if (value == nullptr) {
        return;
    }
    freeData(value);
    value->next = freeNodes;
    freeNodes = value;
    --stats.nodesOutstanding;
}

const ParamValueStatistics& paramValueStatistics()
{
    return stats;
}

void printParamValueStatistics(FILE* stream)
{
    // The kilobytes of the node peak use the real node size of this build.
    const unsigned long nodeKilobytes =
        static_cast<unsigned long>(stats.nodesPeak) * sizeof(ParamValue) / 1024;
    std::fprintf(stream, "Param/value list stats:\n");
    std::fprintf(stream, "    param/value entries: %ld requested, %ld outstanding, %ld peak (%ld kb)\n",
                 stats.nodesRequested, stats.nodesOutstanding, stats.nodesPeak,
                 static_cast<long>(nodeKilobytes));
    std::fprintf(stream,
                 "    param/value data memory: %ldk requested, %ldk outstanding,  %ldk peak\n",
                 stats.bytesRequested / 1024, stats.bytesOutstanding / 1024,
                 stats.bytesPeak / 1024);
    std::fflush(stream);
}

void resetParamValueStatistics()
{
    const long blocksAllocated = stats.blocksAllocated;
    stats = ParamValueStatistics{};
    stats.blocksAllocated = blocksAllocated;
}

ParamValueList::~ParamValueList()
{
    clear();
}

ParamValue* ParamValueList::find(RtToken token) const
{
    for (ParamValue* v = head; v != nullptr; v = v->next) {
        if (v->token == token) {
            return v;
        }
    }
    return nullptr;
}

void* ParamValueList::value(RtToken token) const
{
    ParamValue* v = find(token);
    return v != nullptr ? v->data : nullptr;
}

void* ParamValueList::remove(RtToken token)
{
    for (ParamValue** link = &head; *link != nullptr; link = &(*link)->next) {
        ParamValue* v = *link;
        if (v->token != token) {
            continue;
        }
        *link = v->next;
        void* data = v->data;
        // The caller owns the data now, so the node must not free it.
        v->data = nullptr;
        v->size = 0;
        freeParamValue(v);
        return data;
    }
    return nullptr;
}

void ParamValueList::append(ParamValue* value)
{
    if (value == nullptr) {
        return;
    }
    value->next = nullptr;
    ParamValue** link = &head;
    while (*link != nullptr) {
        link = &(*link)->next;
    }
    *link = value;
}

void ParamValueList::copyFrom(const ParamValueList& source)
{
    if (&source == this) {
        return;
    }
    clear();
    ParamValue** tail = &head;
    for (const ParamValue* v = source.head; v != nullptr; v = v->next) {
        ParamValue* copy =
            createParamValue(v->token, v->type, v->storageClass, v->count, nullptr, 0);
        if (copy == nullptr) {
            return;
        }
        // Copied by bytes: string values are interned already.
        if (v->data != nullptr && v->size > 0) {
            attachCopy(copy, v->data, v->size);
        }
        *tail = copy;
        tail = &copy->next;
    }
}

void ParamValueList::moveFrom(ParamValueList& source)
{
    if (&source == this) {
        return;
    }
    clear();
    head = source.head;
    source.head = nullptr;
}

void ParamValueList::clear()
{
    while (head != nullptr) {
        ParamValue* v = head;
        head = v->next;
        freeParamValue(v);
    }
}

void ParamValueList::print(FILE* stream) const
{
    std::fprintf(stream, "Param/value list:\n");
    for (const ParamValue* v = head; v != nullptr; v = v->next) {
        std::fprintf(stream, "  Item: %s, size = %d\n", v->token != nullptr ? v->token : "(null)",
                     v->size);
    }
    std::fprintf(stream, "\n");
}
