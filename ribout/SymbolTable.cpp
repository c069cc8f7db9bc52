#include "ribout/SymbolTable.h"

#include <cstring>
#include <new>

SymbolTable stringTable(12289);
SymbolTable declarationTable(5003);

namespace {

bool sameText(const char* a, const char* b)
{
    if (a == b) {
        return true;
    }
    if (a == nullptr || b == nullptr) {
        return false;
    }
    return std::strcmp(a, b) == 0;
}

// The entry of an interned string: its key is the stored copy itself.
class InternedString : public SymbolEntry {
public:
    explicit InternedString(const char* copy) : SymbolEntry(copy) {}
};

// Strings up to this size (length + 1) share blocks; longer ones get their
// own allocation, so one long name cannot waste most of a block.
constexpr size_t kMaxSharedStringSize = 16;

StringBlock* stringBlocks = nullptr;

// A string too long to share a block, allocated with a link in front so that
// every interned copy stays reachable for the whole process.
struct LongString {
    LongString* next;
    char* text() { return reinterpret_cast<char*>(this + 1); }
};

LongString* longStrings = nullptr;

char* storeString(const char* text)
{
    const size_t size = std::strlen(text) + 1;
    char* copy = nullptr;
    if (size > kMaxSharedStringSize) {
        auto* storage = static_cast<LongString*>(::operator new(sizeof(LongString) + size));
        storage->next = longStrings;
        longStrings = storage;
        copy = storage->text();
    } else {
        StringBlock* block = stringBlocks;
        // A block counts as full once used + size + 1 reaches its capacity,
        // so its last byte always stays free.
        while (block != nullptr &&
               !(static_cast<size_t>(block->used) + size + 1 < StringBlock::kCapacity)) {
            block = block->next;
        }
        if (block == nullptr) {
            block = new StringBlock;
            block->next = stringBlocks;
            stringBlocks = block;
        }
        copy = block->text + block->used;
        block->used += static_cast<int>(size);
    }
    std::memcpy(copy, text, size);
    return copy;
}

}  // namespace

uint32_t elfHash(const char* text)
{
    uint32_t h = 0;
    if (text == nullptr) {
        return 0;
    }
    for (const unsigned char* c = reinterpret_cast<const unsigned char*>(text); *c != 0; ++c) {
        h = (h << 4) + *c;
        const uint32_t g = h & 0xF0000000u;
        if (g != 0) {
            h ^= g >> 24;
            h &= ~g;
        }
    }
    return h;
}

SymbolEntry::SymbolEntry(const char* key) : key(key), hash(elfHash(key)) {}

SymbolEntry::~SymbolEntry() = default;

SymbolTable::~SymbolTable()
{
    if (bucketHeads == nullptr) {
        return;
    }
    for (int b = 0; b < bucketCount; ++b) {
        SymbolEntry* entry = bucketHeads[b];
        while (entry != nullptr) {
            SymbolEntry* next = entry->next;
            delete entry;
            entry = next;
        }
    }
    delete[] bucketHeads;
    // A static destructor that runs after this one and still uses the table
    // finds it empty rather than freed.
    bucketHeads = nullptr;
}

SymbolEntry** SymbolTable::bucketArray()
{
    if (bucketHeads == nullptr) {
        bucketHeads = new SymbolEntry*[bucketCount]();
    }
    return bucketHeads;
}

int SymbolTable::insert(SymbolEntry* entry, int allowDuplicate)
{
    SymbolEntry** heads = bucketArray();
    SymbolEntry*& head = heads[entry->hash % static_cast<uint32_t>(bucketCount)];
    if (!allowDuplicate) {
        for (SymbolEntry* e = head; e != nullptr; e = e->next) {
            if (e->hash == entry->hash && sameText(e->key, entry->key)) {
                return 1;
            }
        }
    }
    entry->sequence = sequenceCounter;
    entry->scope = scopeId;
    if (head == nullptr) {
        ++stats.bucketsUsed;
    }
    entry->next = head;
    head = entry;
    ++stats.entriesAdded;
    return 0;
}

