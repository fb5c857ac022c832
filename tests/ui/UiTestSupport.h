// Shared pieces of the desktop program's tests: a main that keeps every test away from the
// user's own settings, file dialogs and message boxes that answer from a script, and images.
#pragma once

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

#include <deque>
#include <optional>
#include <vector>

#include "batch/FileChooser.h"
#include "ui/AppServices.h"
#include "ui/MessageBoxes.h"

namespace tq1::testing {

// Answers file dialogs from a queue; an empty queue or an empty answer cancels. Every request
// is kept for inspection.
class ScriptedFileChooser final : public FileChooser {
 public:
  std::deque<QString> answers;
  std::vector<FileDialogRequest> requests;

  std::optional<QString> chooseOpenFile(const FileDialogRequest& request) override {
    return next(request);
  }
  QStringList chooseOpenFiles(const FileDialogRequest& request) override {
    const std::optional<QString> answer = next(request);
    return answer ? QStringList{*answer} : QStringList{};
  }
  std::optional<QString> chooseSaveFile(const FileDialogRequest& request) override {
    return next(request);
  }

 private:
  std::optional<QString> next(const FileDialogRequest& request) {
    requests.push_back(request);
    if (answers.empty()) return std::nullopt;
    const QString answer = answers.front();
    answers.pop_front();
    if (answer.isEmpty()) return std::nullopt;
    return answer;
  }
};

// Records the boxes that would have been shown.
class RecordingMessageBoxes final : public ui::MessageBoxes {
 public:
  QStringList informations;
  QStringList errors;

  void information(QWidget*, const QString& text) override { informations.append(text); }
  void error(QWidget*, const QString& text) override { errors.append(text); }
};

// Services over a settings file in a fresh temporary folder, with scripted dialogs, a
// recorded document opener and a notification area that tests switch on and off.
struct TestServices {
  QTemporaryDir folder;
  ScriptedFileChooser files;
  RecordingMessageBoxes messages;
  QList<QUrl> openedUrls;
  bool openUrlSucceeds = true;
  bool trayAvailable = false;
  ui::AppServices services;

  TestServices() {
    services.settings = SettingsStore(folder.filePath(QStringLiteral("tq1.ini")));
    services.files = &files;
    services.messages = &messages;
    services.openUrl = [this](const QUrl& url) {
      openedUrls.append(url);
      return openUrlSucceeds;
    };
    services.trayAvailable = [this] { return trayAvailable; };
    services.startDirectory = folder.path();
    services.programDirectory = folder.filePath(QStringLiteral("program"));
  }

  [[nodiscard]] QString path(const QString& name) const { return folder.filePath(name); }
  [[nodiscard]] const SettingsStore& settings() const { return services.settings; }
};

// An image whose every pixel differs from its neighbours in a way the codec cannot flatten
// without loss, so that coding parameters make a visible difference.
inline QImage patternImage(int width, int height) {
  QImage image(width, height, QImage::Format_RGB32);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      image.setPixel(x, y,
                     qRgb((x * 7 + y * 3) & 0xff, (x * x + y * 5) & 0xff, (x ^ y) * 9 & 0xff));
    }
  }
  return image;
}

inline QByteArray fileBytes(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return file.readAll();
}

}  // namespace tq1::testing

// A main for a Qt Test class that points the settings at a temporary folder before anything
// can read them and runs without a display unless one is asked for.
#define TQ1_UI_TEST_MAIN(TestClass)                                          \
  int main(int argc, char** argv) {                                          \
    QTemporaryDir configHome;                                                \
    qputenv("XDG_CONFIG_HOME", configHome.path().toLocal8Bit());             \
    qputenv("XDG_DATA_HOME", configHome.filePath("data").toLocal8Bit());     \
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {                    \
      qputenv("QT_QPA_PLATFORM", "offscreen");                               \
    }                                                                        \
    QCoreApplication::setApplicationName(QStringLiteral("tq1"));            \
    QApplication app(argc, argv);                                            \
    TestClass test;                                                          \
    return QTest::qExec(&test, argc, argv);                                  \
  }
