#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "framework/KeyedMap.h"

TEST(KeyedMap, WalksInAscendingKeyOrderWithPrefixesFirst)
{
    KeyedMap<int> map;
    for (const char* key : {"tank2", "b", "tank1", "a", "tank", "B"}) map.Set(key, 1);
    std::vector<std::string> seen;
    map.ForEach([&](const std::string& key, int) { seen.push_back(key); });
    EXPECT_EQ(seen, (std::vector<std::string>{"B", "a", "b", "tank", "tank1", "tank2"}));
}

TEST(KeyedMap, KeysBeyondUFFFFSortAsTheirSurrogatesBeforeUE000ToUFFFF)
{
    // UTF-8 keys in UTF-16 code-unit order: U+10000 and U+1F600 are the pairs D800 DC00
    // and D83D DE00, above U+D7FF and below U+E000; byte order would put them last.
    const std::string d7ff = "\xED\x9F\xBF", e000 = "\xEE\x80\x80", fffd = "\xEF\xBF\xBD";
    const std::string u10000 = "\xF0\x90\x80\x80", u1f600 = "\xF0\x9F\x98\x80";
    KeyedMap<int> map;
    for (const std::string& key : std::vector<std::string>{fffd, "a" + fffd, u1f600, e000, "z", "a" + u10000, u10000, d7ff, "a"})
        map.Set(key, 1);
    EXPECT_EQ(map.Keys(), (std::vector<std::string>{"a", "a" + u10000, "a" + fffd, "z", d7ff, u10000, u1f600,
                                                    e000, fffd}));
    std::vector<std::string> walked;
    map.ForEach([&](const std::string& key, int) { walked.push_back(key); });
    EXPECT_EQ(walked, map.Keys());
    // The same past a long common prefix.
    const std::string prefix = "player1_key_controller_";
    KeyedMap<int> longer;
    for (const std::string& key : {prefix + fffd, prefix + u10000, prefix + "z", prefix}) longer.Set(key, 1);
    EXPECT_EQ(longer.Keys(), (std::vector<std::string>{prefix, prefix + "z", prefix + u10000, prefix + fffd}));
    EXPECT_EQ(map.Get(u10000), 1);
    EXPECT_EQ(map.Get(e000), 1);
    EXPECT_EQ(map.Size(), 9u);
}

TEST(KeyedMap, InsertUnderPresentKeyReplaces)
{
    KeyedMap<int> map;
    map.Set("k", 1);
    map.Set("k", 2);
    EXPECT_EQ(map.Size(), 1u);
    EXPECT_EQ(map.Get("k"), 2);
    EXPECT_EQ(map.Get("missing"), 0);
}

TEST(KeyedMap, EntriesInsertedDuringWalkAreVisitedOnlyAfterTheTakenNext)
{
    KeyedMap<int> map;
    map.Set("b", 0);
    map.Set("d", 0);
    std::vector<std::string> seen;
    map.ForEach([&](const std::string& key, int) {
        seen.push_back(key);
        if (key == "b") {
            map.Set("c", 0);  // between the current and the taken next: not visited
            map.Set("e", 0);  // after the taken next: visited
            map.Set("a", 0);  // before: not visited
        }
    });
    EXPECT_EQ(seen, (std::vector<std::string>{"b", "d", "e"}));
    EXPECT_EQ(map.Size(), 5u);
}

TEST(KeyedMap, WalkSurvivesRemovalOfTheTakenNext)
{
    KeyedMap<int> map;
    for (const char* key : {"a", "b", "c"}) map.Set(key, 0);
    std::vector<std::string> seen;
    map.ForEach([&](const std::string& key, int) {
        seen.push_back(key);
        if (key == "a") map.Remove("b");
    });
    EXPECT_EQ(seen, (std::vector<std::string>{"a", "c"}));
}

TEST(KeyedMap, KeysSnapshotIsOrdered)
{
    KeyedMap<int> map;
    for (const char* key : {"b", "a", "c"}) map.Set(key, 0);
    EXPECT_EQ(MapKeysToArray(map), (std::vector<std::string>{"a", "b", "c"}));
}

