#pragma once
// The exception every failing data-access operation raises: a result code, the
// driver's diagnostic when there was one, and the message text made by the platform's rule.
#include <memory>
#include <string>

#include "platform/data/com.h"
#include "platform/data/variant.h"

// What the failing object said about the failure; kept with the error, never shown.
struct ErrorInformation {
  std::string sqlState;  // five characters, e.g. "42S02"
  long nativeError = 0;  // the data source's own number
  std::u16string description;
};

class _com_error {
 public:
  explicit _com_error(HRESULT code, std::shared_ptr<const ErrorInformation> info = nullptr)
      : m_code(code), m_info(std::move(info)) {}

  HRESULT Error() const { return m_code; }
  // Null when the failing object gave no rich error information.
  const ErrorInformation* ErrorInfo() const { return m_info.get(); }
  // The diagnostic's text; empty without error information.
  _bstr_t Description() const;
  // Made on the first request and kept for the life of the error.
  const char* ErrorMessage() const;

 private:
  HRESULT m_code;
  std::shared_ptr<const ErrorInformation> m_info;
  mutable std::string m_message;
  mutable bool m_messageMade = false;
};

// The message-text rule: the system's text for the code with one trailing line break
// removed, or, when the system has none, "IDispatch error #n" / "Unknown error 0x...".
std::string MakeErrorMessage(HRESULT code, const char* systemText);
