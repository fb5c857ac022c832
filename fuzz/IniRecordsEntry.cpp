// Fuzz entry: arbitrary bytes as the contents of tq1.ini, read through the ini document, the
// record text form and the settings store, then edited the way the program edits it.
#include <QFile>
#include <QTemporaryDir>

#include <array>
#include <optional>

#include "fuzz/FuzzEntries.h"
#include "settings/IniDocument.h"
#include "settings/SettingsStore.h"
#include "settings/StructText.h"

namespace tq1::fuzz {

namespace {

const std::vector<RecordPlace> kRecords = storedRecordPlaces();

using Record = std::optional<std::vector<std::uint8_t>>;

Record recordIn(const IniDocument& document, const RecordPlace& k) {
  const auto text = document.value(k.section, k.key);
  if (!text) return std::nullopt;
  return decodeStructText(*text, k.size);
}

// A folder of this process for the settings file, created at first use.
const QString& scratchIniPath() {
  static QTemporaryDir dir(QFile::exists("/dev/shm") ? QStringLiteral("/dev/shm/tq1-fuzz-XXXXXX")
                                                     : QString());
  static const QString path = dir.filePath(QStringLiteral("tq1.ini"));
  return path;
}

bool writeFile(const QString& path, std::span<const std::uint8_t> data) {
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return false;
  return file.write(reinterpret_cast<const char*>(data.data()),
                    static_cast<qint64>(data.size())) == static_cast<qint64>(data.size());
}

QByteArray readFile(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

std::string checkDocument(const QByteArray& content) {
  const IniDocument document = IniDocument::parse(content);
  if (document.serialise() != content) return "an unchanged document is not written byte for byte";

  for (const RecordPlace& k : kRecords) {
    const Record record = recordIn(document, k);
    if (!record) continue;
    // Only the case of the digits may differ between a stored record and a fresh write.
    if (encodeStructText(*record) != document.value(k.section, k.key)->toUpper()) {
      return "a record that reads back does not match its own text";
    }
  }

  // Changing one record changes nothing else, and survives writing and reading back.
  const std::array<std::uint8_t, kPositionRecordSize> place =
      positionToBytes(CapturePosition(-7, 300, 640, 480, false, true));
  IniDocument edited = document;
  edited.setValue("Position", "List", encodeStructText(place));
  const IniDocument reread = IniDocument::parse(edited.serialise());
  for (const RecordPlace& k : kRecords) {
    const Record expected = k.key == "List" ? Record(std::vector(place.begin(), place.end()))
                                            : recordIn(document, k);
    if (recordIn(edited, k) != expected || recordIn(reread, k) != expected) {
      return "editing one record damaged another, or did not store itself";
    }
  }
  return {};
}

std::string checkStore(std::span<const std::uint8_t> data, const QByteArray& content) {
  const QString& path = scratchIniPath();
  if (!writeFile(path, data)) return {};
  const SettingsStore store(path);
  const IniDocument document = IniDocument::parse(content);

  for (const RecordPlace& k : kRecords) {
    if (store.readRecord(k.section, k.key, k.size) != recordIn(document, k)) {
      return "the store and the document disagree on a record";
    }
  }
  const Record list = recordIn(document, kRecords[5]);
  const PositionRecord expectedList =
      list ? *positionFromBytes(*list) : kMissingPosition;
  if (store.ReadPosition(WindowKey::List) != expectedList) return "ReadPosition misreads";

  // A write edits exactly its own line and keeps the rest of the file.
  const PositionRecord place = CapturePosition(12, -34, 56, 78, true, false);
  if (!store.WritePosition(WindowKey::Dirlist, place)) return "a position cannot be written";
  IniDocument expected = document;
  expected.setValue("Position", "Dirlist", encodeStructText(positionToBytes(place)));
  if (readFile(path) != expected.serialise()) return "writing a position changed other lines";
  if (store.ReadPosition(WindowKey::Dirlist) != place) return "a written position reads back wrong";

  // A valid settings record is read as stored; any other makes both records the factory one.
  const Record settings = recordIn(document, kRecords[0]);
  const SettingsRecord read = store.ReadSettings();
  if (settings && read != *settingsFromBytes(*settings)) return "a stored settings record misread";
  if (!settings && (read != factorySettings() || store.ReadDefaults() != factorySettings())) {
    return "a damaged settings record did not reset both records";
  }
  return {};
}

}  // namespace

std::string readIniRecords(std::span<const std::uint8_t> data) {
  const QByteArray content(reinterpret_cast<const char*>(data.data()),
                           static_cast<qsizetype>(data.size()));
  if (std::string problem = checkDocument(content); !problem.empty()) return problem;
  return checkStore(data, content);
}

}  // namespace tq1::fuzz