TEST(KeyedMap, EntriesRemovedDuringWalkAreGoneAtOnceButReleasedWhenItEnds)
{
    KeyedMap<std::shared_ptr<int>> map;
    for (const char* key : {"a", "b", "c", "d"}) map.Set(key, std::make_shared<int>(7));
    std::weak_ptr<int> removedValue = map.Get("c");
    std::vector<std::string> seen;
    map.ForEach([&](const std::string& key, const std::shared_ptr<int>& value) {
        seen.push_back(key);
        if (key != "b") return;
        map.Remove("b");  // the entry being visited: key and value stay valid for this call
        map.Remove("c");
        map.Set("a", nullptr);  // a replaced value is kept too
        EXPECT_EQ(key, "b");
        ASSERT_TRUE(value);
        EXPECT_EQ(*value, 7);
        EXPECT_FALSE(map.Contains("b"));
        EXPECT_FALSE(map.Get("c"));
        EXPECT_FALSE(removedValue.expired());
        EXPECT_EQ(map.Size(), 2u);
        EXPECT_EQ(map.Keys(), (std::vector<std::string>{"a", "d"}));
    });
    EXPECT_EQ(seen, (std::vector<std::string>{"a", "b", "d"}));
    EXPECT_EQ(map.Size(), 2u);
    EXPECT_TRUE(removedValue.expired());
}

TEST(KeyedMap, ValuesReleasedAfterAWalkMayUseTheMap)
{
    // A value whose destructor removes another entry, as an object may take its parts.
    struct Remover {
        KeyedMap<std::shared_ptr<Remover>>* map = nullptr;
        ~Remover()
        {
            if (map) map->Remove("part");
        }
    };
    KeyedMap<std::shared_ptr<Remover>> map;
    auto owner = std::make_shared<Remover>();
    owner->map = &map;
    map.Set("owner", std::move(owner));
    map.Set("part", std::make_shared<Remover>());
    map.ForEach([&](const std::string& key, const std::shared_ptr<Remover>&) {
        if (key == "owner") map.Remove("owner");
    });
    EXPECT_TRUE(map.Empty());
}

TEST(KeyedMap, EntryRemovedAndSetAgainDuringWalkIsVisitedWithItsNewValue)
{
    KeyedMap<int> map;
    for (const char* key : {"a", "b"}) map.Set(key, 1);
    std::vector<std::pair<std::string, int>> seen;
    map.ForEach([&](const std::string& key, int value) {
        seen.emplace_back(key, value);
        if (key == "a") {
            map.Remove("b");
            map.Set("b", 2);
        }
    });
    EXPECT_EQ(seen, (std::vector<std::pair<std::string, int>>{{"a", 1}, {"b", 2}}));
    EXPECT_EQ(map.Size(), 2u);
}

TEST(KeyedMap, ClearDuringNestedWalksEndsBothAndLeavesTheMapEmpty)
{
    KeyedMap<int> map;
    for (const char* key : {"a", "b", "c"}) map.Set(key, 0);
    int outer = 0, inner = 0;
    map.ForEach([&](const std::string&, int) {
        ++outer;
        map.ForEach([&](const std::string&, int) {
            ++inner;
            map.Clear();
        });
        EXPECT_TRUE(map.Empty());
    });
    EXPECT_EQ(outer, 1);
    EXPECT_EQ(inner, 1);
    EXPECT_TRUE(map.Empty());
    map.Set("a", 1);  // usable afterwards
    EXPECT_EQ(map.Keys(), (std::vector<std::string>{"a"}));
}

TEST(KeyedMap, AHandlerThatThrowsEndsTheWalkCleanly)
{
    KeyedMap<int> map;
    for (const char* key : {"a", "b", "c"}) map.Set(key, 0);
    EXPECT_THROW(map.ForEach([&](const std::string& key, int) {
        map.Remove("c");
        if (key == "a") throw std::runtime_error("handler failed");
    }),
                 std::runtime_error);
    EXPECT_EQ(map.Keys(), (std::vector<std::string>{"a", "b"}));
    // No walk is left open: the next removal is whole at once, and the next walk sees it.
    map.Remove("a");
    std::vector<std::string> seen;
    map.ForEach([&](const std::string& key, int) { seen.push_back(key); });
    EXPECT_EQ(seen, (std::vector<std::string>{"b"}));
}

TEST(KeyedMap, VersionChangesWithTheContentsOnlyAndNamesOneMap)
{
    KeyedMap<int> a, b;
    EXPECT_NE(a.Version(), b.Version());
    const uint64_t start = a.Version();
    a.Set("k", 1);
    const uint64_t afterSet = a.Version();
    EXPECT_NE(afterSet, start);
    a.Get("k");
    a.Contains("k");
    a.Keys();
    a.ForEach([](const std::string&, int) {});
    a.Remove("missing");
    EXPECT_EQ(a.Version(), afterSet);
    b.Set("k", 1);  // the same change to another map gives another version
    EXPECT_NE(b.Version(), afterSet);
    a.Remove("k");
    EXPECT_NE(a.Version(), afterSet);
    const uint64_t afterRemove = a.Version();
    a.Clear();
    EXPECT_NE(a.Version(), afterRemove);
}
