// The ordered string-keyed map behind every registry of the framework.
//
// Walks run in ascending key order and take the next entry before handing out the
// current one. A handler may insert and remove entries while the map is walked: an entry
// inserted during a walk is visited in that pass only if it sorts after the entry already
// taken as next, and an entry removed is not visited after its removal. Removal
// during a walk only marks the entry (its value is released at once) and the marked
// entries are erased when the outermost walk ends, so a walk never has to copy or
// re-find keys: it costs a step of the tree per entry.
#pragma once

#include <atomic>
#include <cstdint>
#include <iterator>
#include <map>
#include <string>
#include <vector>

// Versions are drawn from one counter for all maps, so a version names one map at one
// moment: a cache that keeps the version it was made at needs nothing else to know
// whether it still holds.
inline uint64_t NewKeyedMapVersion()
{
    static std::atomic<uint64_t> last{0};
    return ++last;
}

template <class V, class K = std::string>
class KeyedMap {
public:
    // Inserting under a present key replaces the value.
    void Set(const K& key, V value)
    {
        Slot& slot = entries_[key];
        if (!slot.live) {
            slot.live = true;
            if (removed_) --removed_;  // a key marked removed during a walk comes back
        }
        slot.value = std::move(value);
        version_ = NewKeyedMapVersion();
    }

    // The value under key, or a default-constructed value (null for pointers).
    V Get(const K& key) const
    {
        auto it = entries_.find(key);
        return it == entries_.end() || !it->second.live ? V{} : it->second.value;
    }

    bool Contains(const K& key) const
    {
        auto it = entries_.find(key);
        return it != entries_.end() && it->second.live;
    }

    void Remove(const K& key)
    {
        auto it = entries_.find(key);
        if (it == entries_.end() || !it->second.live) return;
        Drop(it);
        version_ = NewKeyedMapVersion();
    }

    void Clear()
    {
        if (walks_ == 0) {
            entries_.clear();
            removed_ = 0;
        } else {
            for (auto it = entries_.begin(); it != entries_.end(); ++it)
                if (it->second.live) Drop(it);
        }
        version_ = NewKeyedMapVersion();
    }

    size_t Size() const { return entries_.size() - removed_; }
    bool Empty() const { return Size() == 0; }

    // Changes with every change of the map's contents, to a value no map has had before.
    uint64_t Version() const { return version_; }

    // The keys in ascending order, for removing entries one by one.
    std::vector<K> Keys() const
    {
        std::vector<K> keys;
        keys.reserve(Size());
        for (const auto& entry : entries_)
            if (entry.second.live) keys.push_back(entry.first);
        return keys;
    }

    // Calls f(key, value) for each entry in key order. The value is a copy, so it stays
    // valid even when the call replaces or removes its entry.
    template <class F>
    void ForEach(F&& f)
    {
        WalkGuard guard(*this);
        for (auto it = entries_.begin(); it != entries_.end();) {
            // Nothing is erased before the walk ends, so next stays valid through the call.
            const auto next = std::next(it);
            if (it->second.live) {
                V value = it->second.value;
                f(it->first, value);
            }
            it = next;
        }
    }

private:
    struct Slot {
        V value{};
        bool live = true;
    };

    // Ends a walk, also when its handler throws; the last walk out erases what was marked.
    struct WalkGuard {
        explicit WalkGuard(KeyedMap& map) : map(map) { ++map.walks_; }
        ~WalkGuard()
        {
            if (--map.walks_ != 0 || map.removed_ == 0) return;
            for (auto it = map.entries_.begin(); it != map.entries_.end();)
                it = it->second.live ? std::next(it) : map.entries_.erase(it);
            map.removed_ = 0;
        }
        KeyedMap& map;
    };

    void Drop(typename std::map<K, Slot>::iterator it)
    {
        if (walks_ == 0) {
            entries_.erase(it);
            return;
        }
        it->second.live = false;
        it->second.value = V{};
        ++removed_;
    }

    std::map<K, Slot> entries_;
    size_t removed_ = 0;  // entries marked removed, waiting for the walks to end
    int walks_ = 0;
    uint64_t version_ = NewKeyedMapVersion();
};

// The keys of a map in key order.
template <class V, class K>
std::vector<K> MapKeysToArray(const KeyedMap<V, K>& map)
{
    return map.Keys();
}
