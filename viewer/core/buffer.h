// A growable array of plain values whose every allocation fails as a value.
// The decode path holds its file-sized and picture-sized blocks, and the
// indexes that grow with a file, in these rather than in std::vector, which
// would throw std::bad_alloc when memory runs out (in the 32-bit build, when
// no large enough block of address space is left): a decode that finds no
// memory ends with nothing, on either thread, and the program goes on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <type_traits>

template <typename T>
class Buffer {
    static_assert(std::is_trivially_copyable<T>::value, "a Buffer holds plain values");

public:
    Buffer() = default;
    ~Buffer() { std::free(data_); }
    Buffer(const Buffer&) = delete;
    Buffer& operator=(const Buffer&) = delete;
    Buffer(Buffer&& other) noexcept : data_(other.data_), size_(other.size_), capacity_(other.capacity_) {
        other.data_ = nullptr;
        other.size_ = other.capacity_ = 0;
    }
    Buffer& operator=(Buffer&& other) noexcept {
        if (this != &other) {
            std::free(data_);
            data_ = other.data_;
            size_ = other.size_;
            capacity_ = other.capacity_;
            other.data_ = nullptr;
            other.size_ = other.capacity_ = 0;
        }
        return *this;
    }

    // Room for `count` values in all; false, with the buffer as it was, when
    // there is none.
    bool Reserve(size_t count) {
        if (count <= capacity_) return true;
        if (count > SIZE_MAX / sizeof(T)) return false;
        void* grown = std::realloc(data_, count * sizeof(T));
        if (!grown) return false;
        data_ = static_cast<T*>(grown);
        capacity_ = count;
        return true;
    }
    // `count` values; those added are zero.
    bool Resize(size_t count) {
        if (count > size_ && !Reserve(count)) return false;
        if (count > size_) std::memset(static_cast<void*>(data_ + size_), 0, (count - size_) * sizeof(T));
        size_ = count;
        return true;
    }
    bool Append(const T* values, size_t count) {
        if (count > SIZE_MAX / sizeof(T) - size_) return false;
        if (!Grow(size_ + count)) return false;
        if (count) std::memcpy(static_cast<void*>(data_ + size_), values, count * sizeof(T));
        size_ += count;
        return true;
    }
    bool Push(const T& value) { return Append(&value, 1); }
    // `count` copies of `value` at the end.
    bool Fill(const T& value, size_t count) {
        if (count > SIZE_MAX / sizeof(T) - size_) return false;
        if (!Grow(size_ + count)) return false;
        for (size_t i = 0; i < count; ++i) data_[size_ + i] = value;
        size_ += count;
        return true;
    }
    // Empties the buffer and gives its memory back.
    void Release() {
        std::free(data_);
        data_ = nullptr;
        size_ = capacity_ = 0;
    }
    void clear() { size_ = 0; }

    T* data() { return data_; }
    const T* data() const { return data_; }
    size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    T& operator[](size_t i) { return data_[i]; }
    const T& operator[](size_t i) const { return data_[i]; }
    const T* begin() const { return data_; }
    const T* end() const { return data_ + size_; }

private:
    // Doubles the room when it runs out, so that values added one by one
    // cost a reallocation only now and then.
    bool Grow(size_t count) {
        if (count <= capacity_) return true;
        const size_t doubled = capacity_ > SIZE_MAX / sizeof(T) / 2 ? count : capacity_ * 2;
        return Reserve(doubled > count ? doubled : count) || Reserve(count);
    }

    T* data_ = nullptr;
    size_t size_ = 0;
    size_t capacity_ = 0;
};
