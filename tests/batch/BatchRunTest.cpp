// Batch runs: outputs byte-equal to direct codec and bitmap calls, visible failures, the
// overwrite rule, parallel runs equal to serial ones, reports, cancelling and empty lists.
#include "batch/BatchRun.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <map>
#include <stdexcept>
#include <thread>

#include "batch/EntryCodecParams.h"
#include "batch/ListFile.h"
#include "batch/QtBatchIo.h"
#include "codec/Codec.h"
#include "imagefile/BitmapFile.h"

namespace tq1 {
namespace {

// A gradient with a few sharp squares: blocks of every size, and colours that the quantiser
// and smoothing act on.
Grid testImage(std::uint32_t width, std::uint32_t height, std::uint32_t seed) {
  Grid grid(width, height);
  for (std::uint32_t x = 0; x < width; ++x) {
    for (std::uint32_t y = 0; y < height; ++y) {
      const bool square = ((x / 8 + y / 8 + seed) % 5) == 0;
      const std::uint32_t r = square ? 250 : (x * 5 + seed * 17) & 0xff;
      const std::uint32_t g = (y * 6 + seed * 31) & 0xff;
      const std::uint32_t b = square ? 10 : ((x + y) * 3) & 0xff;
      grid.at(x, y) = r | g << 8 | b << 16;
    }
  }
  return grid;
}

QByteArray readAll(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

void writeAll(const QString& path, const QByteArray& data) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
  ASSERT_EQ(file.write(data), data.size());
}

QByteArray asBytes(const std::vector<std::uint8_t>& bytes) {
  return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
}

// What the codec itself makes of `image` with these settings.
QByteArray encodedDirectly(const Grid& image, const EntrySettings& settings) {
  CodecContext context;
  EXPECT_TRUE(prepareForEncoding(context, image, codecParamsFrom(settings)).ok());
  EXPECT_TRUE(encodeToBytes(context).ok());
  return asBytes(context.stream);
}

// The bitmap file that decoding `tq1` and writing its pixels gives.
QByteArray decodedDirectly(const QByteArray& tq1) {
  CodecContext context;
  const auto* data = reinterpret_cast<const std::uint8_t*>(tq1.constData());
  EXPECT_TRUE(decodeBytes(context, {data, static_cast<std::size_t>(tq1.size())}).ok());
  auto bitmap = encodeBitmap(context.pixels);
  EXPECT_TRUE(bitmap.ok());
  return asBytes(bitmap.value);
}

// Records every report as a line, checks that reports come on the test's thread one at a
// time, and answers overwrite questions through `answer`.
class Recorder : public BatchReporter {
 public:
  void entryStarted(std::size_t index, const QString& path, std::size_t done,
                    std::size_t total) override {
    const Call call(*this);
    log.push_back(QString("start %1 %2 %3/%4").arg(index).arg(path).arg(done).arg(total));
  }
  void fileProgress(std::size_t index, unsigned percent) override {
    const Call call(*this);
    percents[index].push_back(percent);
  }
  bool confirmOverwrite(std::size_t index, const QString& target) override {
    const Call call(*this);
    log.push_back(QString("ask %1 %2").arg(index).arg(target));
    return answer(index);
  }
  void entryFinished(const EntryResult& result, std::size_t done, std::size_t total) override {
    const Call call(*this);
    log.push_back(QString("finish %1 %2 %3/%4")
                      .arg(result.index).arg(int(result.outcome)).arg(done).arg(total));
    if (onFinished) onFinished(result);
  }

  std::function<bool(std::size_t)> answer = [](std::size_t) { return false; };
  std::function<void(const EntryResult&)> onFinished;
  QStringList log;
  std::map<std::size_t, std::vector<unsigned>> percents;
  bool misbehaved = false;  // a call from another thread, or two calls at once

 private:
  struct Call {
    explicit Call(Recorder& r) : recorder(r) {
      if (r.inside_.exchange(true) || std::this_thread::get_id() != r.thread_) r.misbehaved = true;
    }
    ~Call() { recorder.inside_ = false; }
    Recorder& recorder;
  };
  std::atomic<bool> inside_{false};
  std::thread::id thread_ = std::this_thread::get_id();
};

class BatchRunTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(dir_.isValid()); }

  QString path(const QString& name) const { return dir_.filePath(name); }
  void makeBitmap(const QString& name, const Grid& grid) {
    ASSERT_TRUE(writeBitmapFile(path(name), grid).ok());
  }
  QByteArray makeTq1(const QString& name, const Grid& grid, const EntrySettings& settings) {
    const QByteArray bytes = encodedDirectly(grid, settings);
    writeAll(path(name), bytes);
    return bytes;
  }
  ListEntry entry(const QString& name, EntrySettings settings = {}) { return {path(name), settings}; }

