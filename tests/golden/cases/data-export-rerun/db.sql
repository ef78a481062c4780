CREATE TABLE product (id INTEGER, name VARCHAR(20), note VARCHAR(60));
INSERT INTO product VALUES (1, 'Apple', 'crisp, "red"');
INSERT INTO product VALUES (2, 'Pear', NULL);
INSERT INTO product VALUES (3, 'Hammer', 'steel head');
