-- For the database's owner: the issuing record that every desk shares, in the lookup's own
-- database. Plain SQL that SQLite, PostgreSQL and SQL Server all take:
--   sqlite3 tickets.db < sql/issuing-record.sql
--   psql -d kq7_mavr -f sql/issuing-record.sql
--   sqlcmd -d kq7_mavr -i sql/issuing-record.sql
-- The desks' login needs select, insert and update on both tables (no delete): on
-- PostgreSQL `grant select, insert, update on Brimlock_issued_card, Brimlock_issue_attempt
-- to <login>`, on SQL Server the same grant. The program never writes the ticket tables,
-- and no hidden code is ever written here.

-- One row per ticket and card: the claim a desk takes before the card's frames leave. Its
-- key is what keeps two desks from writing one card: the second insert fails.
--   state: claimed (its frames may be on their way), written (they have left, not checked),
--          issued (read back the same, or written when the check was waived), failed
CREATE TABLE Brimlock_issued_card (
  dticket_no varchar(32) NOT NULL,
  dcard varchar(32) NOT NULL,
  state varchar(8) NOT NULL,
  desk varchar(300) NOT NULL,          -- host and port of the desk that holds the claim
  operator_name varchar(128) NOT NULL, -- the system user that desk runs as
  claimed_at varchar(24) NOT NULL,     -- UTC, 2026-12-10T09:30:05Z
  issued_at varchar(24) NULL,
  PRIMARY KEY (dticket_no, dcard)
);

-- One row per attempt, kept: who tried to write which card, when, and what came of it.
--   kind: issue, reissue (asked for by card number), mark-issued (settled by the operator)
--   outcome: issued, written (check waived), different, unreadable, no-answer, port,
--            stopped, or NULL while under way (or when the run died)
CREATE TABLE Brimlock_issue_attempt (
  attempt_id varchar(32) NOT NULL PRIMARY KEY,
  dticket_no varchar(32) NOT NULL,
  dcard varchar(32) NOT NULL,
  desk varchar(300) NOT NULL,
  operator_name varchar(128) NOT NULL,
  kind varchar(12) NOT NULL,
  started_at varchar(24) NOT NULL,
  ended_at varchar(24) NULL,
  outcome varchar(16) NULL
);
CREATE INDEX Brimlock_issue_attempt_card ON Brimlock_issue_attempt (dticket_no, dcard);
