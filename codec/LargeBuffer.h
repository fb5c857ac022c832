// Memory for the buffers that grow with the image (the grids, the bytes of the file read): one
// policy for all of them.
//
// A buffer of 32 MiB or more (the grids of an image from about 8 megapixels; in a program
// that makes one conversion and ends, 1 MiB or more) is mapped from the system on its own,
// aligned to and rounded up to 2 MiB, and the system is asked to back it with huge pages where
// it allows that. Each such buffer is then touched in a few page faults instead of one for
// every 4 KiB, which a conversion of a large image otherwise spends a good part of its time
// on. Where huge pages are not to be had, the same mapping simply gets small pages. Mapped
// memory arrives zeroed, so a buffer that must start zeroed costs no pass of its own. Smaller
// buffers come from the heap, zeroed only when asked (and then by calloc, which skips memory
// fresh from the system).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>
#include <type_traits>
#include <utility>

namespace tq1 {

// Keeps the lists that grow with an image (blocks, tokens, the file written) on the heap, where
// a freed list's pages serve the next one, instead of each in a mapping of its own that is
// faulted in anew. Once per process; allocateLarge does it on its first call.
void keepGrowingBuffersOnTheHeap();

// For a program that makes one conversion and ends (the command line, the thumbnailer): every
// buffer from 1 MiB on gets a mapping of its own, whose huge pages are worth more there than
// heap pages that no later conversion reuses. Buffers allocated before keep their kind.
void mapBuffersOfOneConversion() noexcept;

// `bytes` of memory, zeroed when `zeroed`; `mapped` says which kind it is, for freeLarge.
// Throws std::bad_alloc when there is none.
void* allocateLarge(std::size_t bytes, bool zeroed, bool& mapped);
// Gives back memory from allocateLarge, with the same size and kind.
void freeLarge(void* memory, std::size_t bytes, bool mapped) noexcept;

// An array of trivially copyable elements in such memory, of fixed size once made.
template <typename T>
class LargeArray {
  static_assert(std::is_trivially_copyable_v<T>);

 public:
  LargeArray() = default;
  // Elements zeroed, or left as the memory came when `zeroed` is false: for buffers that are
  // written in full before they are read.
  explicit LargeArray(std::size_t size, bool zeroed = true) {
    if (size == 0) return;
    data_ = static_cast<T*>(allocateLarge(bytesFor(size), zeroed, mapped_));
    size_ = size;
  }
  ~LargeArray() { release(); }

  LargeArray(const LargeArray& other) : LargeArray(other.size_, false) {
    if (size_ != 0) std::memcpy(data_, other.data_, size_ * sizeof(T));
  }
  LargeArray(LargeArray&& other) noexcept
      : data_(std::exchange(other.data_, nullptr)),
        size_(std::exchange(other.size_, 0)),
        mapped_(other.mapped_) {}
  LargeArray& operator=(const LargeArray& other) {
    if (this != &other) *this = LargeArray(other);
    return *this;
  }
  LargeArray& operator=(LargeArray&& other) noexcept {
    if (this != &other) {
      release();
      data_ = std::exchange(other.data_, nullptr);
      size_ = std::exchange(other.size_, 0);
      mapped_ = other.mapped_;
    }
    return *this;
  }

  [[nodiscard]] T* data() noexcept { return data_; }
  [[nodiscard]] const T* data() const noexcept { return data_; }
  [[nodiscard]] std::size_t size() const noexcept { return size_; }
  [[nodiscard]] bool empty() const noexcept { return size_ == 0; }
  T& operator[](std::size_t i) noexcept { return data_[i]; }
  const T& operator[](std::size_t i) const noexcept { return data_[i]; }
  T* begin() noexcept { return data_; }
  T* end() noexcept { return data_ + size_; }
  const T* begin() const noexcept { return data_; }
  const T* end() const noexcept { return data_ + size_; }

  friend bool operator==(const LargeArray& a, const LargeArray& b) noexcept {
    return a.size_ == b.size_ &&
           (a.size_ == 0 || std::memcmp(a.data_, b.data_, a.size_ * sizeof(T)) == 0);
  }

 private:
  static std::size_t bytesFor(std::size_t size) {
    if (size > SIZE_MAX / sizeof(T)) throw std::bad_alloc();
    return size * sizeof(T);
  }
  void release() noexcept {
    if (data_ != nullptr) freeLarge(data_, size_ * sizeof(T), mapped_);
    data_ = nullptr;
    size_ = 0;
  }

  T* data_ = nullptr;
  std::size_t size_ = 0;
  bool mapped_ = false;
};

}  // namespace tq1
