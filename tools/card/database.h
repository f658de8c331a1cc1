#pragma once
// The database as lookup and issue reach it: one connection for the command, and a failure
// told with the driver's own diagnostic and what to check.
#include <optional>
#include <string>

#include "platform/data/ado.h"

namespace card {

// The apartment the data-access objects live in, for as long as the command runs.
struct Apartment {
  Apartment() { CoInitialize(nullptr); }
  ~Apartment() { CoUninitialize(); }
  Apartment(const Apartment&) = delete;
  Apartment& operator=(const Apartment&) = delete;
};

// Opens `connection` on the string; on failure nothing, and `problem` says why in full.
bool OpenDatabase(_ConnectionPtr& connection, const CString& connectionString, std::string& problem);

// "<what> (SQLSTATE ...: the driver's words); <what to check>"
std::string DatabaseProblem(const std::string& what, const _com_error& e);

}  // namespace card
