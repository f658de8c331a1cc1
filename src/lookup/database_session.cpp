// The database session: one connection for the run, one result set reopened by every query.
#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "app/BrimlockApp.h"
#include "dialog/BrimlockDlg.h"
#include "lookup/database_errors.h"
#include "lookup/ticket_query.h"
#include "platform/text/codepage.h"

void ReportDataAccessError(const _com_error& e) { AfxMessageBox(e.ErrorMessage(), MB_OK); }

namespace {
// The environment holds UTF-8, as this system's file names do; the program's text is code
// page 936, so a database under a Chinese folder name is still found.
CString FromEnvironment(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? CString() : CString(text::Utf8ToCp936(value));
}

// The first line of a file that only its owner may read: a login kept out of the
// environment. A file others may read is refused, and the lookup then fails to connect.
CString FromOwnersFile(const char* variable) {
  const char* path = std::getenv(variable);
  if (path == nullptr || *path == 0) return CString();
  struct stat status {};
  if (stat(path, &status) != 0 || (status.st_mode & (S_IRWXG | S_IRWXO)) != 0) {
    std::fprintf(stderr, "brimlock: %s=%s is missing or open to others than its owner (chmod 600)\n",
                 variable, path);
    return CString();
  }
  std::ifstream file(path);
  std::string line;
  std::getline(file, line);
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return CString(text::Utf8ToCp936(line));
}
}  // namespace

CString DatabaseConnectionString() {
  // A deployment may replace the whole string, from the environment or from a file, or
  // name the server the built-in one uses.
  if (CString whole = FromEnvironment("BRIMLOCK_CONNECTION"); !whole.IsEmpty()) return whole;
  if (std::getenv("BRIMLOCK_CONNECTION_FILE") != nullptr) return FromOwnersFile("BRIMLOCK_CONNECTION_FILE");
  CString server = FromEnvironment("BRIMLOCK_DB_SERVER");
  if (server.IsEmpty()) server = "localhost";
  return "Provider=SQLOLEDB;SERVER=" + server + ";DATABASE=kq7_mavr;UID=sa;PWD=402617;";
}

bool CBrimlockDlg::OpenRecordset(CString strSql, const CString& strPattern) {
  if (m_pRecordset->GetState() != adStateClosed) m_pRecordset->Close();
  _variant_t source(strSql);
  try {
    m_pRecordset->Open(source, _variant_t(theApp.m_pConnection), adOpenStatic, adLockOptimistic, adCmdText,
                       _variant_t(strPattern));
  } catch (const _com_error& e) {
    AfxMessageBox(e.ErrorMessage(), MB_OK);
    return false;
  }
  return true;
}
