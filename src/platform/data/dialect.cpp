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

// `name like ?` on PostgreSQL: the name without the blanks that pad it, as the trigram index
// is built, so that the index serves the match.
std::u16string PostgresLike(const std::u16string& name) { return u"rtrim(" + name + u") ilike ? escape ''"; }

// The same on SQLite, where a trim costs every row a copy of its text: the name is matched
// as it is, and only where that fails and it ends in a blank, trimmed. Both markers take the
// one value.
std::u16string SqliteLike(const std::u16string& name) {
  return u"(" + name + u" like ? or " + name + u" glob '* ' and rtrim(" + name + u") like ?)";
}

// `x like ?` in the engine's words for SQL Server's plain-text LIKE: where the operand is a
// name, `like` gives the whole match (the name loses the blanks that pad it); an expression
// keeps its form and `like ?` becomes `plain`. Without `like` the text stays as it is. "%" and "_" keep their meaning.
// `markers` gets, for each `?` of the result, the `?` of `s` whose value it takes.
std::u16string RewriteLike(std::u16string_view s, std::u16string (*like)(const std::u16string&),
                           std::u16string_view plain, std::vector<size_t>* markers) {
  std::u16string out;
  out.reserve(s.size() + 64);
  size_t marker = 0;  // the `?` of `s` next met
  auto take = [&](std::u16string_view text) {
    for (char16_t c : text) {
      if (c == u'?' && markers != nullptr) markers->push_back(marker);
    }
    out += text;
  };
  char16_t quote = 0;  // inside a 'literal'
  for (size_t i = 0; i < s.size();) {
    char16_t c = s[i];
    if (quote != 0) {
      if (c == quote) quote = 0;  // a doubled quote closes and reopens: same result
    } else if (c == u'\'') {
      quote = c;
    } else if (size_t n = like != nullptr ? LikeMarkerAt(s, i) : 0; n > 0) {
      size_t end = out.size();
      while (end > 0 && IsSpace(out[end - 1])) --end;
      size_t start = end;
      while (start > 0 && IsNameChar(out[start - 1])) --start;
      if (start < end) {
        std::u16string name = out.substr(start, end - start);
        out.resize(start);
        take(like(name));
      } else {
        take(plain);
      }
      ++marker;
      i += n;
      continue;
    } else if (c == u'?') {
      take(u"?");
      ++marker;
      ++i;
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

std::u16string StatementFor(Dbms dbms, std::u16string_view statement, std::vector<size_t>* markers) {
  switch (dbms) {
    // PostgreSQL's LIKE takes a backslash for its escape and counts case, where SQL
    // Server's usual collations do not.
    case Dbms::PostgreSql: return RewriteLike(statement, PostgresLike, u"ilike ? escape ''", markers);
    // SQLite's LIKE has no escape and ignores the case of ASCII letters already.
    case Dbms::Sqlite: return RewriteLike(statement, SqliteLike, u"like ?", markers);
    case Dbms::Other: break;
  }
  return RewriteLike(statement, nullptr, {}, markers);
}

}  // namespace odbc
