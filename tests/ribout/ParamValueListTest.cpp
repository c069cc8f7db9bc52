// Parameter value lists: owned copies, list operations, pooled nodes and the
// memory counters.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "ribout/ParamValueList.h"
#include "ribout/SymbolTable.h"

namespace {

constexpr int kFloat = 1;
constexpr int kString = 4;
constexpr int kUniform = 2;

std::string printed(void (*print)(FILE*))
{
    FILE* file = std::tmpfile();
    print(file);
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

std::string printedList(const ParamValueList& list)
{
    static const ParamValueList* current = nullptr;
    current = &list;
    return printed([](FILE* f) { current->print(f); });
}

TEST(ParamValueList, ValuesAreOwnedCopies)
{
    float kd[3] = {0.5f, 0.25f, 1};
    ParamValue* value = createParamValue(internString("Kd"), kFloat, kUniform, 3, kd, 3);
    ASSERT_NE(nullptr, value);
    EXPECT_EQ(12, value->size);
    EXPECT_EQ(3, value->count);
    EXPECT_NE(static_cast<void*>(kd), value->data);
    kd[0] = 9;
    EXPECT_EQ(0.5f, static_cast<float*>(value->data)[0]);
    freeParamValue(value);

    // Strings are copied as pointers to their interned copies.
    std::string first = "plastic";
    std::string second = "glass";
    RtToken names[2] = {first.c_str(), second.c_str()};
    ParamValue* strings = createParamValue(internString("name"), kString, kUniform, 2, names, 2);
    auto* copied = static_cast<RtToken*>(strings->data);
    EXPECT_EQ(internString("plastic"), copied[0]);
    EXPECT_EQ(internString("glass"), copied[1]);
    EXPECT_EQ(static_cast<int>(2 * sizeof(RtToken)), strings->size);
    freeParamValue(strings);

    ParamValue* empty = createParamValue(internString("flag"), kFloat, kUniform, 0, nullptr, 0);
    EXPECT_EQ(nullptr, empty->data);
    EXPECT_EQ(0, empty->size);
    freeParamValue(empty);
}

TEST(ParamValueList, FindRemoveCopyMoveAndPrint)
{
    RtToken a = internString("alpha");
    RtToken b = internString("beta");
    RtToken c = internString("gamma");
    float three[3] = {1, 2, 3};
    float one = 4;
    ParamValueList list;
    list.append(createParamValue(a, kFloat, kUniform, 3, three, 3));
    list.append(createParamValue(b, kFloat, kUniform, 1, &one, 1));
    list.append(createParamValue(c, kFloat, kUniform, 1, &one, 1));

    EXPECT_EQ(b, list.find(b)->token);
    std::string sameText = "beta";
    EXPECT_EQ(nullptr, list.find(sameText.c_str())) << "tokens are compared by pointer";
    EXPECT_EQ(3.0f, static_cast<float*>(list.value(a))[2]);
    EXPECT_EQ(nullptr, list.value(internString("delta")));
    EXPECT_EQ(
        "Param/value list:\n"
        "  Item: alpha, size = 12\n"
        "  Item: beta, size = 4\n"
        "  Item: gamma, size = 4\n"
        "\n",
        printedList(list));

    const long outstanding = paramValueStatistics().nodesOutstanding;
    void* removed = list.remove(b);
    ASSERT_NE(nullptr, removed);
    EXPECT_EQ(4.0f, *static_cast<float*>(removed)) << "the caller now owns the data";
    std::free(removed);
    EXPECT_EQ(outstanding - 1, paramValueStatistics().nodesOutstanding);
    EXPECT_EQ(nullptr, list.remove(b));

    ParamValueList copy;
    copy.append(createParamValue(b, kFloat, kUniform, 1, &one, 1));
    copy.copyFrom(list);
    EXPECT_EQ(printedList(list), printedList(copy));
    EXPECT_NE(list.value(a), copy.value(a)) << "copies own their data";
    EXPECT_EQ(2.0f, static_cast<float*>(copy.value(a))[1]);

    ParamValueList moved;
    ParamValue* firstNode = list.first();
    moved.moveFrom(list);
    EXPECT_EQ(nullptr, list.first());
    EXPECT_EQ(firstNode, moved.first());
    EXPECT_EQ("Param/value list:\n\n", printedList(list));

    moved.clear();
    copy.clear();
    EXPECT_EQ(nullptr, moved.first());
    EXPECT_EQ(outstanding - 3, paramValueStatistics().nodesOutstanding);
}

TEST(ParamValueList, ThirtyFirstNodeTakesASecondBlock)
{
    // Drain the free list until a fresh block opens.
    const long blocksBefore = paramValueStatistics().blocksAllocated;
    std::vector<ParamValue*> taken;
    while (paramValueStatistics().blocksAllocated == blocksBefore) {
        taken.push_back(createParamValue(nullptr, kFloat, kUniform, 0, nullptr, 0));
        ASSERT_LT(taken.size(), 100000u);
    }
    ParamValue* firstOfBlock = taken.back();
    // The block's 30 nodes are handed out in address order...
    for (int i = 1; i < kParamValuesPerBlock; ++i) {
        taken.push_back(createParamValue(nullptr, kFloat, kUniform, 0, nullptr, 0));
        EXPECT_EQ(firstOfBlock + i, taken.back()) << "node " << i;
    }
    EXPECT_EQ(blocksBefore + 1, paramValueStatistics().blocksAllocated);
    // ...and the 31st opens another block.
    taken.push_back(createParamValue(nullptr, kFloat, kUniform, 0, nullptr, 0));
    EXPECT_EQ(blocksBefore + 2, paramValueStatistics().blocksAllocated);
    for (ParamValue* v : taken) {
        freeParamValue(v);
    }
    // Freed nodes are reused before any new block.
    ParamValue* reused = createParamValue(nullptr, kFloat, kUniform, 0, nullptr, 0);
    EXPECT_EQ(taken.back(), reused);
    EXPECT_EQ(blocksBefore + 2, paramValueStatistics().blocksAllocated);
    freeParamValue(reused);
}

TEST(ParamValueList, MemoryCountersReport)
{
    resetParamValueStatistics();
    std::vector<float> data(300, 1.0f);
    ParamValue* a = createParamValue(nullptr, kFloat, kUniform, 300, data.data(), 300);
    ParamValue* b = createParamValue(nullptr, kFloat, kUniform, 300, data.data(), 300);
    ParamValue* c = createParamValue(nullptr, kFloat, kUniform, 300, data.data(), 300);
    freeParamValue(b);
    const ParamValueStatistics& stats = paramValueStatistics();
    EXPECT_EQ(3, stats.nodesRequested);
    EXPECT_EQ(2, stats.nodesOutstanding);
    EXPECT_EQ(3, stats.nodesPeak);
    EXPECT_EQ(3600, stats.bytesRequested);
    EXPECT_EQ(2400, stats.bytesOutstanding);
    EXPECT_EQ(3600, stats.bytesPeak);
    EXPECT_EQ(
        "Param/value list stats:\n"
        "    param/value entries: 3 requested, 2 outstanding, 3 peak (0 kb)\n"
        "    param/value data memory: 3k requested, 2k outstanding,  3k peak\n",
        printed(printParamValueStatistics));
    freeParamValue(a);
    freeParamValue(c);
    resetParamValueStatistics();
    EXPECT_EQ(0, paramValueStatistics().nodesPeak);
    EXPECT_EQ(0, paramValueStatistics().bytesRequested);
}

}  // namespace
