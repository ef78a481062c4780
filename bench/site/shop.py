"""The pages of shop.scp, made with Jinja2 from the same database: the yardstick of site_bench.
Like quarn it writes only the pages whose bytes changed.

Usage: shop.py DATABASE OUTPUT_DIR
"""

import os
import sqlite3
import sys

import jinja2

INDEX = """<!DOCTYPE html>
<html><head><title>Shop</title></head>
<body>
<h1>Shop</h1>
<ul class="categories">
{% for c in categories %}<li><a href="cat{{ c.cid }}.html">{{ c.cname }}</a> ({{ c.products }})</li>
{% endfor %}</ul>
</body></html>
"""

CATEGORY = """<!DOCTYPE html>
<html><head><title>{{ c.cname }} - Shop</title></head>
<body>
<p class="crumbs"><a href="index.html">Shop</a></p>
<h1>{{ c.cname }}</h1>
<p>{{ c.blurb }}</p>
<table class="products">
<tr><th>Product</th><th>SKU</th><th>Price</th></tr>
{% for p in products %}<tr><td><a href="p{{ p.pid }}.html">{{ p.pname }}</a></td><td>{{ p.sku }}</td><td>{{ p.price }}</td></tr>
{% endfor %}</table>
</body></html>
"""

PRODUCT = """<!DOCTYPE html>
<html><head><title>{{ p.pname }} - Shop</title>
<meta name="description" content="{{ p.pname }} in {{ p.cname }}">
</head>
<body>
<p class="crumbs"><a href="index.html">Shop</a> / <a href="cat{{ p.cid }}.html">{{ p.cname }}</a></p>
<h1>{{ p.pname }}</h1>
<table class="facts">
<tr><th>SKU</th><td>{{ p.sku }}</td></tr>
<tr><th>Price</th><td>{{ p.price }} EUR</td></tr>
<tr><th>In stock</th><td>{{ p.stock }}</td></tr>
</table>
<p>{{ p.description }}</p>
<p class="note">Product {{ p.pid }} of the shop</p>
</body></html>
"""


def write(directory, name, text):
    """Writes the page unless its file holds these bytes already (an unchanged rerun)."""
    path = os.path.join(directory, name)
    data = text.encode("utf-8")
    try:
        with open(path, "rb") as page:
            if page.read() == data:
                return
    except FileNotFoundError:
        pass
    with open(path, "wb") as page:
        page.write(data)


def main(database, output):
    env = jinja2.Environment(keep_trailing_newline=True, autoescape=False)
    index, category, product = (env.from_string(t) for t in (INDEX, CATEGORY, PRODUCT))
    db = sqlite3.connect(database)
    db.row_factory = sqlite3.Row

    categories = db.execute(
        "SELECT c.id AS cid, c.name AS cname, COUNT(p.id) AS products FROM category c "
        "LEFT JOIN product p ON p.cat_id = c.id GROUP BY c.id, c.name ORDER BY c.id").fetchall()
    write(output, "index.html", index.render(categories=categories))

    for c in db.execute("SELECT id AS cid, name AS cname, blurb FROM category ORDER BY id"):
        products = db.execute(
            "SELECT id AS pid, name AS pname, sku, price FROM product WHERE cat_id = ? "
            "ORDER BY id", (c["cid"],)).fetchall()
        write(output, "cat%s.html" % c["cid"], category.render(c=c, products=products))

    for p in db.execute(
            "SELECT p.id AS pid, p.name AS pname, p.sku, p.price, p.stock, p.description, "
            "c.id AS cid, c.name AS cname FROM product p JOIN category c ON c.id = p.cat_id "
            "ORDER BY p.id"):
        write(output, "p%s.html" % p["pid"], product.render(p=p))


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
