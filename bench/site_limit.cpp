// The machine's limit for the shop of site/shop.scp: the same rows read with libsqlite3 and the
// same bytes made by plain string appends, with the least file work a page can cost. A first run
// writes each page with one open, write and close; a rerun reads each page once, compares it and
// writes only a page that differs.
//
// Usage: site_limit first|rerun DATABASE OUTPUT_DIR
// Exits 1, saying why on standard error, when the database cannot be read or a page not written.

#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

namespace {

// One statement of the open database; its rows' columns read as text.
class Query {
public:
    Query(sqlite3* db, const char* sql) {
        if (sqlite3_prepare_v2(db, sql, -1, &m_statement, nullptr) != SQLITE_OK)
            m_statement = nullptr;
    }
    ~Query() { sqlite3_finalize(m_statement); }
    Query(const Query&) = delete;
    Query& operator=(const Query&) = delete;

    bool Ok() const { return m_statement != nullptr; }
    bool Bind(int value) { return sqlite3_bind_int(m_statement, 1, value) == SQLITE_OK; }
    bool Step() { return sqlite3_step(m_statement) == SQLITE_ROW; }
    bool Reset() { return sqlite3_reset(m_statement) == SQLITE_OK; }
    std::string_view Text(int column) const {
        const auto* text = sqlite3_column_text(m_statement, column);
        return {reinterpret_cast<const char*>(text),
                static_cast<std::size_t>(sqlite3_column_bytes(m_statement, column))};
    }

private:
    sqlite3_stmt* m_statement = nullptr;
};

// Writes the pages below one directory, counting failures.
class PageWriter {
public:
    PageWriter(std::string dir, bool compare) : m_dir(std::move(dir)), m_bCompare(compare) {}

    void Write(const std::string& name, std::string_view page) {
        const std::string path = m_dir + "/" + name;
        if (m_bCompare && Holds(path, page)) return;
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        const bool written =
            fd >= 0 && ::write(fd, page.data(), page.size()) == static_cast<ssize_t>(page.size());
        if (fd < 0 || ::close(fd) != 0 || !written) {
            std::fprintf(stderr, "cannot write %s: %s\n", path.c_str(), std::strerror(errno));
            ++m_failures;
        }
    }
    long Failures() const { return m_failures; }

private:
    // One read of one byte more than the page: a file of the page's bytes ends there.
    bool Holds(const std::string& path, std::string_view page) {
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) return false;
        m_read.resize(page.size() + 1);
        const ssize_t got = ::read(fd, m_read.data(), m_read.size());
        ::close(fd);
        return got == static_cast<ssize_t>(page.size()) &&
               std::memcmp(m_read.data(), page.data(), page.size()) == 0;
    }

    std::string m_dir;
    bool m_bCompare;
    std::string m_read;
    long m_failures = 0;
};

bool WriteIndex(sqlite3* db, PageWriter& out) {
    Query rows(db,
               "SELECT c.id AS cid, c.name AS cname, COUNT(p.id) AS products FROM category c "
               "LEFT JOIN product p ON p.cat_id = c.id GROUP BY c.id, c.name ORDER BY c.id");
    if (!rows.Ok()) return false;
    std::string page =
        "<!DOCTYPE html>\n<html><head><title>Shop</title></head>\n<body>\n<h1>Shop</h1>\n"
        "<ul class=\"categories\">\n";
    while (rows.Step()) {
        page.append("<li><a href=\"cat").append(rows.Text(0)).append(".html\">");
        page.append(rows.Text(1)).append("</a> (").append(rows.Text(2)).append(")</li>\n");
    }
    page += "</ul>\n</body></html>\n";
    out.Write("index.html", page);
    return true;
}

bool WriteCategories(sqlite3* db, PageWriter& out) {
    Query categories(db, "SELECT id AS cid, name AS cname, blurb FROM category ORDER BY id");
    Query products(db,
                   "SELECT id AS pid, name AS pname, sku, price FROM product WHERE cat_id = ? "
                   "ORDER BY id");
    if (!categories.Ok() || !products.Ok()) return false;
    std::string page;
    while (categories.Step()) {
        const std::string_view cid = categories.Text(0);
        const std::string_view cname = categories.Text(1);
        page.assign("<!DOCTYPE html>\n<html><head><title>").append(cname);
        page.append(
            " - Shop</title></head>\n<body>\n<p class=\"crumbs\"><a href=\"index.html\">"
            "Shop</a></p>\n<h1>");
        page.append(cname).append("</h1>\n<p>").append(categories.Text(2));
        page.append(
            "</p>\n<table class=\"products\">\n<tr><th>Product</th><th>SKU</th>"
            "<th>Price</th></tr>\n");
        if (!products.Reset() || !products.Bind(std::stoi(std::string(cid)))) return false;
        while (products.Step()) {
            page.append("<tr><td><a href=\"p").append(products.Text(0)).append(".html\">");
            page.append(products.Text(1)).append("</a></td><td>").append(products.Text(2));
            page.append("</td><td>").append(products.Text(3)).append("</td></tr>\n");
        }
        page += "</table>\n</body></html>\n";
        out.Write("cat" + std::string(cid) + ".html", page);
    }
    return true;
}

bool WriteProducts(sqlite3* db, PageWriter& out) {
    Query rows(db,
               "SELECT p.id AS pid, p.name AS pname, p.sku, p.price, p.stock, p.description, "
               "c.id AS cid, c.name AS cname FROM product p JOIN category c ON c.id = p.cat_id "
               "ORDER BY p.id");
    if (!rows.Ok()) return false;
    std::string page;
    while (rows.Step()) {
        const std::string_view pid = rows.Text(0), pname = rows.Text(1), cname = rows.Text(7);
        page.assign("<!DOCTYPE html>\n<html><head><title>").append(pname);
        page.append(" - Shop</title>\n<meta name=\"description\" content=\"").append(pname);
        page.append(" in ").append(cname).append("\">\n</head>\n<body>\n<p class=\"crumbs\">");
        page.append("<a href=\"index.html\">Shop</a> / <a href=\"cat").append(rows.Text(6));
        page.append(".html\">").append(cname).append("</a></p>\n<h1>").append(pname);
        page.append("</h1>\n<table class=\"facts\">\n<tr><th>SKU</th><td>").append(rows.Text(2));
        page.append("</td></tr>\n<tr><th>Price</th><td>").append(rows.Text(3));
        page.append(" EUR</td></tr>\n<tr><th>In stock</th><td>").append(rows.Text(4));
        page.append("</td></tr>\n</table>\n<p>").append(rows.Text(5));
        page.append("</p>\n<p class=\"note\">Product ").append(pid);
        page.append(" of the shop</p>\n</body></html>\n");
        out.Write("p" + std::string(pid) + ".html", page);
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string_view mode = argc == 4 ? argv[1] : "";
    if (mode != "first" && mode != "rerun") {
        std::fprintf(stderr, "usage: site_limit first|rerun DATABASE OUTPUT_DIR\n");
        return 1;
    }
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(argv[2], &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "cannot open %s: %s\n", argv[2], sqlite3_errmsg(db));
        sqlite3_close(db);
        return 1;
    }
    PageWriter out(argv[3], mode == "rerun");
    const bool read = WriteIndex(db, out) && WriteCategories(db, out) && WriteProducts(db, out);
    if (!read) std::fprintf(stderr, "cannot read %s: %s\n", argv[2], sqlite3_errmsg(db));
    sqlite3_close(db);
    return read && out.Failures() == 0 ? 0 : 1;
}
