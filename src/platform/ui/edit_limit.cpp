#include "platform/ui/edit_limit.h"

#include <QValidator>

#include "platform/ui/bridge.h"

namespace ui {
namespace {

class ByteLimitValidator : public QValidator {
 public:
  ByteLimitValidator(int limit, QObject* parent) : QValidator(parent), m_limit(limit) {}
  int limit() const { return m_limit; }
  State validate(QString& input, int& /*pos*/) const override {
    return FromQt(input).GetLength() <= m_limit ? Acceptable : Invalid;
  }

 private:
  int m_limit;
};

}  // namespace

void SetByteLimit(QLineEdit* edit, int limit) {
  // A limit of 0 means the largest the platform allows.
  if (limit <= 0) limit = 0x7FFFFFFE;
  delete edit->validator();
  edit->setValidator(new ByteLimitValidator(limit, edit));
}

int ByteLimit(const QLineEdit* edit) {
  auto* v = dynamic_cast<const ByteLimitValidator*>(edit->validator());
  return v ? v->limit() : 30000;  // the platform's default for a new edit
}

}  // namespace ui
