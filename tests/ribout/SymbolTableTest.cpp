// Hashed symbol tables: hashing, insertion, lookup, scopes, statistics, and
// the interning of strings into shared blocks.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "ribout/SymbolTable.h"

namespace {

int liveEntries = 0;

// An entry that counts how many of its kind are alive.
struct CountedEntry : SymbolEntry {
    explicit CountedEntry(const char* key) : SymbolEntry(key) { ++liveEntries; }
    ~CountedEntry() override { --liveEntries; }
};

std::string statisticsText(const SymbolTable& table)
{
    FILE* file = std::tmpfile();
    table.printStatistics(file);
    std::rewind(file);
    std::string text;
    char buffer[512];
    size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
        text.append(buffer, got);
    }
    std::fclose(file);
    return text;
}

TEST(SymbolTable, ElfHashOverUnsignedBytes)
{
    EXPECT_EQ(0u, elfHash(nullptr));
    EXPECT_EQ(0u, elfHash(""));
    EXPECT_EQ(97u, elfHash("a"));
    EXPECT_EQ(1650u, elfHash("ab"));
    // Long enough for the high nibble to fold back in.
    EXPECT_EQ(180004458u, elfHash("abcdefghij"));
    EXPECT_EQ(212503253u, elfHash("__nondiffuse"));
    EXPECT_EQ(249350776u, elfHash("\xff\xfe\xfd\xfc\xfb\xfa\xf9\xf8"));
    SymbolEntry entry("abcdefghij");
    EXPECT_EQ(180004458u, entry.hash);
}

TEST(SymbolTable, InsertFindAndStatistics)
{
    {
        SymbolTable table(101);
        // "a" to "e" hash to 97..101, so buckets 97, 98, 99, 100 and 0.
        const char* keys[] = {"a", "b", "c", "d", "e"};
        for (const char* key : keys) {
            EXPECT_EQ(0, table.insert(new CountedEntry(key), 0)) << key;
        }
        EXPECT_EQ(5, liveEntries);
        for (const char* key : keys) {
            std::string copy = key;  // found by text, not by pointer
            SymbolEntry* found = table.find(copy.c_str());
            ASSERT_NE(nullptr, found) << key;
            EXPECT_EQ(key, found->key);
        }
        EXPECT_EQ(nullptr, table.find("zz"));
        EXPECT_EQ(nullptr, table.find("f"));
        EXPECT_EQ(
            "Symbol table statistics:\n"
            "  5 entries added to table in 5 distinct buckets\n"
            "  4.9505% of buckets used, avg. 1 entries per bucket.\n"
            "  7 total lookups, 5 found, 2 misses.\n"
            "  0 extra chain walking steps (1 probes per lookup)\n",
            statisticsText(table));

        // A duplicate is refused unless asked for; the caller keeps it.
        auto* duplicate = new CountedEntry("c");
        EXPECT_EQ(1, table.insert(duplicate, 0));
        delete duplicate;
        auto* shadow = new CountedEntry("c");
        EXPECT_EQ(0, table.insert(shadow, 1));
        EXPECT_EQ(shadow, table.find("c")) << "the newest entry comes first";
    }
    EXPECT_EQ(0, liveEntries) << "the table deletes its entries";
}

TEST(SymbolTable, CountsChainStepsPastTheRangeOfAnInt)
{
    // One chain of 65536 entries; each lookup of the oldest walks 65535 steps
    // past the head, so 32769 lookups make more steps than an int holds.
    constexpr int kEntries = 1 << 16;
    constexpr int kLookups = 32769;
    std::vector<std::string> keys;  // outlives the table, which keeps pointers to them
    keys.reserve(kEntries);
    for (int i = 0; i < kEntries; ++i) {
        keys.push_back("k" + std::to_string(i));
    }
    SymbolTable table(1);
    for (const std::string& key : keys) {
        table.insert(new CountedEntry(key.c_str()), 1);
    }
    for (int i = 0; i < kLookups; ++i) {
        ASSERT_NE(nullptr, table.find("k0"));
    }
    EXPECT_EQ(static_cast<long long>(kLookups) * (kEntries - 1), table.statistics().extraSteps);
    EXPECT_NE(std::string::npos,
              statisticsText(table).find("  2147516415 extra chain walking steps"));
}

