#pragma once
// What differs between the data sources behind the same statement text. The program's
// statements are written for SQL Server; each driver gets them so that they match as there.
#include <string>
#include <string_view>

namespace odbc {

enum class Dbms { Other, PostgreSql, Sqlite };

// From the driver's SQL_DBMS_NAME.
Dbms DbmsNamed(std::u16string_view name);

// The statement as `dbms` must receive it to mean what it means on SQL Server.
std::u16string StatementFor(Dbms dbms, std::u16string_view statement);

}  // namespace odbc
