#include "platform/data/dialect.h"

namespace odbc {
namespace {

char16_t Lower(char16_t c) { return (c >= u'A' && c <= u'Z') ? char16_t(c - u'A' + u'a') : c; }

bool IsWordChar(char16_t c) {
  return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'_';
}
bool IsNameChar(char16_t c) { return IsWordChar(c) || c == u'.' || c == u'"'; }
bool IsSpace(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }

// The length of "like <blanks> ?" at `i`, or 0 when the word there is something else.
size_t LikeMarkerAt(std::u16string_view s, size_t i) {
  constexpr std::u16string_view kLike = u"like";
  if (i + kLike.size() > s.size() || (i > 0 && IsWordChar(s[i - 1]))) return 0;
  for (size_t k = 0; k < kLike.size(); ++k) {
    if (Lower(s[i + k]) != kLike[k]) return 0;
  }
  size_t j = i + kLike.size();
  if (j < s.size() && IsWordChar(s[j])) return 0;
  while (j < s.size() && IsSpace(s[j])) ++j;
  return (j < s.size() && s[j] == u'?') ? j + 1 - i : 0;
}

// The name without the blanks that pad it, as the trigram index on PostgreSQL is built.
std::u16string Trimmed(const std::u16string& name) { return u"rtrim(" + name + u")"; }

// The same on SQLite, where a trim costs every row a copy of its text: only a value that
// ends in a blank is trimmed, and the test for the blank is a plain match.
std::u16string TrimmedWhereBlank(const std::u16string& name) {
  return u"(case when " + name + u" like '% ' then rtrim(" + name + u") else " + name + u" end)";
}

// `x like ?` in the engine's words for SQL Server's plain-text LIKE: the operand, where it
// is a name, loses the blanks that pad it (`trim`), and `like ?` becomes `like`; an
// expression keeps its form. "%" and "_" keep their meaning.
std::u16string RewriteLike(std::u16string_view s, std::u16string (*trim)(const std::u16string&),
                           std::u16string_view like) {
  std::u16string out;
  out.reserve(s.size() + 32);
  char16_t quote = 0;  // inside a 'literal' or "name"
  for (size_t i = 0; i < s.size();) {
    char16_t c = s[i];
    if (quote != 0) {
      if (c == quote) quote = 0;  // a doubled quote closes and reopens: same result
    } else if (c == u'\'') {
      quote = c;
    } else if (size_t n = LikeMarkerAt(s, i); n > 0) {
      size_t end = out.size();
      while (end > 0 && IsSpace(out[end - 1])) --end;
      size_t start = end;
      while (start > 0 && IsNameChar(out[start - 1])) --start;
      if (start < end) {
        std::u16string name = out.substr(start, end - start), blanks = out.substr(end);
        out.resize(start);
        out += trim(name) + blanks;
      }
      out += like;
      i += n;
      continue;
    }
    out += c;
    ++i;
  }
  return out;
}

}  // namespace

Dbms DbmsNamed(std::u16string_view name) {
  if (name == u"PostgreSQL") return Dbms::PostgreSql;
  if (name == u"SQLite") return Dbms::Sqlite;
  return Dbms::Other;
}

std::u16string StatementFor(Dbms dbms, std::u16string_view statement) {
  switch (dbms) {
    // PostgreSQL's LIKE takes a backslash for its escape and counts case, where SQL
    // Server's usual collations do not.
    // The trigram index serves `rtrim(x) ilike ?` only as written.
    case Dbms::PostgreSql: return RewriteLike(statement, Trimmed, u"ilike ? escape ''");
    // SQLite's LIKE has no escape and ignores the case of ASCII letters already.
    case Dbms::Sqlite: return RewriteLike(statement, TrimmedWhereBlank, u"like ?");
    case Dbms::Other: break;
  }
  return std::u16string(statement);
}

}  // namespace odbc
