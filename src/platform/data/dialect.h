#pragma once
// What differs between the data sources behind the same statement text. The program's
// statements are written for SQL Server; each driver gets them so that they match as there.
#include <string>
#include <string_view>
#include <vector>

namespace odbc {

enum class Dbms { Other, PostgreSql, Sqlite };

// From the driver's SQL_DBMS_NAME.
Dbms DbmsNamed(std::u16string_view name);

// The statement as `dbms` must receive it to mean what it means on SQL Server. `markers`,
// when given, gets for each `?` of the result the place (from 0) of the `?` of `statement`
// whose value it takes: a rewritten match may take its value twice.
std::u16string StatementFor(Dbms dbms, std::u16string_view statement, std::vector<size_t>* markers = nullptr);

}  // namespace odbc
