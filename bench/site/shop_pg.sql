-- shop.sql for PostgreSQL: the same rows, written with PostgreSQL's functions.
CREATE TABLE category (id INTEGER PRIMARY KEY, name VARCHAR(40), blurb VARCHAR(200));
INSERT INTO category
SELECT n, 'Category ' || n,
       'Everything of kind ' || n || ' that the shop keeps, chosen and priced with care.'
FROM generate_series(1, 50) AS n;
CREATE TABLE product (id INTEGER PRIMARY KEY, cat_id INTEGER, name VARCHAR(40),
                      sku VARCHAR(12), price VARCHAR(12), stock INTEGER,
                      description VARCHAR(400));
INSERT INTO product
SELECT n, 1 + (n - 1) % 50, 'Product ' || n, 'SKU-' || lpad(n::text, 6, '0'),
       (1 + n % 250) || '.' || lpad((n % 100)::text, 2, '0'), (n * 7) % 120,
       'Product ' || n || ' is a sturdy, well made item for everyday use. It comes in a plain '
       || 'box with a printed guide, and it is covered by the shop''s two-year promise: '
       || 'return it within thirty days if it does not suit you.'
FROM generate_series(1, 10000) AS n;
CREATE INDEX product_by_category ON product (cat_id);
ANALYZE;
