#pragma once
// The environment the database drivers read as they load. Called first in main, before any
// thread starts: a process's environment may change only then.

namespace odbc {

// PostgreSQL's driver takes its link's encoding from the locale: in the C locale that is
// ASCII and in a Chinese one GBK, and a link in either fails a whole query on any value, or
// any ticket text, outside it. Unless the environment names one (PGCLIENTENCODING), the link
// is UTF-8, as the program's own text and the SQL Server link are; the driver converts
// between it and the locale itself. Nothing on Windows, where the program connects through
// the wide calls and the driver takes UTF-8 for them.
void PrepareDriverEnvironment();

}  // namespace odbc
