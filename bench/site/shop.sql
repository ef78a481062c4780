CREATE TABLE category (id INTEGER PRIMARY KEY, name VARCHAR(40), blurb VARCHAR(200));
WITH RECURSIVE seq(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM seq WHERE n < 50)
INSERT INTO category
SELECT n, 'Category ' || n,
       'Everything of kind ' || n || ' that the shop keeps, chosen and priced with care.'
FROM seq;
CREATE TABLE product (id INTEGER PRIMARY KEY, cat_id INTEGER, name VARCHAR(40),
                      sku VARCHAR(12), price VARCHAR(12), stock INTEGER,
                      description VARCHAR(400));
WITH RECURSIVE seq(n) AS (SELECT 1 UNION ALL SELECT n + 1 FROM seq WHERE n < 10000)
INSERT INTO product
SELECT n, 1 + (n - 1) % 50, 'Product ' || n, printf('SKU-%06d', n),
       printf('%d.%02d', 1 + n % 250, n % 100), (n * 7) % 120,
       'Product ' || n || ' is a sturdy, well made item for everyday use. It comes in a plain '
       || 'box with a printed guide, and it is covered by the shop''s two-year promise: '
       || 'return it within thirty days if it does not suit you.'
FROM seq;
CREATE INDEX product_by_category ON product (cat_id);
