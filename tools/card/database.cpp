#include "database.h"

#include <exception>

#include "lookup/database_failure.h"

namespace card {

std::string DatabaseProblem(const std::string& what, const _com_error& e) {
  return what + " (" + FailureDiagnostic(e) + "); " + WhatToCheck(e);
}

bool OpenDatabase(_ConnectionPtr& connection, const CString& connectionString, std::string& problem) {
  connection.CreateInstance(CLSID_Connection, nullptr, CLSCTX_ALL);
  if (connection == nullptr) {
    problem = "the data-access objects cannot be created; reinstall brimlock";
    return false;
  }
  try {
    connection->Open(connectionString, "", "", adConnectUnspecified);
  } catch (const _com_error& e) {
    problem = DatabaseProblem("cannot connect to the database", e);
    return false;
  } catch (const std::exception& e) {
    problem = std::string("cannot connect to the database (") + e.what() + ")";
    return false;
  }
  return true;
}

}  // namespace card
