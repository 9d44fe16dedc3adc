// Large zeroed buffers for pictures: the course sheet (18 MB of 565
// pixels) and the files its pixels come from (27 MB).
//
// A buffer of a megabyte or more is mapped on its own and asks for the
// system's huge pages: touching 18 MB page by page costs thousands of page
// faults (over a hundred milliseconds on a virtual machine), in 2 MB pages
// a handful, and copying a window of the course row by row then stays
// within a few pages as well. Smaller ones come from calloc.
#pragma once

#include <cstddef>

namespace platform {

class BigBuffer {
public:
    BigBuffer() = default;
    // Zeroed; data() is nullptr when the memory cannot be had.
    explicit BigBuffer(size_t bytes);
    ~BigBuffer();
    BigBuffer(BigBuffer&& other) noexcept;
    BigBuffer& operator=(BigBuffer&& other) noexcept;
    BigBuffer(const BigBuffer&) = delete;
    BigBuffer& operator=(const BigBuffer&) = delete;

    void* data() const { return data_; }
    size_t size() const { return size_; }

private:
    void Release();
    void* data_ = nullptr;
    size_t size_ = 0;
    size_t mapped_ = 0;  // 0: from calloc
};

}  // namespace platform
