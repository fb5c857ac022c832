// Standard input and output for pipelines, on the file descriptors themselves: the images
// are binary, so stdio's buffering and text handling would only stand in the way.
#include "cli/StandardStreams.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <new>

#include "cli/CommandLine.h"

namespace tq1::cli {

namespace {

CodecStatus failure(CodecError error, const std::string& message) {
  return CodecStatus::failure(error, message);
}

std::string causeOf(int error) {
  return error == EPIPE ? std::string("the reading end of the pipe was closed") : std::strerror(error);
}

std::atomic<std::uint64_t> writtenToStandardOutput{0};

// Writes all of `bytes` to `fd`; the errno of the failure, or 0.
int writeAll(int fd, std::span<const std::uint8_t> bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    bytes = bytes.subspan(static_cast<std::size_t>(written));
  }
  return 0;
}

}  // namespace

bool isStandardStream(const std::string& name) { return name == kStandardStream; }

std::string inputName(const std::string& name) {
  return isStandardStream(name) ? std::string("standard input") : name;
}

std::string outputName(const std::string& name) {
  return isStandardStream(name) ? std::string("standard output") : name;
}

CodecStatus readStandardInput(std::vector<std::uint8_t>& bytes) {
  if (::isatty(STDIN_FILENO) == 1) {
    return failure(CodecError::FileOpenFailed,
                   "a terminal, not an image; give a file name or send the file through a pipe");
  }
  constexpr std::size_t kStep = 65536;
  // One step beyond the limit is enough to tell an input that is too large.
  constexpr std::size_t kMostHeld = kMaxInputFileBytes + kStep;
  bytes.clear();
  std::size_t filled = 0;
  while (true) {
    if (bytes.size() - filled < kStep) {
      try {
        bytes.resize(std::min(std::max(bytes.size() * 2, filled + kStep), kMostHeld));
      } catch (const std::bad_alloc&) {
        bytes = {};
        return failure(CodecError::OutOfMemory, "not enough memory to hold it");
      }
    }
    const ssize_t got = ::read(STDIN_FILENO, bytes.data() + filled, bytes.size() - filled);
    if (got == 0) break;
    if (got < 0) {
      if (errno == EINTR) continue;
      const int error = errno;
      bytes.clear();
      return failure(CodecError::FileReadFailed, "cannot be read: " + causeOf(error));
    }
    filled += static_cast<std::size_t>(got);
    if (filled > kMaxInputFileBytes) {
      bytes.clear();
      return failure(CodecError::FileReadFailed,
                     "more than " + std::to_string(kMaxInputFileBytes) +
                         " bytes, larger than any image this program reads");
    }
  }
  bytes.resize(filled);
  return CodecStatus::success();
}

CodecStatus readInput(const std::string& name, FileBytes& bytes) {
  if (!isStandardStream(name)) return readWholeFile(name, bytes);
  std::vector<std::uint8_t> read;
  const CodecStatus status = readStandardInput(read);
  bytes = FileBytes(std::move(read));
  return status;
}

std::string terminalOutputRefusal() {
  if (::isatty(STDOUT_FILENO) != 1) return {};
  return "standard output is a terminal, which cannot show image data; redirect it to a file "
         "or a pipe, or name the output with -o FILE";
}

CodecStatus writeStandardOutput(std::span<const std::uint8_t> bytes) {
  if (const int error = writeAll(STDOUT_FILENO, bytes); error != 0) {
    return failure(CodecError::FileWriteFailed, "standard output: write failed: " + causeOf(error));
  }
  writtenToStandardOutput += bytes.size();
  return CodecStatus::success();
}

std::uint64_t standardOutputBytes() { return writtenToStandardOutput.load(); }

ByteSink standardOutputSink(CodecStatus& status) {
  return [&status](std::span<const std::uint8_t> piece) {
    if (status) status = writeStandardOutput(piece);
    return status.ok();
  };
}

CodecStatus writeOutput(const std::string& name, const FileProducer& produce) {
  if (!isStandardStream(name)) return writeFileAtomically(name, produce);
  CodecStatus status;
  if (!produce(standardOutputSink(status)) && status) {
    return failure(CodecError::FileWriteFailed, "standard output: the data could not be produced");
  }
  return status;
}

CodecStatus passStandardInputOn(std::span<const std::uint8_t> bytes) {
  const int copy = ::memfd_create("tq1-standard-input", MFD_CLOEXEC);
  const auto failed = [&](int error) {
    if (copy >= 0) ::close(copy);
    return failure(CodecError::FileWriteFailed,
                   "standard input cannot be passed on to the full program: " + causeOf(error));
  };
  if (copy < 0) return failed(errno);
  if (const int error = writeAll(copy, bytes); error != 0) return failed(error);
  // dup2 gives descriptor 0 without the close-on-exec flag, so the copy survives the exec.
  if (::lseek(copy, 0, SEEK_SET) != 0 || ::dup2(copy, STDIN_FILENO) != STDIN_FILENO) return failed(errno);
  ::close(copy);
  return CodecStatus::success();
}

}  // namespace tq1::cli
