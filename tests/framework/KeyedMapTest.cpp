#include <gtest/gtest.h>

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
