#pragma once
#include <cstdint>
#include <deque>
#include <vector>

namespace KorvaneEngine {

// Holds the one instance pointer of an engine service.
template <class T> class GlobalPointerHolder {
public:
    static T* Instance(T* p = nullptr)
    {
        if (p)
            instance_ = p;
        return instance_;
    }
    // Services clear their pointer on destruction so nothing reaches a dead one.
    static void ResetInstance(T* p)
    {
        if (instance_ == p)
            instance_ = nullptr;
    }

private:
    static inline T* instance_ = nullptr;
};

template <class T> void DeleteAll(std::vector<T*>& v)
{
    for (T* p : v)
        delete p;
    v.clear();
}

// Owning registry of objects of one kind. Freed slots are reused most recently
// freed first; when fewer than half the slots are live the holes are removed.
template <class T> class ObjectManager {
public:
    virtual ~ObjectManager()
    {
        DeleteAll(slots_);
        free_.clear();
    }

    void AddObject(T* object)
    {
        if (!object)
            return;
        if (!free_.empty()) {
            slots_[free_.back()] = object;
            free_.pop_back();
        } else {
            slots_.push_back(object);
        }
        ++count_;
    }

    bool RemoveObject(T* object)
    {
        if (!object)
            return false;
        for (size_t i = 0; i < slots_.size(); ++i) {
            if (slots_[i] != object)
                continue;
            free_.push_back(static_cast<uint32_t>(i));
            slots_[i] = nullptr;
            --count_;
            if (static_cast<size_t>(count_) * 2 < slots_.size())
                Compact();
            return true;
        }
        return false;
    }

    uint32_t GetCount() const { return count_; }
    // Slots in registration order, with null holes where objects were removed.
    const std::vector<T*>& GetObjects() const { return slots_; }

private:
    void Compact()
    {
        std::vector<T*> live;
        live.reserve(count_);
        for (T* p : slots_)
            if (p)
                live.push_back(p);
        slots_.swap(live);
        free_.clear();
    }

    uint32_t count_ = 0;
    std::vector<T*> slots_;
    std::deque<uint32_t> free_;
};

} // namespace KorvaneEngine
