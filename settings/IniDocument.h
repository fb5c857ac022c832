// An ini file held as its lines, so that changing one key leaves every other line, comment
// and section byte for byte as it was.
#pragma once

#include <optional>
#include <vector>

#include <QByteArray>
#include <QByteArrayView>

namespace tq1 {

// Section and key names compare without regard to ASCII case, and the first matching
// section and key count, as in the usual ini conventions; values are returned trimmed.
class IniDocument {
 public:
  IniDocument() = default;
  [[nodiscard]] static IniDocument parse(QByteArrayView content);
  [[nodiscard]] QByteArray serialise() const;

  [[nodiscard]] std::optional<QByteArray> value(QByteArrayView section,
                                                QByteArrayView key) const;
  // Replaces the key's line in place, or adds it at the end of its section, or adds the
  // section at the end of the document.
  void setValue(QByteArrayView section, QByteArrayView key, QByteArrayView value);

 private:
  struct SectionSpan {
    std::size_t header;  // index of the "[name]" line
    std::size_t end;     // one past its last line
  };

  [[nodiscard]] std::optional<SectionSpan> findSection(QByteArrayView section) const;
  [[nodiscard]] std::optional<std::size_t> findKey(const SectionSpan& span,
                                                   QByteArrayView key) const;
  [[nodiscard]] QByteArray makeLine(QByteArrayView text) const;

  std::vector<QByteArray> lines_;  // without the '\n'; a '\r' of CRLF files stays on the line
  bool crlf_ = false;              // new lines follow the file's own line ending
  bool finalNewline_ = true;
};

}  // namespace tq1
