CREATE TABLE category (id INTEGER, name VARCHAR(20));
INSERT INTO category VALUES (1, 'Fruit');
