#include "lookup/issuing_record.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <random>

#include "lookup/ticket_query.h"
#include "platform/text/environment.h"

namespace issuing {
namespace {

constexpr const char* kStateWords[] = {"claimed", "written", "issued", "failed"};

_variant_t Null() {
  _variant_t value;
  value.vt = VT_NULL;
  return value;
}

// A name no other attempt of any desk takes: 128 random bits.
CString AttemptId() {
  std::random_device device;
  char id[33];
  for (int i = 0; i < 4; ++i) std::snprintf(id + 8 * i, 9, "%08x", static_cast<unsigned>(device()));
  return CString(id);
}

}  // namespace

const char* StateWord(State state) { return kStateWords[static_cast<int>(state)]; }

State StateOfWord(const CString& word) {
  for (int i = 0; i < 4; ++i) {
    if (word == kStateWords[i]) return static_cast<State>(i);
  }
  return State::Claimed;
}

Desk ThisDesk(const CString& port) {
  std::string host = text::HostName();
  return {CString((host.empty() ? std::string("?") : host).c_str()) + " " + port, CString(text::UserName().c_str())};
}

CString UtcNow() {
  const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
  char stamp[32] = {};
  // One thread: gmtime's shared result is read at once.
  std::strftime(stamp, sizeof stamp, "%Y-%m-%dT%H:%M:%SZ", std::gmtime(&now));
  return CString(stamp);
}

CString LocalTimeOf(const CString& utc) {
  int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
  char zone = 0;
  if (std::sscanf(utc, "%4d-%2d-%2dT%2d:%2d:%2d%c", &y, &mo, &d, &h, &mi, &s, &zone) != 7 || zone != 'Z') return utc;
  // Days since 1970-01-01 of a proleptic Gregorian date, with no time zone in the way.
  const int ya = y - (mo <= 2), era = (ya >= 0 ? ya : ya - 399) / 400, yoe = ya - era * 400;
  const int doe = yoe * 365 + yoe / 4 - yoe / 100 + (153 * (mo + (mo > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const std::time_t t = (static_cast<std::time_t>(era) * 146097 + doe - 719468) * 86400 + h * 3600 + mi * 60 + s;
  char stamp[32] = {};
  // One thread: localtime's shared result is read at once.
  if (const std::tm* local = std::localtime(&t)) std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", local);
  return stamp[0] != 0 ? CString(stamp) : utc;
}

CString LocalRecordConnectionString(const CString& path) {
  // The driver's FULL sync: a claim is on the disk before the card's frames leave.
  return "Provider=MSDASQL;DRIVER=SQLite3;Database=" + path + ";SyncPragma=FULL;";
}

bool Record::Exists(std::string& why) {
  _RecordsetPtr rows;
  rows.CreateInstance(CLSID_Recordset);
  try {
    for (const char* table : {"Brimlock_issued_card", "Brimlock_issue_attempt"}) {
      rows->Open(CString("select count(*) from ") + table + " where 1=0", _variant_t(m_connection), adOpenStatic,
                 adLockOptimistic, adCmdText);
      rows->Close();
    }
  } catch (const _com_error& e) {
    why = e.ErrorInfo() != nullptr ? std::string(static_cast<const char*>(e.Description())) : e.ErrorMessage();
    return false;
  }
  return true;
}

void Record::CreateLocal() {
  static constexpr const char* kTables[] = {
      "create table if not exists Brimlock_issued_card (dticket_no varchar(32) not null, dcard varchar(32) not null, "
      "state varchar(8) not null, desk varchar(300) not null, operator_name varchar(128) not null, "
      "claimed_at varchar(24) not null, issued_at varchar(24) null, primary key (dticket_no, dcard))",
      "create table if not exists Brimlock_issue_attempt (attempt_id varchar(32) not null primary key, "
      "dticket_no varchar(32) not null, dcard varchar(32) not null, desk varchar(300) not null, "
      "operator_name varchar(128) not null, kind varchar(12) not null, started_at varchar(24) not null, "
      "ended_at varchar(24) null, outcome varchar(16) null)"};
  for (const char* statement : kTables) m_connection->Execute(statement, {});
}

std::optional<Claim> Record::Find(const CString& ticket, const CString& card) {
  _RecordsetPtr rows;
  rows.CreateInstance(CLSID_Recordset);
  rows->Open("select state,desk,operator_name,claimed_at,issued_at from Brimlock_issued_card "
             "where dticket_no = ? and dcard = ?",
             _variant_t(m_connection), adOpenStatic, adLockOptimistic, adCmdText,
             std::vector<_variant_t>{ticket, card});
  std::optional<Claim> claim;
  if (!rows->GetadoEOF()) {
    claim = Claim{StateOfWord(ColumnText(rows, "state")), ColumnText(rows, "desk"), ColumnText(rows, "operator_name"),
                  ColumnText(rows, "claimed_at"), ColumnText(rows, "issued_at")};
  }
  rows->Close();
  return claim;
}

bool Record::Take(const CString& ticket, const CString& card, const Desk& desk, const std::optional<Claim>& over,
                  Claim& claim) {
  Claim mine{State::Claimed, desk.name, desk.operatorName, UtcNow(), CString()};
  // A claim read in the same second as the one it replaces would look the same.
  if (over && over->claimedAt == mine.claimedAt && over->desk == mine.desk) mine.claimedAt += "+";
  bool taken = false;
  try {
    if (!over) {
      m_connection->Execute("insert into Brimlock_issued_card (dticket_no,dcard,state,desk,operator_name,claimed_at) "
                            "values (?,?,?,?,?,?)",
                            {ticket, card, StateWord(State::Claimed), mine.desk, mine.operatorName, mine.claimedAt});
      taken = true;
    } else {
      // Only the claim as it was read is replaced: of two desks at once, one finds it moved on.
      taken = m_connection->Execute("update Brimlock_issued_card set state=?,desk=?,operator_name=?,claimed_at=?,"
                                    "issued_at=null where dticket_no=? and dcard=? and state=? and desk=? and "
                                    "claimed_at=?",
                                    {StateWord(State::Claimed), mine.desk, mine.operatorName, mine.claimedAt, ticket,
                                     card, StateWord(over->state), over->desk, over->claimedAt}) == 1;
    }
  } catch (const _com_error&) {
    // The key refused a second claim: say whose it is. Any other failure stands.
    std::optional<Claim> holder = Find(ticket, card);
    if (!holder || (holder->desk == mine.desk && holder->claimedAt == mine.claimedAt)) throw;
    claim = *holder;
    return false;
  }
  if (taken) {
    claim = mine;
    return true;
  }
  std::optional<Claim> holder = Find(ticket, card);
  if (!holder) return Take(ticket, card, desk, std::nullopt, claim);
  claim = *holder;
  return false;
}

bool Record::Advance(const CString& ticket, const CString& card, Claim& claim, State state) {
  const CString issuedAt = state == State::Issued ? UtcNow() : CString();
  const long changed = m_connection->Execute(
      "update Brimlock_issued_card set state=?,issued_at=? where dticket_no=? and dcard=? and desk=? and claimed_at=?",
      {StateWord(state), issuedAt.IsEmpty() ? Null() : _variant_t(issuedAt), ticket, card, claim.desk,
       claim.claimedAt});
  if (changed == 0) return false;
  claim.state = state;
  claim.issuedAt = issuedAt;
  return true;
}

CString Record::BeginAttempt(const CString& ticket, const CString& card, const Desk& desk, const char* kind) {
  const CString id = AttemptId();
  m_connection->Execute("insert into Brimlock_issue_attempt (attempt_id,dticket_no,dcard,desk,operator_name,kind,"
                        "started_at) values (?,?,?,?,?,?,?)",
                        {id, ticket, card, desk.name, desk.operatorName, kind, UtcNow()});
  return id;
}

void Record::EndAttempt(const CString& attempt, const char* outcome) {
  m_connection->Execute("update Brimlock_issue_attempt set ended_at=?,outcome=? where attempt_id=?",
                        {UtcNow(), outcome, attempt});
}

}  // namespace issuing
