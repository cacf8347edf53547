// The ordered string-keyed map behind every registry of the framework.
//
// Walks run in ascending key order and take the next entry before handing out the
// current one, so a handler may insert entries while the map is walked (an entry is
// visited in that pass only if it sorts after the entry already taken as next).
// Nothing is removed while a map is walked: removal goes through a snapshot of the keys.
#pragma once

#include <map>
#include <string>
#include <vector>

template <class V, class K = std::string>
class KeyedMap {
public:
    // Inserting under a present key replaces the value.
    void Set(const K& key, V value) { entries_[key] = std::move(value); }

    // The value under key, or a default-constructed value (null for pointers).
    V Get(const K& key) const
    {
        auto it = entries_.find(key);
        return it == entries_.end() ? V{} : it->second;
    }

    bool Contains(const K& key) const { return entries_.count(key) != 0; }
    void Remove(const K& key) { erasures_ += entries_.erase(key); }
    void Clear()
    {
        erasures_ += entries_.size();
        entries_.clear();
    }
    size_t Size() const { return entries_.size(); }
    bool Empty() const { return entries_.empty(); }

    // The keys in ascending order, for removing entries one by one.
    std::vector<K> Keys() const
    {
        std::vector<K> keys;
        keys.reserve(entries_.size());
        for (const auto& entry : entries_) keys.push_back(entry.first);
        return keys;
    }

    // Calls f(key, value) for each entry in key order. The next entry is taken before the
    // call; if the call removes it, the walk goes on with the first key after it.
    template <class F>
    void ForEach(F&& f)
    {
        auto it = entries_.begin();
        while (it != entries_.end()) {
            // Copies: the callee may replace or remove the entry it is handed.
            const K key = it->first;
            V value = it->second;
            ++it;
            const bool last = it == entries_.end();
            const K next = last ? K{} : it->first;
            const size_t erasures = erasures_;
            f(key, value);
            if (last) break;
            // Only an erase can invalidate the iterator; otherwise it still points at next.
            if (erasures_ != erasures) it = entries_.lower_bound(next);
        }
    }

private:
    std::map<K, V> entries_;
    size_t erasures_ = 0;
};

// The keys of a map in key order.
template <class V, class K>
std::vector<K> MapKeysToArray(const KeyedMap<V, K>& map)
{
    return map.Keys();
}
