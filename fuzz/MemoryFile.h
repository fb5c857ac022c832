// A file held in memory that readers taking a path can open: the fuzz entries hand their
// bytes to path-based readers (Qt's image readers, the list and settings files) without
// touching the disk for every input.
#pragma once

#include <QString>

#include <cstdint>
#include <span>

namespace tq1::fuzz {

class MemoryFile {
 public:
  MemoryFile();
  ~MemoryFile();
  MemoryFile(const MemoryFile&) = delete;
  MemoryFile& operator=(const MemoryFile&) = delete;

  // Replaces the contents; false when the bytes could not be stored.
  bool assign(std::span<const std::uint8_t> bytes);
  // A path that opens this file.
  [[nodiscard]] const QString& path() const noexcept { return path_; }

 private:
  int fd_ = -1;
  QString path_;
};

// The one memory file of this process, created at first use.
MemoryFile& sharedMemoryFile();

}  // namespace tq1::fuzz
