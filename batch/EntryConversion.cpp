// One entry's conversion: load or decode, the overwrite rule, encode or write, with the cause
// of any failure kept in the result.
#include "batch/EntryConversion.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <new>
#include <utility>

#include "batch/EntryCodecParams.h"
#include "batch/FileNames.h"
#include "codec/Conversion.h"

namespace tq1 {
namespace {

std::filesystem::path nativePath(const QString& path) {
  return std::filesystem::path(QFile::encodeName(path).toStdString());
}

std::uint64_t sizeOnDisk(const QString& path) {
  const QFileInfo info(path);
  return info.isFile() ? static_cast<std::uint64_t>(info.size()) : 0;
}

// Turns the codec's (cells done, cells in all) reports into whole percentages and passes a
// percentage on only when it grows: the codec reports after every block, far too often for
// anyone watching.
class PercentFilter {
 public:
  explicit PercentFilter(const std::function<void(unsigned)>& sink) : sink_(sink) {}

  void update(std::uint64_t done, std::uint64_t total) {
    if (total == 0) return;
    // 64-bit arithmetic: done x 100 overflows 32 bits from about 43 million cells on.
    report(static_cast<unsigned>(std::min<std::uint64_t>(done * 100 / total, 100)));
  }
  void report(unsigned percent) {
    if (!sink_ || static_cast<int>(percent) <= last_) return;
    last_ = static_cast<int>(percent);
    sink_(percent);
  }
  [[nodiscard]] ProgressCallback callback() {
    return [this](std::uint64_t done, std::uint64_t total) { update(done, total); };
  }

 private:
  const std::function<void(unsigned)>& sink_;
  int last_ = -1;
};

std::string codecError(const QString& source, const CodecStatus& status) {
  return failureAbout(source.toStdString(), status);
}

EntryResult failed(EntryResult result, FailureStage stage, std::string error) {
  result.outcome = EntryOutcome::Failed;
  result.failureStage = stage;
  result.error = std::move(error);
  return result;
}

EntryResult kept(EntryResult result) {
  result.outcome = EntryOutcome::Skipped;
  result.skipReason = SkipReason::TargetKept;
  return result;
}

bool mayWrite(const QString& target, OverwritePolicy policy, const ConversionHooks& hooks) {
  if (policy == OverwritePolicy::Replace || !fileExists(target)) return true;
  return policy == OverwritePolicy::Ask && hooks.confirmOverwrite &&
         hooks.confirmOverwrite(target);
}

EntryResult encodeEntry(const ListEntry& entry, const BatchIo& io, OverwritePolicy policy,
                        const ConversionHooks& hooks, EntryResult result) {
  LoadedGrid loaded = io.loadImage(entry.path);
  if (!loaded.ok()) return failed(std::move(result), FailureStage::Read, loaded.error);
  result.bytesIn = sizeOnDisk(entry.path);
  if (!mayWrite(result.target, policy, hooks)) return kept(std::move(result));

  PercentFilter percent(hooks.progress);
  // A batch writes the file and moves on: no rebuilt image.
  const EncodeResult encoded = encodeImageToFile(
      std::move(loaded.grid), codecParamsFrom(entry.settings), nativePath(result.target),
      {.keepRebuilt = false, .progress = percent.callback()});
  if (!encoded.ok()) {
    const FailureStage stage = encoded.status.error() == CodecError::FileWriteFailed
                                   ? FailureStage::Write
                                   : FailureStage::Encode;
    return failed(std::move(result), stage, codecError(entry.path, encoded.status));
  }
  percent.report(100);
  result.bytesOut = encoded.bytes.size();
  result.outcome = EntryOutcome::Converted;
  return result;
}

EntryResult decodeEntry(const ListEntry& entry, const BatchIo& io, OverwritePolicy policy,
                        const ConversionHooks& hooks, EntryResult result) {
  PercentFilter percent(hooks.progress);
  // One thread: the hooks are called on the run's own thread, and workers on every processor
  // leave none for a second one.
  const DecodeResult decoded = decodeImageFile(
      nativePath(entry.path), {.progress = percent.callback(), .threads = DecodeThreads::One});
  if (!decoded.ok()) {
    const bool unread = decoded.status.error() == CodecError::FileOpenFailed ||
                        decoded.status.error() == CodecError::FileReadFailed;
    return failed(std::move(result), unread ? FailureStage::Read : FailureStage::Decode,
                  codecError(entry.path, decoded.status));
  }
  percent.report(100);
  result.bytesIn = decoded.fileBytes;
  if (!mayWrite(result.target, policy, hooks)) return kept(std::move(result));

  std::string error = io.writeBitmap(result.target, decoded.image);
  if (!error.empty()) return failed(std::move(result), FailureStage::Write, std::move(error));
  result.bytesOut = sizeOnDisk(result.target);
  result.outcome = EntryOutcome::Converted;
  return result;
}

}  // namespace

QString conversionTarget(const QString& path) {
  const FileKind kind = classifyFile(path);
  if (kind == FileKind::Other) return {};
  // classifyFile found an extension, so there is a last ".".
  const qsizetype dot = findCharacter(path, u'.', SearchDirection::Backward);
  return path.left(dot) + QLatin1StringView(kind == FileKind::Bitmap ? ".tq1" : ".bmp");
}

EntryResult convertEntry(const ListEntry& entry, const BatchIo& io, OverwritePolicy policy,
                         const ConversionHooks& hooks) {
  EntryResult result;
  result.source = entry.path;
  const FileKind kind = classifyFile(entry.path);
  if (kind == FileKind::Other) {
    result.skipReason = SkipReason::NotAnImage;
    return result;
  }
  result.conversion = kind == FileKind::Bitmap ? Conversion::Encode : Conversion::Decode;
  result.target = conversionTarget(entry.path);
  if (policy == OverwritePolicy::Keep && fileExists(result.target)) return kept(std::move(result));
  try {
    return kind == FileKind::Bitmap ? encodeEntry(entry, io, policy, hooks, result)
                                    : decodeEntry(entry, io, policy, hooks, result);
  } catch (const std::bad_alloc&) {
    return failed(std::move(result), FailureStage::OutOfMemory,
                  entry.path.toStdString() + ": not enough memory to convert the file");
  }
}

}  // namespace tq1
