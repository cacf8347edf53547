// The ordered string-keyed map behind every registry of the framework.
//
// Walks run in ascending key order and take the next entry before handing out the
// current one. A handler may insert and remove entries while the map is walked: an entry
// inserted during a walk is visited in that pass only if it sorts after the entry already
// taken as next, and an entry removed is not visited after its removal.
//
// While a walk runs nothing is erased or released: a removed entry is only marked, and a
// replaced value is kept aside, until the outermost walk ends. So the walk hands out the
// stored values themselves, and every value handed out stays valid for the whole call,
// without copying keys or values or finding an entry twice.
//
// String keys are UTF-8 and sort by their UTF-16 code units (KeyOrder below).
#pragma once

#include <atomic>
#include <cstdint>
#include <cstring>
#include <functional>
#include <iterator>
#include <map>
#include <string>
#include <utility>
#include <vector>

// Versions are drawn from one counter for all maps, so a version names one map at one
// moment: a cache that keeps the version it was made at needs nothing else to know
// whether it still holds.
inline uint64_t NewKeyedMapVersion()
{
    static std::atomic<uint64_t> last{0};
    return ++last;
}

// The order of keys: UTF-8 strings by their UTF-16 code units, the first difference
// deciding and a prefix first; any other key type by std::less.
//
// Byte order is code point order, and UTF-16 agrees with it except where a character
// beyond U+FFFF (a surrogate pair, units D800 to DFFF) meets one from U+E000 to U+FFFF:
// UTF-16 puts the pair first. At the first differing byte of two valid UTF-8 strings both
// bytes start a character or both continue one, so ranking the lead bytes F0 to FF (beyond
// U+FFFF) below EE and EF (U+E000 to U+FFFF) gives the UTF-16 order. It is a fixed ranking
// of byte values, so it stays a strict total order on any bytes, valid UTF-8 or not.
template <class K>
struct KeyOrder : std::less<K> {};

template <>
struct KeyOrder<std::string> {
    static unsigned Rank(unsigned char byte)
    {
        if (byte < 0xEE) return byte;
        if (byte >= 0xF0) return byte - 2u;  // F0..FF -> EE..FD
        return byte + 0x10u;                 // EE, EF -> FE, FF
    }
    bool operator()(const std::string& a, const std::string& b) const
    {
        const size_t n = a.size() < b.size() ? a.size() : b.size();
        const char* pa = a.data();
        const char* pb = b.data();
        size_t i = 0;
        // The common prefix eight bytes at a time: registries are searched every frame.
        for (uint64_t x, y; i + 8 <= n; i += 8) {
            std::memcpy(&x, pa + i, 8);
            std::memcpy(&y, pb + i, 8);
            if (x != y) break;
        }
        for (; i < n; ++i) {
            const auto x = static_cast<unsigned char>(pa[i]), y = static_cast<unsigned char>(pb[i]);
            if (x != y) return Rank(x) < Rank(y);
        }
        return a.size() < b.size();
    }
};

template <class V, class K = std::string>
class KeyedMap {
public:
    // Inserting under a present key replaces the value.
    void Set(const K& key, V value)
    {
        auto [it, inserted] = entries_.try_emplace(key);
        Slot& slot = it->second;
        if (!inserted) {
            if (walks_ > 0) replaced_.push_back(std::move(slot.value));  // a handler may hold it
            if (!slot.live) --removed_;  // a key removed during this walk comes back
        }
        slot.live = true;
        slot.value = std::move(value);
        version_ = NewKeyedMapVersion();
    }

    // The value under key, or a default-constructed value (null for pointers).
    V Get(const K& key) const
    {
        auto it = entries_.find(key);
        return it == entries_.end() || !it->second.live ? V{} : it->second.value;
    }

    // The value under key in place, or null: one look-up and no copy. Valid until the
    // entry is set or removed.
    const V* Find(const K& key) const
    {
        auto it = entries_.find(key);
        return it == entries_.end() || !it->second.live ? nullptr : &it->second.value;
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
        if (walks_ == 0) {
            entries_.erase(it);
        } else {
            it->second.live = false;
            ++removed_;
        }
        version_ = NewKeyedMapVersion();
    }

    void Clear()
    {
        if (walks_ == 0) {
            entries_.clear();
        } else {
            for (auto& entry : entries_) entry.second.live = false;
            removed_ = entries_.size();
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

    // Calls f(key, value) for each entry in key order.
    template <class F>
    void ForEach(F&& f)
    {
        WalkGuard guard(*this);
        for (auto it = entries_.begin(); it != entries_.end();) {
            const auto next = std::next(it);  // nothing is erased before the walk ends
            if (it->second.live) f(it->first, std::as_const(it->second.value));
            it = next;
        }
    }

private:
    struct Slot {
        V value{};
        bool live = true;
    };

    // Ends a walk, also when its handler throws; the last walk out erases what was
    // removed and releases what was replaced during the walks.
    struct WalkGuard {
        explicit WalkGuard(KeyedMap& map) : map(map) { ++map.walks_; }
        ~WalkGuard()
        {
            if (--map.walks_ != 0) return;
            if (map.removed_ == 0 && map.replaced_.empty()) return;  // the usual walk changed nothing
            // The values go last, once the map is whole again: their destructors may use it.
            std::vector<V> released;
            released.swap(map.replaced_);
            if (map.removed_ != 0) {
                for (auto it = map.entries_.begin(); it != map.entries_.end();) {
                    if (it->second.live) {
                        ++it;
                        continue;
                    }
                    released.push_back(std::move(it->second.value));
                    it = map.entries_.erase(it);
                }
                map.removed_ = 0;
            }
        }
        KeyedMap& map;
    };

    std::map<K, Slot, KeyOrder<K>> entries_;
    size_t removed_ = 0;     // entries marked removed, to be erased when the walks end
    std::vector<V> replaced_;  // values replaced during the walks, released when they end
    int walks_ = 0;
    uint64_t version_ = NewKeyedMapVersion();
};

// The keys of a map in key order.
template <class V, class K>
std::vector<K> MapKeysToArray(const KeyedMap<V, K>& map)
{
    return map.Keys();
}