TEST(SymbolTable, ChainWalkingAndEmptyStatistics)
{
    SymbolTable table(1);
    EXPECT_EQ(
        "Symbol table statistics:\n"
        "  0 entries added to table in 0 distinct buckets\n"
        "  0% of buckets used, avg. 0 entries per bucket.\n"
        "  0 total lookups, 0 found, 0 misses.\n"
        "  0 extra chain walking steps (0 probes per lookup)\n",
        statisticsText(table));
    table.insert(new CountedEntry("first"), 0);
    table.insert(new CountedEntry("second"), 0);
    table.insert(new CountedEntry("third"), 0);
    EXPECT_NE(nullptr, table.find("first"));   // two steps past the head
    EXPECT_NE(nullptr, table.find("third"));   // the head
    EXPECT_EQ(nullptr, table.find("fourth"));  // two steps, then the end
    EXPECT_EQ(4, table.statistics().extraSteps);
    EXPECT_EQ(
        "Symbol table statistics:\n"
        "  3 entries added to table in 1 distinct buckets\n"
        "  100% of buckets used, avg. 3 entries per bucket.\n"
        "  3 total lookups, 2 found, 1 misses.\n"
        "  4 extra chain walking steps (2.33333 probes per lookup)\n",
        statisticsText(table));
    std::vector<std::string> order;
    table.forEach([&](SymbolEntry& e) { order.push_back(e.key); });
    EXPECT_EQ((std::vector<std::string>{"third", "second", "first"}), order);
}

TEST(SymbolTable, ScopesHideAndRemoveTheirEntries)
{
    SymbolTable table(31);
    table.insert(new CountedEntry("global"), 0);
    ASSERT_TRUE(table.pushScope());
    table.insert(new CountedEntry("outer"), 0);
    ASSERT_TRUE(table.pushScope());
    table.insert(new CountedEntry("inner"), 0);
    EXPECT_NE(nullptr, table.find("global"));
    EXPECT_NE(nullptr, table.find("outer"));
    EXPECT_NE(nullptr, table.find("inner"));

    // Popped without removal, the inner entry stays but is out of sight.
    ASSERT_TRUE(table.popScope(false));
    EXPECT_EQ(nullptr, table.find("inner"));
    EXPECT_NE(nullptr, table.find("outer"));
    const int before = liveEntries;
    ASSERT_TRUE(table.popScope(true));
    EXPECT_EQ(before - 1, liveEntries) << "the outer scope's entry is deleted";
    EXPECT_EQ(nullptr, table.find("outer"));
    EXPECT_NE(nullptr, table.find("global"));
    EXPECT_EQ(0, table.currentScope());
    EXPECT_FALSE(table.popScope(true)) << "the global scope never closes";
}

TEST(SymbolTable, ScopeStackRefusesThe256thScope)
{
    SymbolTable table(7);
    for (int i = 0; i < 255; ++i) {
        ASSERT_TRUE(table.pushScope()) << "push " << i;
    }
    const int deepest = table.currentScope();
    EXPECT_FALSE(table.pushScope());
    EXPECT_EQ(deepest, table.currentScope());
    table.insert(new CountedEntry("deep"), 0);
    EXPECT_NE(nullptr, table.find("deep"));
    for (int i = 0; i < 255; ++i) {
        ASSERT_TRUE(table.popScope(true)) << "pop " << i;
    }
    EXPECT_FALSE(table.popScope(true));
    EXPECT_EQ(0, table.currentScope());
    // Scope ids are never reused, so entries of closed scopes cannot reappear.
    ASSERT_TRUE(table.pushScope());
    EXPECT_EQ(256, table.currentScope());
}

