#include "platform/data/data_backend.h"

// Every Windows has the "SQL Server" driver; it takes the port after a comma, and checks
// the certificate of an encrypted link unless told to trust it.
std::u16string SqlServerDriverString(const SqlServerLogin& login) {
  std::u16string server = login.host + (login.port ? u"," + *login.port : u"");
  std::u16string out = u"DRIVER={SQL Server};SERVER=" + Braced(server) + u";";
  if (login.database) out += u"DATABASE=" + Braced(*login.database) + u";";
  if (login.uid) out += u"UID=" + Braced(*login.uid) + u";";
  if (login.pwd) out += u"PWD=" + Braced(*login.pwd) + u";";
  if (login.encrypt) out += *login.encrypt ? u"Encrypt=yes;" : u"Encrypt=no;";
  if (login.encrypt.value_or(false)) {
    out += !login.strict && login.trust.value_or(false) ? u"TrustServerCertificate=yes;"
                                                        : u"TrustServerCertificate=no;";
  }
  return out;
}
