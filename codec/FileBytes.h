// The bytes of a whole input file, held in large-buffer memory (see LargeBuffer.h): read once
// from the system into memory that is neither zeroed first nor touched page by page.
#pragma once

#include <cstdint>
#include <span>
#include <utility>
#include <vector>

#include "LargeBuffer.h"

namespace tq1 {

class FileBytes {
 public:
  FileBytes() = default;
  // Bytes that arrived otherwise (standard input), kept as they are.
  explicit FileBytes(std::vector<std::uint8_t> bytes) : other_(std::move(bytes)) {}
  // The first `size` bytes of `storage`.
  FileBytes(LargeArray<std::uint8_t> storage, std::size_t size)
      : storage_(std::move(storage)), size_(size) {}

  [[nodiscard]] std::span<const std::uint8_t> span() const noexcept {
    return storage_.empty() ? std::span<const std::uint8_t>(other_)
                            : std::span<const std::uint8_t>(storage_.data(), size_);
  }
  [[nodiscard]] std::size_t size() const noexcept { return span().size(); }
  [[nodiscard]] bool empty() const noexcept { return size() == 0; }

 private:
  LargeArray<std::uint8_t> storage_;
  std::size_t size_ = 0;
  std::vector<std::uint8_t> other_;
};

}  // namespace tq1
