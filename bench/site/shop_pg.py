"""The pages of shop.scp, made with Jinja2 from the PostgreSQL database through psycopg2: the
yardstick of site_pg_bench. The templates and the queries are shop.py's.

Usage: shop_pg.py LIBPQ_DSN OUTPUT_DIR
"""

import sys

import jinja2
import psycopg2
import psycopg2.extras

from shop import CATEGORY, INDEX, PRODUCT, write


def main(dsn, output):
    env = jinja2.Environment(keep_trailing_newline=True, autoescape=False)
    index, category, product = (env.from_string(t) for t in (INDEX, CATEGORY, PRODUCT))
    db = psycopg2.connect(dsn)

    def rows(sql, params=()):
        with db.cursor(cursor_factory=psycopg2.extras.RealDictCursor) as cursor:
            cursor.execute(sql, params)
            return cursor.fetchall()

    categories = rows(
        "SELECT c.id AS cid, c.name AS cname, COUNT(p.id) AS products FROM category c "
        "LEFT JOIN product p ON p.cat_id = c.id GROUP BY c.id, c.name ORDER BY c.id")
    write(output, "index.html", index.render(categories=categories))

    for c in rows("SELECT id AS cid, name AS cname, blurb FROM category ORDER BY id"):
        products = rows(
            "SELECT id AS pid, name AS pname, sku, price FROM product WHERE cat_id = %s "
            "ORDER BY id", (c["cid"],))
        write(output, "cat%s.html" % c["cid"], category.render(c=c, products=products))

    for p in rows(
            "SELECT p.id AS pid, p.name AS pname, p.sku, p.price, p.stock, p.description, "
            "c.id AS cid, c.name AS cname FROM product p JOIN category c ON c.id = p.cat_id "
            "ORDER BY p.id"):
        write(output, "p%s.html" % p["pid"], product.render(p=p))
    db.close()


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