SymbolEntry* SymbolTable::find(const char* key)
{
    ++stats.lookups;
    const uint32_t hash = elfHash(key);
    SymbolEntry** heads = bucketArray();
    bool first = true;
    for (SymbolEntry* e = heads[hash % static_cast<uint32_t>(bucketCount)]; e != nullptr;
         e = e->next) {
        if (!first) {
            ++stats.extraSteps;
        }
        first = false;
        if (e->hash != hash || !sameText(e->key, key)) {
            continue;
        }
        bool visible = e->scope == scopeId;
        for (int i = 0; !visible && i <= scopeTop; ++i) {
            visible = e->scope == scopeStack[i];
        }
        if (visible) {
            ++stats.found;
            return e;
        }
    }
    ++stats.misses;
    return nullptr;
}

bool SymbolTable::pushScope()
{
    if (scopeTop + 1 >= kScopeStackSize) {
        return false;
    }
    scopeStack[++scopeTop] = scopeId;
    scopeId = nextScopeId++;
    return true;
}

bool SymbolTable::popScope(bool removeEntries)
{
    if (scopeTop == 0) {
        return false;
    }
    if (removeEntries) {
        const int closing = scopeId;
        unlinkIf([closing](const SymbolEntry& e) { return e.scope == closing; }, nullptr);
    }
    scopeId = scopeStack[scopeTop--];
    return true;
}

int SymbolTable::removeSequence(int sequence)
{
    int removed = 0;
    unlinkIf([sequence](const SymbolEntry& e) { return e.sequence == sequence; }, &removed);
    return removed;
}

void SymbolTable::unlinkIf(const std::function<bool(const SymbolEntry&)>& doomed, int* removed)
{
    if (bucketHeads == nullptr) {
        return;
    }
    for (int b = 0; b < bucketCount; ++b) {
        SymbolEntry** link = &bucketHeads[b];
        while (*link != nullptr) {
            SymbolEntry* e = *link;
            if (doomed(*e)) {
                *link = e->next;
                delete e;
                if (removed != nullptr) {
                    ++*removed;
                }
            } else {
                link = &e->next;
            }
        }
    }
}

void SymbolTable::forEach(const std::function<void(SymbolEntry&)>& visit) const
{
    if (bucketHeads == nullptr) {
        return;
    }
    for (int b = 0; b < bucketCount; ++b) {
        for (SymbolEntry* e = bucketHeads[b]; e != nullptr;) {
            // Read the link first so the visitor may not stumble on its own edits.
            SymbolEntry* next = e->next;
            visit(*e);
            e = next;
        }
    }
}

void SymbolTable::printStatistics(FILE* stream) const
{
    // An empty table or one never searched reports 0 for its averages
    // instead of the not-a-number a division by zero would print.
    const double usedPercent = stats.bucketsUsed * 100.0 / bucketCount;
    const double perBucket =
        stats.bucketsUsed > 0 ? static_cast<double>(stats.entriesAdded) / stats.bucketsUsed : 0.0;
    const double probes =
        stats.lookups > 0 ? static_cast<double>(stats.extraSteps) / stats.lookups + 1.0 : 0.0;
    std::fprintf(stream, "Symbol table statistics:\n");
    std::fprintf(stream, "  %lld entries added to table in %lld distinct buckets\n",
                 stats.entriesAdded, stats.bucketsUsed);
    std::fprintf(stream, "  %g%% of buckets used, avg. %g entries per bucket.\n", usedPercent,
                 perBucket);
    std::fprintf(stream, "  %lld total lookups, %lld found, %lld misses.\n", stats.lookups, stats.found,
                 stats.misses);
    std::fprintf(stream, "  %lld extra chain walking steps (%g probes per lookup)\n",
                 stats.extraSteps, probes);
    std::fflush(stream);
}

RtToken internString(const char* text)
{
    if (text == nullptr) {
        return nullptr;
    }
    if (SymbolEntry* existing = stringTable.find(text)) {
        return existing->key;
    }
    char* copy = storeString(text);
    stringTable.insert(new InternedString(copy), 0);
    return copy;
}

const StringBlock* firstStringBlock()
{
    return stringBlocks;
}
