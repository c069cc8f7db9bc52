// Chained hash tables keyed by text, and the string interning built on them.
//
// Two process-wide tables exist: stringTable interns every token and name so
// each distinct text is stored once, and declarationTable holds the parameter
// declarations. Both are constant-initialised (their bucket arrays are
// allocated on first use), so code running in other static initialisers may
// intern strings safely.
#pragma once

#include <cstdint>
#include <cstdio>
#include <functional>

#include <ri.h>

/// ELF (PJW) hash over the unsigned bytes of `text`; a null text hashes to 0.
uint32_t elfHash(const char* text);

/// Base of every table entry. The table owns its entries and deletes them
/// through this virtual destructor.
class SymbolEntry {
public:
    /// Keeps `key` (not copied, not owned) and computes its hash.
    explicit SymbolEntry(const char* key);
    virtual ~SymbolEntry();

    SymbolEntry(const SymbolEntry&) = delete;
    SymbolEntry& operator=(const SymbolEntry&) = delete;

    const char* key;
    uint32_t hash;
    int sequence = 0;
    int scope = 0;
    SymbolEntry* next = nullptr;
};

/// Lookup counters of a table, all zero at start. 64-bit: a program that
/// exports frames for days makes more lookups (and chain steps) than an int
/// can count.
struct SymbolTableStatistics {
    long long lookups = 0;
    long long found = 0;
    long long misses = 0;
    long long extraSteps = 0;
    long long entriesAdded = 0;
    long long bucketsUsed = 0;
};

class SymbolTable {
public:
    /// Room for the global scope plus 255 nested scopes.
    static constexpr int kScopeStackSize = 256;

    /// Allocates nothing: the bucket array is made on first insert or find.
    constexpr explicit SymbolTable(int bucketCount) : bucketCount(bucketCount) {}
    /// Deletes every entry of every chain, then the bucket array.
    ~SymbolTable();

    SymbolTable(const SymbolTable&) = delete;
    SymbolTable& operator=(const SymbolTable&) = delete;

    /// Links `entry` at the head of its chain, stamped with the current
    /// sequence number and scope, and returns 0. When an entry with the same
    /// text exists and `allowDuplicate` is 0, inserts nothing and returns 1;
    /// the caller then still owns `entry`.
    int insert(SymbolEntry* entry, int allowDuplicate);

    /// The newest entry with this text that is visible from the current scope
    /// (the current scope or any scope on the stack), or null.
    SymbolEntry* find(const char* key);

    /// Opens a new scope. Returns false, changing nothing, when 255 scopes
    /// are already open.
    bool pushScope();
    /// Closes the current scope; with `removeEntries` its entries are unlinked
    /// and deleted first. Returns false at the global scope, which never closes.
    bool popScope(bool removeEntries);
    int currentScope() const { return scopeId; }

    /// Later inserts are stamped with `sequence`, so a caller can tag a batch
    /// of entries (say, the declarations of one archive) and drop it at once
    /// with removeSequence.
    void setSequence(int sequence) { sequenceCounter = sequence; }
    int sequence() const { return sequenceCounter; }
    /// Unlinks and deletes every entry stamped with `sequence`; returns how many.
    int removeSequence(int sequence);

    /// Calls `visit` on every entry, bucket by bucket, in chain order.
    void forEach(const std::function<void(SymbolEntry&)>& visit) const;

    /// Writes the five-line statistics report to `stream` and flushes it.
    void printStatistics(FILE* stream) const;
    const SymbolTableStatistics& statistics() const { return stats; }
    int buckets() const { return bucketCount; }

private:
    SymbolEntry** bucketArray();
    void unlinkIf(const std::function<bool(const SymbolEntry&)>& doomed, int* removed);

    SymbolEntry** bucketHeads = nullptr;
    int bucketCount;
    int sequenceCounter = 0;
    int scopeId = 0;
    int nextScopeId = 1;
    int scopeStack[kScopeStackSize] = {};
    int scopeTop = 0;
    SymbolTableStatistics stats;
};

/// Interns every token and name of the library (12289 buckets).
extern SymbolTable stringTable;
/// Parameter declarations, shared by all writers (5003 buckets).
extern SymbolTable declarationTable;

/// Returns the one stored copy of `text`, creating it on first use. The copy
/// lives for the whole process, so tokens compare equal by pointer. A null
/// text gives null.
RtToken internString(const char* text);

/// Shared storage for short interned strings: texts whose length + 1 is at
/// most 16 are packed into these blocks, newest block first.
struct StringBlock {
    static constexpr int kCapacity = 1024;
    char text[kCapacity];
    int used = 0;
    StringBlock* next = nullptr;
};

/// The newest string block, or null before the first short string.
const StringBlock* firstStringBlock();
