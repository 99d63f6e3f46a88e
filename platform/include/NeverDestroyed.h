#pragma once

#include <new>
#include <utility>

namespace tarvik {

// An object made in place, in static storage, and never destroyed: objects with static storage may
// still use it while the process ends. Unlike one made with new and never deleted, it leaves
// nothing on the heap when the library holding it is unloaded (its storage goes with the library).
template <class T>
class NeverDestroyed {
public:
    template <class... Args>
    explicit NeverDestroyed(Args&&... args)
    {
        ::new (static_cast<void*>(m_storage)) T(std::forward<Args>(args)...);
    }
    NeverDestroyed(const NeverDestroyed&) = delete;
    NeverDestroyed& operator=(const NeverDestroyed&) = delete;

    T& get() { return *std::launder(reinterpret_cast<T*>(m_storage)); }

private:
    alignas(T) unsigned char m_storage[sizeof(T)];
};

} // namespace tarvik
