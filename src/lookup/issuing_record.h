#pragma once
// The issuing record: which card of which ticket each desk issued, and every attempt, in
// two tables of the lookup's own database (sql/issuing-record.sql) that every desk shares,
// or in a record file of a single desk's own. A card is claimed there before its frames
// leave: the claim's key is what keeps two desks from writing one card. No hidden code is
// ever written here, and nothing here writes the ticket tables.
#include <optional>
#include <string>

#include "platform/data/ado.h"
#include "platform/text/CString.h"

namespace issuing {

enum class State { Claimed, Written, Issued, Failed };

// The word the record keeps for a state, and back; an unknown word reads as Claimed, the
// state that asks the operator to look.
const char* StateWord(State state);
State StateOfWord(const CString& word);

// One card's claim as the record holds it. `claimedAt` also tells one claim from the next
// on the same card, so a change made on a claim read earlier finds it gone if it moved on.
struct Claim {
  State state = State::Claimed;
  CString desk;          // host and port
  CString operatorName;  // the system user
  CString claimedAt;     // UTC, 2026-12-10T09:30:05Z
  CString issuedAt;      // empty until issued
};

// This desk as the record names it: the machine's name and the port it writes on, and the
// user it runs as.
struct Desk {
  CString name;
  CString operatorName;
};
Desk ThisDesk(const CString& port);

// Now, in UTC, as the record keeps times.
CString UtcNow();
// A time the record keeps, in the desk's own time zone ("2026-12-10 17:30:05"), for the
// window; a text that is not such a time is given back as it is.
CString LocalTimeOf(const CString& utc);

class Record {
 public:
  // On an open connection, which the record uses and never closes.
  explicit Record(_ConnectionPtr& connection) : m_connection(connection) {}

  // Whether the record's tables are in this database; the failure that says they are not
  // is left in `why` (its diagnostic), for the operator.
  bool Exists(std::string& why);
  // Creates the tables where they are missing: for a desk's own record file (SQLite).
  void CreateLocal();

  std::optional<Claim> Find(const CString& ticket, const CString& card);

  // Takes the card for this desk: a card nobody holds when `over` is empty, or the claim
  // `over` as it was read (a reissue the operator asked for, or a card the operator
  // settles). True with `claim` this desk's; false with `claim` the claim that holds the
  // card now, when another desk got there first.
  bool Take(const CString& ticket, const CString& card, const Desk& desk, const std::optional<Claim>& over,
            Claim& claim);
  // Moves this desk's claim on; false when it is no longer this desk's (taken over).
  bool Advance(const CString& ticket, const CString& card, Claim& claim, State state);

  // One row per attempt: begun before the claim is taken, ended with its outcome.
  CString BeginAttempt(const CString& ticket, const CString& card, const Desk& desk, const char* kind);
  void EndAttempt(const CString& attempt, const char* outcome);

 private:
  _ConnectionPtr& m_connection;
};

// The connection string of a desk's own record file.
CString LocalRecordConnectionString(const CString& path);

}  // namespace issuing
