-- Sample tickets for the demo and the tests. Looking up "123" finds tickets 123 and A0123
-- (three cards) but not 1234, and never B0123, which is out of use.

INSERT INTO Kcard_ticket_BaseInfo (dticket_no, dstate_run) VALUES ('123', 0);
INSERT INTO Kcard_ticket_BaseInfo (dticket_no, dstate_run) VALUES ('A0123', 0);
INSERT INTO Kcard_ticket_BaseInfo (dticket_no, dstate_run) VALUES ('1234', 0);
INSERT INTO Kcard_ticket_BaseInfo (dticket_no, dstate_run) VALUES ('B0123', 1);
INSERT INTO Kcard_ticket_BaseInfo (dticket_no, dstate_run) VALUES ('9001', 0);

-- 123: one card
INSERT INTO Kcard_BaseInfo (dticket_no, dcard, dcard_sbh) VALUES ('123', '10000001', 'H0001');
-- A0123: two cards, one hidden code in Chinese
INSERT INTO Kcard_BaseInfo (dticket_no, dcard, dcard_sbh) VALUES ('A0123', '10000002', 'H0002');
INSERT INTO Kcard_BaseInfo (dticket_no, dcard, dcard_sbh) VALUES ('A0123', '10000003', '贵宾卡0003');
-- 1234: three cards
INSERT INTO Kcard_BaseInfo (dticket_no, dcard, dcard_sbh) VALUES ('1234', '10000004', 'H0004');
INSERT INTO Kcard_BaseInfo (dticket_no, dcard, dcard_sbh) VALUES ('1234', '10000005', 'H0005');
INSERT INTO Kcard_BaseInfo (dticket_no, dcard, dcard_sbh) VALUES ('1234', '10000006', 'H0006');
-- B0123: out of use
INSERT INTO Kcard_BaseInfo (dticket_no, dcard, dcard_sbh) VALUES ('B0123', '10000007', 'H0007');
-- 9001: no hidden code recorded
INSERT INTO Kcard_BaseInfo (dticket_no, dcard, dcard_sbh) VALUES ('9001', '10000008', NULL);
