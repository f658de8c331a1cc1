-- Optional, for the database's owner on PostgreSQL: an index that serves the ticket
-- lookup once the ticket table is large (hundreds of thousands of tickets and more).
--   psql -d kq7_mavr -f sql/postgresql-index.sql
-- The lookup is a suffix match, which no B-tree serves. The program sends it as
-- `rtrim(a.dticket_no) ilike ? escape ''`, and a trigram index on exactly that expression
-- serves it unchanged: same rows, only found without reading the whole table.
-- pg_trgm is in Debian's postgresql package; a database owner may create it (it is a
-- trusted extension). Built concurrently, so that tickets can still be added meanwhile;
-- if the build is interrupted, `drop index kcard_ticket_baseinfo_no_trgm` and run again.

create extension if not exists pg_trgm;

create index concurrently if not exists kcard_ticket_baseinfo_no_trgm
  on Kcard_ticket_BaseInfo using gin (rtrim(dticket_no) gin_trgm_ops);

-- With the default statistics the planner takes some 4-digit suffixes for a hundredth of
-- the tickets instead of a ten-thousandth, and reads every card for seconds; a finer
-- histogram of the indexed numbers tells them apart.
alter index kcard_ticket_baseinfo_no_trgm alter column 1 set statistics 10000;
analyze Kcard_ticket_BaseInfo;
