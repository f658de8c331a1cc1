-- The two tables the ticket lookup reads. Plain SQL that SQLite and SQL Server both take.
-- On SQL Server the database's collation must be a Chinese one (code page 936) for the
-- hidden codes' Chinese text to fit varchar.

CREATE TABLE Kcard_ticket_BaseInfo (
  dticket_no varchar(32) NOT NULL,
  dstate_run int NOT NULL           -- 0: the ticket is in use and may be looked up
);

CREATE TABLE Kcard_BaseInfo (
  dticket_no varchar(32) NOT NULL,  -- the ticket the card belongs to
  dcard varchar(32) NULL,           -- card number
  dcard_sbh varchar(80) NULL        -- hidden code, written onto the card
);

CREATE INDEX Kcard_BaseInfo_ticket ON Kcard_BaseInfo (dticket_no);
