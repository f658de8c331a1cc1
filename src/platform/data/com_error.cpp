#include "platform/data/com_error.h"

#include <cstdio>

#include "platform/data/format_message.h"

_bstr_t _com_error::Description() const { return m_info ? _bstr_t(m_info->description) : _bstr_t(); }

const char* _com_error::ErrorMessage() const {
  if (!m_messageMade) {
    char* systemText = nullptr;
    DWORD length = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                      FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, static_cast<DWORD>(m_code), MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                                  reinterpret_cast<LPSTR>(&systemText), 0, nullptr);
    m_message = MakeErrorMessage(m_code, length > 0 ? systemText : nullptr);
    LocalFree(systemText);
    m_messageMade = true;
  }
  return m_message.c_str();
}

std::string MakeErrorMessage(HRESULT code, const char* systemText) {
  if (systemText != nullptr) {
    std::string text = systemText;
    if (text.size() > 1 && text.back() == '\n') {
      text.pop_back();
      if (text.back() == '\r') text.pop_back();
    }
    return text;
  }
  char buffer[32];
  auto number = static_cast<std::uint16_t>(static_cast<std::uint32_t>(code) - 0x80040200u);
  if (code >= MakeHresult(0x80040200) && code <= MakeHresult(0x8004FFFF) && number != 0) {
    std::snprintf(buffer, sizeof buffer, "IDispatch error #%d", number);
  } else {
    std::snprintf(buffer, sizeof buffer, "Unknown error 0x%0lX",
                  static_cast<unsigned long>(static_cast<std::uint32_t>(code)));
  }
  return buffer;
}