  BatchSummary run(std::vector<ListEntry> entries, OverwritePolicy policy, unsigned jobs,
                   Recorder& recorder, BatchIo io = qtBatchIo()) {
    BatchRun batch(std::move(entries), std::move(io), BatchOptions{policy, jobs});
    return batch.run(recorder);
  }

  // Every file of the folder with its contents.
  std::map<QString, QByteArray> snapshot() const {
    std::map<QString, QByteArray> files;
    for (const QString& name : QDir(dir_.path()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden)) {
      files[name] = QFileInfo(path(name)).isDir() ? QByteArray("<folder>") : readAll(path(name));
    }
    return files;
  }
  void emptyFolder() {
    ASSERT_TRUE(QDir(dir_.path()).removeRecursively());
    ASSERT_TRUE(QDir().mkpath(dir_.path()));
  }

  QTemporaryDir dir_;
};

std::vector<EntryOutcome> outcomes(const BatchSummary& summary) {
  std::vector<EntryOutcome> list;
  for (const EntryResult& result : summary.results) list.push_back(result.outcome);
  return list;
}

TEST(ConversionTarget, CutsAtTheLastDotAndAddsTheOtherExtension) {
  EXPECT_EQ(conversionTarget("/p/PHOTO.BMP"), "/p/PHOTO.tq1");
  EXPECT_EQ(conversionTarget("/p/x.tq1.bmp"), "/p/x.tq1.tq1");
  EXPECT_EQ(conversionTarget("/p.q/a.b.Tq1"), "/p.q/a.b.bmp");
  EXPECT_EQ(conversionTarget("/p/list.lst"), "");
  EXPECT_EQ(conversionTarget("/p.bmp/photo"), "");
}

TEST_F(BatchRunTest, ConvertsAMixedListAndReportsEachFailureWithItsCause) {
  const EntrySettings coarse{12, 40, 5, 6, 4, 0}, fine{0, 0, 8, 8, 8, 1}, none{};
  const Grid a = testImage(48, 40, 1), b = testImage(17, 1, 2), c = testImage(33, 21, 3);
  makeBitmap("a.bmp", a);
  makeBitmap("B.BMP", b);
  const QByteArray cTq1 = makeTq1("c.tq1", c, coarse);
  writeAll(path("notes.txt"), "text");
  writeAll(path("damaged.tq1"), cTq1.left(cTq1.size() / 2));
  makeBitmap("d.bmp", a);
  ASSERT_TRUE(QDir(dir_.path()).mkdir("d.tq1"));  // a folder stands where the target goes
  makeTq1("e.tq1", b, fine);
  ASSERT_TRUE(QDir(dir_.path()).mkdir("e.bmp"));
  const std::vector<ListEntry> list{entry("a.bmp", coarse), entry("B.BMP", fine),
                                    entry("c.tq1", none),    entry("notes.txt"),
                                    entry("missing.bmp"),    entry("damaged.tq1"),
                                    entry("d.bmp", fine),    entry("e.tq1")};
  const auto before = snapshot();

  Recorder recorder;
  const BatchSummary summary = run(list, OverwritePolicy::Replace, 1, recorder);

  using O = EntryOutcome;
  EXPECT_EQ(outcomes(summary), (std::vector<O>{O::Converted, O::Converted, O::Converted, O::Skipped,
                                               O::Failed, O::Failed, O::Failed, O::Failed}));
  const auto& r = summary.results;
  EXPECT_EQ(r[3].skipReason, SkipReason::NotAnImage);
  EXPECT_EQ(r[4].failureStage, FailureStage::Read);
  EXPECT_EQ(r[5].failureStage, FailureStage::Decode);
  EXPECT_EQ(r[6].failureStage, FailureStage::Write);
  EXPECT_EQ(r[7].failureStage, FailureStage::Write);
  for (std::size_t k = 4; k < 8; ++k) {
    // The message names the source or the target.
    const QString stem = path(QFileInfo(list[k].path).baseName() + ".");
    EXPECT_NE(r[k].error.find(stem.toStdString()), std::string::npos) << r[k].error;
  }
  // Each entry with its own settings, byte for byte as the codec and the writer make them.
  EXPECT_EQ(readAll(path("a.tq1")), encodedDirectly(a, coarse));
  EXPECT_EQ(readAll(path("B.tq1")), encodedDirectly(b, fine));
  EXPECT_EQ(readAll(path("c.bmp")), decodedDirectly(cTq1));
  // Failures leave nothing behind, not even temporary files; sources stay as they were.
  auto after = snapshot();
  for (const char* made : {"a.tq1", "B.tq1", "c.bmp"}) EXPECT_EQ(after.erase(made), 1u);
  EXPECT_EQ(after, before);

  EXPECT_EQ(summary.total, 8u);
  EXPECT_EQ(summary.done, 7u);  // everything but the text file
  EXPECT_EQ(summary.converted, 3u);
  EXPECT_EQ(summary.skipped, 1u);
  EXPECT_EQ(summary.failed, 4u);
  EXPECT_FALSE(summary.cancelled);
  auto size = [&](const char* name) { return std::uint64_t(QFileInfo(path(name)).size()); };
  EXPECT_EQ(summary.bytesIn, size("a.bmp") + size("B.BMP") + size("c.tq1"));
  EXPECT_EQ(summary.bytesOut, size("a.tq1") + size("B.tq1") + size("c.bmp"));
}