TEST(SymbolTable, RemovesTheEntriesOfOneSequence)
{
    SymbolTable table(13);
    table.setSequence(5);
    table.insert(new CountedEntry("p"), 0);
    table.insert(new CountedEntry("q"), 0);
    table.setSequence(6);
    table.insert(new CountedEntry("r"), 0);
    EXPECT_EQ(5, table.find("p")->sequence);
    EXPECT_EQ(2, table.removeSequence(5));
    EXPECT_EQ(nullptr, table.find("p"));
    EXPECT_EQ(nullptr, table.find("q"));
    EXPECT_NE(nullptr, table.find("r"));
}

bool inAnyBlock(const char* text)
{
    for (const StringBlock* b = firstStringBlock(); b != nullptr; b = b->next) {
        if (text >= b->text && text < b->text + StringBlock::kCapacity) {
            return true;
        }
    }
    return false;
}

std::string unique(const char* pattern)
{
    static int counter = 0;
    char text[64];
    std::snprintf(text, sizeof text, pattern, counter++);
    return text;
}

TEST(InternString, ReturnsOneStoredCopyPerText)
{
    EXPECT_EQ(12289, stringTable.buckets());
    EXPECT_EQ(5003, declarationTable.buckets());
    std::string text = "interned-once";
    RtToken first = internString(text.c_str());
    text[0] = 'I';
    EXPECT_STREQ("interned-once", first) << "the stored copy is not the caller's text";
    RtToken second = internString(std::string("interned-once").c_str());
    EXPECT_EQ(first, second);
    EXPECT_NE(first, internString(text.c_str()));
    EXPECT_EQ(nullptr, internString(nullptr));

    // Length + 1 up to 16 shares a block; beyond, a copy of its own.
    const std::string fifteen = unique("fifteen-%07d");
    const std::string sixteen = unique("sixteen--%07d");
    ASSERT_EQ(15u, fifteen.size());
    ASSERT_EQ(16u, sixteen.size());
    EXPECT_TRUE(inAnyBlock(internString(fifteen.c_str())));
    EXPECT_FALSE(inAnyBlock(internString(sixteen.c_str())));
}

// Interns 15-character texts until a fresh block opens, then fills it with
// 63 of them (1008 bytes), checking that they are packed one after another.
const StringBlock* openAndFillBlock()
{
    const StringBlock* before = firstStringBlock();
    RtToken opener = nullptr;
    for (int i = 0; i < 100 && firstStringBlock() == before; ++i) {
        opener = internString(unique("opener-%08d").c_str());
    }
    const StringBlock* block = firstStringBlock();
    EXPECT_NE(before, block);
    EXPECT_EQ(block->text, opener);
    EXPECT_EQ(16, block->used);
    for (int i = 1; i < 63; ++i) {
        RtToken copy = internString(unique("filler-%08d").c_str());
        EXPECT_EQ(block->text + 16 * i, copy) << "string " << i;
    }
    EXPECT_EQ(1008, block->used);
    return block;
}

bool inBlock(const StringBlock* block, const char* text)
{
    return text >= block->text && text < block->text + StringBlock::kCapacity;
}

TEST(InternString, FillsABlockWhileUsedPlusSizePlusOneStaysBelow1024)
{
    // 1008 + 15 + 1 reaches 1024: a 14-character text goes elsewhere.
    const StringBlock* full = openAndFillBlock();
    RtToken rejected = internString(unique("rejected-%05d").c_str());
    EXPECT_FALSE(inBlock(full, rejected));
    EXPECT_EQ(1008, full->used);

    // 1008 + 14 + 1 stays below: a 13-character text still fits.
    const StringBlock* block = openAndFillBlock();
    RtToken last = internString(unique("last-%08d").c_str());
    EXPECT_EQ(block->text + 1008, last);
    EXPECT_EQ(1022, block->used);
}

}  // namespace
