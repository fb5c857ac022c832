// Line-preserving ini parsing and editing.
#include "settings/IniDocument.h"

namespace tq1 {
namespace {

char asciiLower(char c) noexcept { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; }

bool sameName(QByteArrayView a, QByteArrayView b) noexcept {
  if (a.size() != b.size()) return false;
  for (qsizetype i = 0; i < a.size(); ++i) {
    if (asciiLower(a[i]) != asciiLower(b[i])) return false;
  }
  return true;
}

QByteArrayView withoutCr(QByteArrayView line) noexcept {
  return line.endsWith('\r') ? line.chopped(1) : line;
}

// The name of a "[name]" line, or nothing for any other line.
std::optional<QByteArrayView> sectionName(QByteArrayView line) noexcept {
  const QByteArrayView text = withoutCr(line).trimmed();
  if (!text.startsWith('[')) return std::nullopt;
  const qsizetype close = text.indexOf(']');
  const QByteArrayView name = close < 0 ? text.sliced(1) : text.sliced(1, close - 1);
  return name.trimmed();
}

struct KeyLine {
  QByteArrayView key;
  QByteArrayView value;
};

// The key and value of a "key=value" line; comments and other lines give nothing.
std::optional<KeyLine> keyLine(QByteArrayView line) noexcept {
  const QByteArrayView text = withoutCr(line).trimmed();
  if (text.isEmpty() || text.startsWith(';') || text.startsWith('#')) return std::nullopt;
  const qsizetype eq = text.indexOf('=');
  if (eq < 0) return std::nullopt;
  return KeyLine{text.first(eq).trimmed(), text.sliced(eq + 1).trimmed()};
}

bool isBlank(QByteArrayView line) noexcept { return withoutCr(line).trimmed().isEmpty(); }

}  // namespace

IniDocument IniDocument::parse(QByteArrayView content) {
  IniDocument doc;
  if (content.isEmpty()) return doc;
  doc.finalNewline_ = content.endsWith('\n');
  if (doc.finalNewline_) content.chop(1);
  qsizetype start = 0;
  while (true) {
    const qsizetype nl = content.indexOf('\n', start);
    const qsizetype end = nl < 0 ? content.size() : nl;
    doc.lines_.emplace_back(content.sliced(start, end - start).toByteArray());
    if (nl < 0) break;
    start = nl + 1;
  }
  doc.crlf_ = !doc.lines_.empty() && doc.lines_.front().endsWith('\r');
  return doc;
}

QByteArray IniDocument::serialise() const {
  QByteArray out;
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    if (i > 0) out.append('\n');
    out.append(lines_[i]);
  }
  if (!lines_.empty() && finalNewline_) out.append('\n');
  return out;
}

std::optional<IniDocument::SectionSpan> IniDocument::findSection(QByteArrayView section) const {
  for (std::size_t i = 0; i < lines_.size(); ++i) {
    const auto name = sectionName(lines_[i]);
    if (!name || !sameName(*name, section)) continue;
    std::size_t end = i + 1;
    while (end < lines_.size() && !sectionName(lines_[end])) ++end;
    return SectionSpan{i, end};
  }
  return std::nullopt;
}

std::optional<std::size_t> IniDocument::findKey(const SectionSpan& span,
                                                QByteArrayView key) const {
  for (std::size_t i = span.header + 1; i < span.end; ++i) {
    const auto entry = keyLine(lines_[i]);
    if (entry && sameName(entry->key, key)) return i;
  }
  return std::nullopt;
}

QByteArray IniDocument::makeLine(QByteArrayView text) const {
  QByteArray line = text.toByteArray();
  if (crlf_) line.append('\r');
  return line;
}

std::optional<QByteArray> IniDocument::value(QByteArrayView section, QByteArrayView key) const {
  const auto span = findSection(section);
  if (!span) return std::nullopt;
  const auto index = findKey(*span, key);
  if (!index) return std::nullopt;
  return keyLine(lines_[*index])->value.toByteArray();
}

void IniDocument::setValue(QByteArrayView section, QByteArrayView key, QByteArrayView value) {
  const QByteArray line = makeLine(key.toByteArray() + '=' + value.toByteArray());
  const auto span = findSection(section);
  if (!span) {
    if (!lines_.empty() && !isBlank(lines_.back())) lines_.push_back(makeLine(""));
    lines_.push_back(makeLine('[' + section.toByteArray() + ']'));
    lines_.push_back(line);
    finalNewline_ = true;
    return;
  }
  if (const auto index = findKey(*span, key)) {
    lines_[*index] = line;
    return;
  }
  // After the section's last non-blank line, so that a blank line before the next
  // section stays where it was.
  std::size_t insertAt = span->end;
  while (insertAt > span->header + 1 && isBlank(lines_[insertAt - 1])) --insertAt;
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insertAt), line);
  if (insertAt == lines_.size() - 1) finalNewline_ = true;
}

}  // namespace tq1
