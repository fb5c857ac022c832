// An anonymous in-memory file (memfd) reached through /proc/self/fd; where memfd is missing,
// an unlinked-on-exit file in the temporary folder stands in.
#include "fuzz/MemoryFile.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <QDir>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace tq1::fuzz {

MemoryFile::MemoryFile() {
#ifdef MFD_CLOEXEC
  fd_ = ::memfd_create("tq1-fuzz", MFD_CLOEXEC);
  if (fd_ >= 0) {
    path_ = QStringLiteral("/proc/self/fd/%1").arg(fd_);
    return;
  }
#endif
  std::string name = QDir::tempPath().toStdString() + "/tq1-fuzz-XXXXXX";
  fd_ = ::mkstemp(name.data());
  if (fd_ < 0) {
    std::perror("tq1 fuzz: cannot create a scratch file");
    std::abort();
  }
  path_ = QString::fromStdString(name);
}

MemoryFile::~MemoryFile() {
  if (fd_ < 0) return;
  ::close(fd_);
  if (!path_.startsWith(QStringLiteral("/proc/"))) ::unlink(path_.toStdString().c_str());
}

bool MemoryFile::assign(std::span<const std::uint8_t> bytes) {
  if (::ftruncate(fd_, 0) != 0) return false;
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::pwrite(fd_, bytes.data() + done, bytes.size() - done,
                               static_cast<off_t>(done));
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  return true;
}

MemoryFile& sharedMemoryFile() {
  static MemoryFile file;
  return file;
}

}  // namespace tq1::fuzz
