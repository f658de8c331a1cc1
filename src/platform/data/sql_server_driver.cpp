#include "platform/data/sql_server_driver.h"

namespace {

// FreeTDS's encryption settings. Required encryption checks the server's certificate
// against the system's authorities and its name, unless the server is to be trusted as it
// is; strict encryption always checks.
std::u16string Encryption(const SqlServerLogin& login) {
  if (!login.encrypt) return u"";
  if (!*login.encrypt) return u"Encryption=request;";
  std::u16string out = u"Encryption=require;";
  if (login.strict || !login.trust.value_or(false)) out += u"ca file=system;check certificate hostname=yes;";
  return out;
}

}  // namespace

std::u16string SqlServerDriverString(const SqlServerLogin& login) {
  std::u16string out = u"DRIVER={FreeTDS};SERVER=" + Braced(login.host) + u";";
  if (login.port) out += u"PORT=" + *login.port + u";";
  if (login.database) out += u"DATABASE=" + Braced(*login.database) + u";";
  if (login.uid) out += u"UID=" + Braced(*login.uid) + u";";
  if (login.pwd) out += u"PWD=" + Braced(*login.pwd) + u";";
  return out + Encryption(login) + u"TDS_Version=7.4;ClientCharset=UTF-8;";
}
