#pragma once
// The connection-string tests' two questions: what ODBC receives, and how a string is refused.
#include <gtest/gtest.h>

#include "platform/data/ado.h"
#include "platform/data/connection_string.h"

inline std::u16string Translate(const std::u16string& s, const std::u16string& uid = u"",
                                const std::u16string& pwd = u"") {
  return OdbcConnectionString(s, uid, pwd);
}

inline HRESULT Rejection(const std::u16string& s) {
  try {
    Translate(s);
  } catch (const _com_error& e) {
    EXPECT_NE(e.ErrorInfo(), nullptr);
    return e.Error();
  }
  return S_OK;
}
