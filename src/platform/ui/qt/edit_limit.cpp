#include "platform/ui/qt/edit_limit.h"

#include <QValidator>

#include "platform/ui/byte_count.h"

namespace ui {
namespace {

std::u16string_view Units(const QString& s) {
  return std::u16string_view(reinterpret_cast<const char16_t*>(s.utf16()), static_cast<size_t>(s.size()));
}

int Bytes(const QString& s) { return static_cast<int>(Cp936Bytes(Units(s))); }

// The leading part of `s` that fits in `room` bytes, never cutting a character.
QString LeadingPart(const QString& s, int room) {
  return s.left(static_cast<qsizetype>(LeadingUnitsWithin(Units(s), room)));
}

// The edit asks after every change of its text. The validator knows the text before the
// change, so it can tell what the change inserted (the part between what it kept of the old
// text at both ends, ending at the cursor) and cut that alone.
class ByteLimitValidator : public QValidator {
 public:
  ByteLimitValidator(int limit, QLineEdit* edit) : QValidator(edit), m_limit(limit), m_accepted(edit->text()) {}
  int limit() const { return m_limit; }

  void SetByProgram(QLineEdit* edit, const QString& text) {
    m_byProgram = true;
    edit->setText(text);
    m_byProgram = false;
    m_accepted = edit->text();
  }

  State validate(QString& input, int& pos) const override {
    if (m_byProgram) return Accept(input);
    const QString& old = m_accepted;
    const qsizetype back = input.size() - pos;
    if (back < 0 || back > old.size() || !input.endsWith(QStringView(old).right(back))) {
      // Not an insertion at the cursor: it may shorten the text, never lengthen it past the limit.
      return Bytes(input) <= m_limit || Bytes(input) <= Bytes(old) ? Accept(input) : Invalid;
    }
    qsizetype front = 0;
    while (front < pos && front < old.size() - back && input[front] == old[front]) ++front;
    // Two characters may share a high surrogate: what is kept ends before a split pair.
    if (front > 0 && input[front - 1].isHighSurrogate()) --front;
    QString inserted = input.mid(front, pos - front);
    // A single-line edit takes a paste's first line, as the platform's does.
    for (qsizetype i = 0; i < inserted.size(); ++i) {
      if (inserted[i] == u'\r' || inserted[i] == u'\n') {
        inserted.truncate(i);
        break;
      }
    }
    const QString kept = input.left(front) + input.right(back);
    if (Bytes(kept) + Bytes(inserted) > m_limit) inserted = LeadingPart(inserted, m_limit - Bytes(kept));
    input = input.left(front) + inserted + input.right(back);
    pos = static_cast<int>(front + inserted.size());
    return Accept(input);
  }

 private:
  State Accept(const QString& input) const {
    m_accepted = input;
    return Acceptable;
  }

  int m_limit;
  bool m_byProgram = false;
  mutable QString m_accepted;  // the text as it stood after the last change
};

ByteLimitValidator* ValidatorOf(const QLineEdit* edit) {
  return dynamic_cast<ByteLimitValidator*>(const_cast<QValidator*>(edit->validator()));
}

}  // namespace

void SetByteLimit(QLineEdit* edit, int limit) {
  // A limit of 0 means the largest the platform allows.
  if (limit <= 0) limit = 0x7FFFFFFE;
  delete edit->validator();
  edit->setValidator(new ByteLimitValidator(limit, edit));
}

int ByteLimit(const QLineEdit* edit) {
  const ByteLimitValidator* v = ValidatorOf(edit);
  return v ? v->limit() : 30000;  // the platform's default for a new edit
}

void SetProgramText(QLineEdit* edit, const QString& text) {
  if (ByteLimitValidator* v = ValidatorOf(edit)) v->SetByProgram(edit, text);
  else edit->setText(text);
}

}  // namespace ui
