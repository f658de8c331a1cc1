-- Tickets beside the sample ones that only a server's matching rules tell apart: a
-- backslash in the number, a Chinese number, and blanks stored after one.
INSERT INTO Kcard_ticket_BaseInfo (dticket_no, dstate_run) VALUES ('A\B7', 0);
INSERT INTO Kcard_ticket_BaseInfo (dticket_no, dstate_run) VALUES ('团体票007', 0);
INSERT INTO Kcard_ticket_BaseInfo (dticket_no, dstate_run) VALUES ('pad  ', 0);
INSERT INTO Kcard_BaseInfo (dticket_no, dcard, dcard_sbh) VALUES ('A\B7', '10000009', 'H0009');
INSERT INTO Kcard_BaseInfo (dticket_no, dcard, dcard_sbh) VALUES ('团体票007', '10000010', '贵宾');
INSERT INTO Kcard_BaseInfo (dticket_no, dcard, dcard_sbh) VALUES ('pad  ', '10000011', 'H0011');
