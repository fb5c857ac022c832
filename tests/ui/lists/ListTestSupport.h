// Shared pieces of the batch list tests: scripted answers for the list's own message boxes
// and the folder chooser, list services over a test environment, and image files.
#pragma once

#include <QDir>
#include <QFile>
#include <QSignalSpy>

#include <deque>
#include <functional>
#include <optional>

#include "../UiTestSupport.h"
#include "batch/EntryCodecParams.h"
#include "batch/QtBatchIo.h"
#include "codec/Codec.h"
#include "imagefile/BitmapFile.h"
#include "imagefile/GridImage.h"
#include "ui/CodecOptionsDialog.h"
#include "ui/lists/DirectoryChooser.h"
#include "ui/lists/ListMessageBoxes.h"
#include "ui/lists/ListServices.h"

namespace tq1::testing {

// Records warnings; answers questions from a queue (Yes when it is empty).
class ScriptedListBoxes final : public ui::ListMessageBoxes {
 public:
  QStringList warnings;
  QStringList questions;
  std::deque<bool> answers;
  std::function<void()> onQuestion;  // runs while the question is open

  void warning(const QString& text) override { warnings.append(text); }
  bool question(const QString& text) override {
    questions.append(text);
    if (onQuestion) onQuestion();
    if (answers.empty()) return true;
    const bool answer = answers.front();
    answers.pop_front();
    return answer;
  }
};

// Answers the folder dialog from a queue; an empty queue or an empty answer gives nothing.
class ScriptedDirectories final : public ui::DirectoryChooser {
 public:
  std::deque<QString> answers;
  int asked = 0;

  std::optional<QString> chooseDirectory() override {
    ++asked;
    if (answers.empty()) return std::nullopt;
    const QString answer = answers.front();
    answers.pop_front();
    if (answer.isEmpty()) return std::nullopt;
    return answer;
  }
};

// Answers file dialogs from a queue of lists of files, so that a test can pick several files
// at once; an empty queue or an empty list cancels. Every request is kept.
class MultiFileChooser final : public FileChooser {
 public:
  std::deque<QStringList> answers;
  std::vector<FileDialogRequest> requests;

  std::optional<QString> chooseOpenFile(const FileDialogRequest& request) override {
    const QStringList files = next(request);
    return files.isEmpty() ? std::nullopt : std::optional<QString>(files.first());
  }
  QStringList chooseOpenFiles(const FileDialogRequest& request) override { return next(request); }
  std::optional<QString> chooseSaveFile(const FileDialogRequest& request) override {
    return chooseOpenFile(request);
  }

 private:
  QStringList next(const FileDialogRequest& request) {
    requests.push_back(request);
    if (answers.empty()) return {};
    QStringList files = answers.front();
    answers.pop_front();
    return files;
  }
};

// Test services plus the list's own: the kept list in the test folder, the real codec
// options dialog unless a test replaces editCodecValues.
struct ListTestServices : TestServices {
  ScriptedListBoxes boxes;
  ScriptedDirectories directories;
  MultiFileChooser chooser;
  ui::ListServices list;

  ListTestServices() {
    services.files = &chooser;
    list.app = &services;
    list.boxes = &boxes;
    list.directories = &directories;
    list.editCodecValues = [this](const ui::ListCodecValues& values, QWidget* owner) {
      return ui::editListCodecValues(settings(), values, owner);
    };
    list.io = qtBatchIo();
    list.temporaryList = path(QStringLiteral("kept/tmp.lst"));
    QDir().mkpath(path(QStringLiteral("kept")));
  }

  // The settings record with these codec values; new entries take them.
  void setDefaults(int quality, int smoothing, int red, int green, int blue) const {
    SettingsRecord record = settings().ReadSettings();
    record.quality = quality;
    record.smoothing = smoothing;
    record.bitsRed = red;
    record.bitsGreen = green;
    record.bitsBlue = blue;
    settings().WriteSettings(record);
  }
  void setSwitches(bool overwriteWithoutAsking, bool minimiseWhileConverting) const {
    SettingsRecord record = settings().ReadSettings();
    record.overwriteWithoutAsking = overwriteWithoutAsking ? 1 : 0;
    record.minimiseWhileConverting = minimiseWhileConverting ? 1 : 0;
    settings().WriteSettings(record);
  }
};

// The image's pixels as the codec sees them.
inline Grid gridOf(const QImage& image) { return gridFromImage(image).value; }

inline bool writeBitmap(const QString& path, const QImage& image) {
  return writeBitmapFile(path, gridOf(image)).ok();
}

inline bool writeBytes(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

// What the codec makes of `image` with `settings`.
inline QByteArray encodedDirectly(const QImage& image, const EntrySettings& settings) {
  CodecContext context;
  if (!prepareForEncoding(context, gridOf(image), codecParamsFrom(settings)).ok()) return {};
  if (!encodeToBytes(context).ok()) return {};
  return QByteArray(reinterpret_cast<const char*>(context.stream.data()),
                    static_cast<qsizetype>(context.stream.size()));
}

// The bitmap file that decoding `tq1` and writing its pixels gives, through a scratch file.
inline QByteArray decodedDirectly(const QByteArray& tq1, const QString& scratch) {
  CodecContext context;
  const auto* data = reinterpret_cast<const std::uint8_t*>(tq1.constData());
  if (!decodeBytes(context, {data, static_cast<std::size_t>(tq1.size())}).ok()) return {};
  if (!writeBitmapFile(scratch, context.pixels).ok()) return {};
  return fileBytes(scratch);
}

}  // namespace tq1::testing
