// Whole-file reads and atomic whole-file writes for the codec's drivers.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>
#include <string>

#include "Codec.h"

#if __has_include(<unistd.h>)
#include <unistd.h>
#define TQ1_HAVE_FSYNC 1
#endif

namespace tq1 {

namespace {

std::string describe(const std::filesystem::path& path, const char* what) {
  std::string text = std::string(what) + " '" + path.string() + "'";
  if (errno != 0) text += ": " + std::string(std::strerror(errno));
  return text;
}

constexpr std::size_t kWriteBufferBytes = std::size_t{256} << 10;

struct FileCloser {
  void operator()(std::FILE* file) const noexcept { std::fclose(file); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

struct BufferFreer {
  void operator()(char* buffer) const noexcept { std::free(buffer); }
};

// A name beside the target that no other writer uses, so the rename is atomic.
std::filesystem::path temporaryNameFor(const std::filesystem::path& target) {
  std::random_device seed;
  std::mt19937_64 random(seed());
  const std::string number = std::to_string(random() % 1000000000ull);
  std::filesystem::path name = target;
  name += ".tmp" + number;
  // A target name near the file systems' 255-byte limit leaves no room for the suffix; such
  // a target gets a short hidden name in its folder instead.
  constexpr std::size_t kMaxNameBytes = 255;
  if (name.filename().string().size() > kMaxNameBytes) {
    name = target.parent_path() / (".tq1-" + number + ".tmp");
  }
  return name;
}

// Hands the bytes to the system and, when they are to replace an existing file, waits until
// they are on disk: the rename then never exchanges a good old file for an unwritten new one,
// even across a power failure. A new file risks nothing that existed before, so it skips the
// wait, which costs more than converting a small image.
bool flushToDisk(std::FILE* file, bool replacing) {
  if (std::fflush(file) != 0) return false;
#ifdef TQ1_HAVE_FSYNC
  if (replacing && ::fsync(::fileno(file)) != 0) return false;
#else
  (void)replacing;
#endif
  return true;
}

}  // namespace

namespace {

CodecStatus tooLarge(const std::filesystem::path& path) {
  return CodecStatus::failure(CodecError::ImageTooLarge,
                              "'" + path.string() + "' is larger than any file this program reads");
}

// Appends what is left of the file, a chunk at a time, for files whose size is not known in
// advance (pipes, devices) or that grow while being read; `before` bytes were read already.
CodecStatus readRest(std::FILE* file, const std::filesystem::path& path, std::size_t before,
                     std::vector<std::uint8_t>& bytes) {
  std::uint8_t chunk[65536];
  while (true) {
    const std::size_t got = std::fread(chunk, 1, sizeof chunk, file);
    if (before + bytes.size() + got > kMaxInputFileBytes) return tooLarge(path);
    bytes.insert(bytes.end(), chunk, chunk + got);
    if (got < sizeof chunk) return CodecStatus::success();
  }
}

}  // namespace

CodecStatus readWholeFile(const std::filesystem::path& path, FileBytes& bytes) {
  errno = 0;
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::status(path, error);
  if (std::filesystem::is_directory(status)) {
    return CodecStatus::failure(CodecError::FileOpenFailed, "'" + path.string() + "' is a folder");
  }
  FileHandle file(std::fopen(path.c_str(), "rb"));
  if (!file) return CodecStatus::failure(CodecError::FileOpenFailed, describe(path, "cannot open"));
  bytes = FileBytes();
  try {
    // A regular file is read in one piece into memory of its size; the chunked read after it
    // only finds data when the file grew meanwhile, or when its size is not known in advance
    // (pipes, devices).
    LargeArray<std::uint8_t> whole;
    std::size_t got = 0;
    if (std::filesystem::is_regular_file(status)) {
      const std::uintmax_t size = std::filesystem::file_size(path, error);
      if (!error && size > kMaxInputFileBytes) return tooLarge(path);
      if (!error && size > 0) {
        whole = LargeArray<std::uint8_t>(static_cast<std::size_t>(size), false);
        got = std::fread(whole.data(), 1, whole.size(), file.get());
      }
    }
    std::vector<std::uint8_t> rest;
    if (!std::ferror(file.get())) {
      if (CodecStatus more = readRest(file.get(), path, got, rest); !more) return more;
    }
    if (rest.empty()) {
      bytes = FileBytes(std::move(whole), got);
    } else {
      rest.insert(rest.begin(), whole.data(), whole.data() + got);
      bytes = FileBytes(std::move(rest));
    }
  } catch (const std::bad_alloc&) {
    return CodecStatus::failure(CodecError::OutOfMemory, "not enough memory to read '" + path.string() + "'");
  }
  if (std::ferror(file.get())) {
    bytes = FileBytes();
    return CodecStatus::failure(CodecError::FileReadFailed, describe(path, "cannot read"));
  }
  return CodecStatus::success();
}

CodecStatus writeFileAtomically(const std::filesystem::path& path, const FileProducer& produce) {
  errno = 0;
  std::error_code probe;
  const bool replacing = std::filesystem::exists(path, probe);
  const std::filesystem::path temporary = temporaryNameFor(path);
  // Producers hand over a file in pieces of some tens of kilobytes; a large buffer passes them
  // to the system in a few calls instead of two per piece. It outlives the stream; without
  // memory for it the stream keeps its own.
  const std::unique_ptr<char, BufferFreer> buffer(
      static_cast<char*>(std::malloc(kWriteBufferBytes)));
  FileHandle file(std::fopen(temporary.c_str(), "wbx"));
  if (!file) {
    return CodecStatus::failure(CodecError::FileWriteFailed, describe(path, "cannot create"));
  }
  std::FILE* stream = file.get();
  if (buffer) std::setvbuf(stream, buffer.get(), _IOFBF, kWriteBufferBytes);
  const ByteSink sink = [stream](std::span<const std::uint8_t> piece) {
    return std::fwrite(piece.data(), 1, piece.size(), stream) == piece.size();
  };
  const bool written = produce(sink) && flushToDisk(stream, replacing);
  const bool closed = std::fclose(file.release()) == 0;
  if (!written || !closed) {
    const CodecStatus status =
        CodecStatus::failure(CodecError::FileWriteFailed, describe(path, "cannot write"));
    std::error_code ignored;
    std::filesystem::remove(temporary, ignored);
    return status;
  }
  std::error_code error;
  std::filesystem::rename(temporary, path, error);
  if (error) {
    std::filesystem::remove(temporary, error);
    return CodecStatus::failure(CodecError::FileWriteFailed,
                                "cannot replace '" + path.string() + "': " + error.message());
  }
  return CodecStatus::success();
}

CodecStatus writeFileAtomically(const std::filesystem::path& path,
                                std::span<const std::uint8_t> bytes) {
  return writeFileAtomically(path, [bytes](const ByteSink& sink) { return sink(bytes); });
}

}  // namespace tq1