TEST_F(BatchRunTest, FailsToWriteIntoAReadOnlyFolder) {
  if (geteuid() == 0) GTEST_SKIP() << "folder permissions do not bind root";
  ASSERT_TRUE(QDir(dir_.path()).mkdir("ro"));
  makeBitmap("ro/f.bmp", testImage(8, 8, 4));
  ASSERT_TRUE(QFile::setPermissions(path("ro"), QFile::ReadOwner | QFile::ExeOwner));
  Recorder recorder;
  const BatchSummary summary = run({entry("ro/f.bmp")}, OverwritePolicy::Ask, 1, recorder);
  QFile::setPermissions(path("ro"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  ASSERT_EQ(summary.results.size(), 1u);
  EXPECT_EQ(summary.results[0].failureStage, FailureStage::Write);
  EXPECT_FALSE(QFileInfo::exists(path("ro/f.tq1")));
}

TEST_F(BatchRunTest, ExistingTargetsAreReplacedOnlyWhenAllowed) {
  const Grid p = testImage(20, 12, 5);
  makeBitmap("p.bmp", p);
  const QByteArray qTq1 = makeTq1("q.tq1", testImage(9, 30, 6), {3, 9, 7, 7, 7, 0});
  writeAll(path("r.tq1"), "not a tq1 file");
  const std::vector<ListEntry> list{entry("p.bmp"), entry("q.tq1"), entry("r.tq1")};
  auto putOldTargets = [&] {
    for (const char* name : {"p.tq1", "q.bmp", "r.bmp"}) writeAll(path(name), "old");
  };
  std::atomic<int> loads = 0;
  BatchIo countingIo = qtBatchIo();
  countingIo.loadImage = [&, load = countingIo.loadImage](const QString& file) {
    ++loads;
    return load(file);
  };

  for (const bool yes : {false, true}) {
    putOldTargets();
    Recorder recorder;
    recorder.answer = [yes](std::size_t) { return yes; };
    const BatchSummary summary = run(list, OverwritePolicy::Ask, 1, recorder);
    // Asked for p and q (after q was decoded), never for the damaged r.
    EXPECT_EQ(recorder.log.filter("ask"),
              (QStringList{"ask 0 " + path("p.tq1"), "ask 1 " + path("q.bmp")}));
    EXPECT_EQ(readAll(path("p.tq1")), yes ? encodedDirectly(p, {}) : QByteArray("old"));
    EXPECT_EQ(readAll(path("q.bmp")), yes ? decodedDirectly(qTq1) : QByteArray("old"));
    EXPECT_EQ(readAll(path("r.bmp")), "old");
    EXPECT_EQ(summary.results[0].skipReason, yes ? SkipReason::None : SkipReason::TargetKept);
    EXPECT_EQ(summary.results[2].outcome, EntryOutcome::Failed);
    EXPECT_EQ(summary.done, 3u);  // a declined overwrite still counts as done
  }

  putOldTargets();
  Recorder replacing;
  run(list, OverwritePolicy::Replace, 1, replacing);
  EXPECT_TRUE(replacing.log.filter("ask").isEmpty());
  EXPECT_EQ(readAll(path("p.tq1")), encodedDirectly(p, {}));
  EXPECT_EQ(readAll(path("q.bmp")), decodedDirectly(qTq1));

  putOldTargets();
  Recorder keeping;
  const BatchSummary kept = run(list, OverwritePolicy::Keep, 1, keeping, countingIo);
  EXPECT_TRUE(keeping.log.filter("ask").isEmpty());
  EXPECT_EQ(loads, 0);                     // kept targets spare reading their sources
  EXPECT_TRUE(keeping.percents.empty());  // and decoding them
  for (const EntryResult& result : kept.results) EXPECT_EQ(result.skipReason, SkipReason::TargetKept);
  EXPECT_EQ(snapshot().at("p.tq1"), "old");
}

// A list whose entries depend on one another (each reads what an earlier one writes, one
// under another spelling of the same path), duplicates, failures and questions.
TEST_F(BatchRunTest, ParallelRunLeavesTheSameFilesAndReportsAsASerialRun) {
  auto setUp = [&] {
    emptyFolder();
    makeTq1("x.tq1", testImage(40, 40, 7), {4, 20, 6, 6, 6, 0});
    for (int i = 0; i < 6; ++i) makeBitmap(QString("i%1.bmp").arg(i), testImage(30 + i, 25, i));
    for (int j = 0; j < 3; ++j) makeTq1(QString("j%1.tq1").arg(j), testImage(25, 30 + j, j), {});
    makeBitmap("j1.bmp", testImage(2, 2, 0));  // an existing target: a question
    makeBitmap("dup.bmp", testImage(50, 10, 8));
    writeAll(path("damaged.tq1"), "TQ");
  };
  const std::vector<ListEntry> list{
      entry("x.tq1"), entry("i0.bmp", {9, 0, 8, 8, 8, 1}), entry("./x.bmp", {5, 10, 6, 6, 6, 2}),
      entry("i1.bmp", {1, 50, 3, 4, 5, 3}), entry("x.tq1"), entry("j0.tq1"), entry("missing.bmp"),
      entry("dup.bmp", {0, 0, 2, 2, 2, 7}), entry("i2.bmp"), entry("dup.bmp", {20, 0, 8, 8, 8, 9}),
      entry("j1.tq1"), entry("damaged.tq1"), entry("i3.bmp"), entry("notes.txt"), entry("i4.bmp"),
      entry("j2.tq1"), entry("i5.bmp"), entry("dup.bmp", {30, 100, 8, 8, 8, 15})};
  // Writing x.bmp slowly makes a worker that did not wait for it read the old file or none.
  BatchIo slowIo = qtBatchIo();
  slowIo.writeBitmap = [write = slowIo.writeBitmap](const QString& file, const Grid& grid) {
    if (file.endsWith("x.bmp")) std::this_thread::sleep_for(std::chrono::milliseconds(80));
    return write(file, grid);
  };
  auto runWith = [&](unsigned jobs, Recorder& recorder) {
    setUp();
    recorder.answer = [](std::size_t index) { return index % 3 != 0; };
    const BatchSummary summary = run(list, OverwritePolicy::Ask, jobs, recorder, slowIo);
    EXPECT_FALSE(recorder.misbehaved);
    return std::pair(summary, snapshot());
  };

  Recorder serial, parallel;
  const auto [serialSummary, serialFiles] = runWith(1, serial);
  const auto [parallelSummary, parallelFiles] = runWith(4, parallel);
  EXPECT_EQ(serialSummary.results.at(2).outcome, EntryOutcome::Converted);  // read x.bmp of entry 0
  EXPECT_EQ(serialSummary.results.at(9).outcome, EntryOutcome::Skipped);    // index 9 answered no
  EXPECT_EQ(serial.log.filter("ask").size(), 5);
  EXPECT_EQ(parallel.log, serial.log);
  EXPECT_EQ(parallelFiles, serialFiles);
  ASSERT_EQ(parallelSummary.results.size(), serialSummary.results.size());
  for (std::size_t k = 0; k < list.size(); ++k) {
    const EntryResult &s = serialSummary.results[k], &p = parallelSummary.results[k];
    EXPECT_EQ(std::tie(p.index, p.outcome, p.skipReason, p.failureStage, p.error, p.bytesOut),
              std::tie(s.index, s.outcome, s.skipReason, s.failureStage, s.error, s.bytesOut))
        << "entry " << k;
  }
}

TEST_F(BatchRunTest, ReportsDoneAndTotalAndRisingPercentagesPerFile) {
  makeBitmap("big.bmp", testImage(96, 80, 9));
  makeTq1("small.tq1", testImage(12, 7, 10), {8, 30, 5, 5, 5, 0});
  makeBitmap("other.bmp", testImage(1, 9, 11));
  const std::vector<ListEntry> list{entry("big.bmp"), entry("list.lst"), entry("small.tq1"),
                                    entry("other.bmp", {50, 150, 0, 1, 8, 3})};
  for (const unsigned jobs : {1u, 3u}) {
    Recorder recorder;
    run(list, OverwritePolicy::Replace, jobs, recorder);
    EXPECT_EQ(recorder.log, (QStringList{
        "start 0 " + path("big.bmp") + " 0/4",   "finish 0 0 1/4",
        "start 1 " + path("list.lst") + " 1/4",  "finish 1 1 1/4",
        "start 2 " + path("small.tq1") + " 1/4", "finish 2 0 2/4",
        "start 3 " + path("other.bmp") + " 2/4", "finish 3 0 3/4"}));
    EXPECT_EQ(recorder.percents.count(1), 0u);
    for (const auto& [index, percents] : recorder.percents) {
      ASSERT_FALSE(percents.empty());
      EXPECT_EQ(std::adjacent_find(percents.begin(), percents.end(), std::greater_equal<>()),
                percents.end())
          << "entry " << index;
      EXPECT_EQ(percents.back(), 100u);
    }
    if (jobs == 1) EXPECT_GT(recorder.percents[0].size(), 3u);  // the big file moves on its way
  }
}

TEST_F(BatchRunTest, LeavesTheListFileAsItWasAndAnEmptyListReportsNothing) {
  makeBitmap("a.bmp", testImage(10, 10, 12));
  const std::vector<ListEntry> list{entry("a.bmp", {5, 5, 5, 5, 5, 0}), entry("saved.lst")};
  ASSERT_TRUE(writeListFile(path("saved.lst"), list).ok());
  const QByteArray stored = readAll(path("saved.lst"));
  const ListReadResult read = readListFile(path("saved.lst"), {});
  Recorder recorder;
  const BatchSummary summary = run(read.entries, OverwritePolicy::Replace, 2, recorder);
  EXPECT_EQ(summary.converted, 1u);
  EXPECT_EQ(readAll(path("saved.lst")), stored);

  for (const unsigned jobs : {1u, 4u}) {
    Recorder quiet;
    const BatchSummary empty = run({}, OverwritePolicy::Ask, jobs, quiet);
    EXPECT_TRUE(quiet.log.isEmpty());
    EXPECT_TRUE(empty.results.empty());
    EXPECT_EQ(empty.total + empty.done + empty.failed, 0u);
    EXPECT_FALSE(empty.cancelled);
  }
}

TEST_F(BatchRunTest, CancelStopsBeforeTheNextFileAndReportsWhatRan) {
  std::vector<ListEntry> list;
  for (int i = 0; i < 8; ++i) {
    makeBitmap(QString("c%1.bmp").arg(i), testImage(16, 16, i));
    list.push_back(entry(QString("c%1.bmp").arg(i)));
  }
  for (const unsigned jobs : {1u, 3u}) {
    emptyFolder();
    for (int i = 0; i < 8; ++i) makeBitmap(QString("c%1.bmp").arg(i), testImage(16, 16, i));
    BatchRun batch(list, qtBatchIo(), BatchOptions{OverwritePolicy::Ask, jobs});
    Recorder recorder;
    recorder.onFinished = [&](const EntryResult& result) {
      if (result.index == 1) batch.cancel();
    };
    const BatchSummary summary = batch.run(recorder);
    if (jobs == 1) EXPECT_EQ(summary.results.size(), 2u);
    EXPECT_GE(summary.results.size(), 2u);
    EXPECT_EQ(summary.cancelled, summary.results.size() < list.size());
    // The entries that ran are a prefix of the list, and only they wrote anything.
    for (std::size_t k = 0; k < list.size(); ++k) {
      const bool ran = k < summary.results.size();
      if (ran) EXPECT_EQ(summary.results[k].index, k);
      EXPECT_EQ(QFileInfo::exists(path(QString("c%1.tq1").arg(k))), ran) << "entry " << k;
    }
  }
}

TEST_F(BatchRunTest, AReporterThatThrowsEndsTheRunWithoutLeavingWorkersBehind) {
  std::vector<ListEntry> list;
  for (int i = 0; i < 6; ++i) {
    makeBitmap(QString("t%1.bmp").arg(i), testImage(12, 12, i));
    writeAll(path(QString("t%1.tq1").arg(i)), "old");
    list.push_back(entry(QString("t%1.bmp").arg(i)));
  }
  for (const unsigned jobs : {1u, 3u}) {
    Recorder recorder;
    recorder.answer = [](std::size_t index) -> bool {
      if (index == 1) throw std::runtime_error("stop");
      return false;
    };
    EXPECT_THROW(run(list, OverwritePolicy::Ask, jobs, recorder), std::runtime_error);
    EXPECT_EQ(readAll(path("t1.tq1")), "old");
  }
}

}  // namespace
}  // namespace tq1
