CREATE TABLE category (id INTEGER, name VARCHAR(20));
INSERT INTO category VALUES (1, 'Fruit');
INSERT INTO category VALUES (2, 'Tools');
INSERT INTO category VALUES (3, 'Empty');
CREATE TABLE product (id INTEGER, cat_id INTEGER, name VARCHAR(20), price INTEGER);
INSERT INTO product VALUES (1, 1, 'Apple', 3);
INSERT INTO product VALUES (2, 1, 'Pear', 4);
INSERT INTO product VALUES (3, 2, 'Hammer', 12);
