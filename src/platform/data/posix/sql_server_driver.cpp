#include "platform/data/data_backend.h"

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

// FreeTDS reads a braced value up to the first "};" and keeps a doubled brace doubled: a
// value goes into braces as it is, and one holding "};" cannot be given at all.
std::u16string Value(const std::u16string& key, const std::u16string& value) {
  if (!NeedsBraces(value)) return value;
  if (value.find(u"};") != std::u16string::npos) RefuseValue(key, u"FreeTDS", u"it holds \"};\"");
  return u"{" + value + u"}";
}

}  // namespace

std::u16string SqlServerDriverString(const SqlServerLogin& login) {
  std::u16string out = u"DRIVER={FreeTDS};SERVER=" + Value(u"SERVER", login.host) + u";";
  if (login.port) out += u"PORT=" + *login.port + u";";
  if (login.database) out += u"DATABASE=" + Value(u"DATABASE", *login.database) + u";";
  if (login.uid) out += u"UID=" + Value(u"UID", *login.uid) + u";";
  if (login.pwd) out += u"PWD=" + Value(u"PWD", *login.pwd) + u";";
  return out + Encryption(login) + u"TDS_Version=7.4;ClientCharset=UTF-8;";
}
