// The "Сохранение..." window of a batch run: the file being converted, how many files are
// done out of how many, and a progress bar for the current file. It has a caption but no
// buttons, and refuses to be closed while the run needs it.
#pragma once

#include <QWidget>

class QLabel;
class QProgressBar;

namespace tq1::ui {

class ElidedLabel;

class ProgressWindow final : public QWidget {
  Q_OBJECT

 public:
  ProgressWindow();

  void setTotal(std::size_t total);
  void setDone(std::size_t done);
  void setCurrentFile(const QString& path);
  // The current file's percentage on the bar.
  void setPercent(unsigned percent);
  // The current file's percentage as the window title ("37%"), for a minimised window.
  void setPercentInTitle(unsigned percent);
  // Lets the window close; until then a close request is refused.
  void allowClosing() { closable_ = true; }

  [[nodiscard]] QString currentFile() const;
  [[nodiscard]] QString doneText() const;
  [[nodiscard]] QString totalText() const;
  [[nodiscard]] QProgressBar* bar() const noexcept { return bar_; }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  ElidedLabel* file_;
  QLabel* done_;
  QLabel* total_;
  QProgressBar* bar_;
  bool closable_ = false;
};

// The title of the window before a percentage is shown in it.
[[nodiscard]] QString progressWindowTitle();

}  // namespace tq1::ui
