#pragma once
// An allocator whose containers leave new elements of trivial types
// uninitialised on resize: for buffers that are written in full right after
// they grow (decoded pixels), where zeroing them first would touch every byte
// twice.

#include <memory>
#include <type_traits>
#include <utility>

template <class T>
class TDefaultInitAllocator : public std::allocator<T> {
public:
    template <class U>
    struct rebind {
        using other = TDefaultInitAllocator<U>;
    };
    using std::allocator<T>::allocator;

    template <class U>
    void construct(U* p) noexcept(std::is_nothrow_default_constructible_v<U>) {
        ::new (static_cast<void*>(p)) U;
    }
    template <class U, class... Args>
    void construct(U* p, Args&&... args) {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }
};
