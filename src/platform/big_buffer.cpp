// Large zeroed buffers, in huge pages where the system offers them.
#include "platform/big_buffer.h"

#include <sys/mman.h>

#include <cstdint>
#include <cstdlib>
#include <utility>

namespace platform {
namespace {

constexpr size_t kMapFrom = size_t{1} << 20;
constexpr size_t kHugePage = size_t{2} << 20;

}  // namespace

BigBuffer::BigBuffer(size_t bytes) : size_(bytes) {
    if (bytes >= kMapFrom) {
        // Whole huge pages, so the last one can be huge too.
        // Whole huge pages on a huge-page boundary: one more is mapped and
        // the ends trimmed to the boundary.
        const size_t length = (bytes + kHugePage - 1) / kHugePage * kHugePage;
        void* p = mmap(nullptr, length + kHugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS,
                       -1, 0);
        if (p != MAP_FAILED) {
            auto* base = static_cast<char*>(p);
            const size_t head = (kHugePage - reinterpret_cast<uintptr_t>(base) % kHugePage) % kHugePage;
            if (head) munmap(base, head);
            if (kHugePage - head) munmap(base + head + length, kHugePage - head);
#ifdef MADV_HUGEPAGE
            madvise(base + head, length, MADV_HUGEPAGE);  // a hint: without it, ordinary pages
#endif
            data_ = base + head;
            mapped_ = length;
            return;
        }
    }
    data_ = std::calloc(bytes ? bytes : 1, 1);
    if (!data_) size_ = 0;
}

BigBuffer::~BigBuffer() { Release(); }

BigBuffer::BigBuffer(BigBuffer&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)),
      size_(std::exchange(other.size_, 0)),
      mapped_(std::exchange(other.mapped_, 0)) {}

BigBuffer& BigBuffer::operator=(BigBuffer&& other) noexcept {
    if (this != &other) {
        Release();
        data_ = std::exchange(other.data_, nullptr);
        size_ = std::exchange(other.size_, 0);
        mapped_ = std::exchange(other.mapped_, 0);
    }
    return *this;
}

void BigBuffer::Release() {
    if (!data_) return;
    if (mapped_)
        munmap(data_, mapped_);
    else
        std::free(data_);
    data_ = nullptr;
    size_ = mapped_ = 0;
}

}  // namespace platform
