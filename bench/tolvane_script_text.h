#pragma once
// A script of about `bytes` bytes for the editor benchmarks: pages, queries and loops as a real
// site's script holds them, CR LF line ends.

#include <string>

inline std::string BenchScript(std::size_t bytes) {
    static const std::string block =
        "&datasource(\"Driver=SQLite3;Database=shop.db\")\r\n"
        "&html(\"items.html\"){\r\n"
        "<TABLE>\r\n"
        "\t&sql(SELECT id, name, price FROM items WHERE price > 10)\r\n"
        "\t&foreachrow(){\r\n"
        "\t\t<TR><TD>?name?</TD><TD>&format(\"%.2f\",?price?)</TD></TR>\r\n"
        "\t\t&if(?price? > 100){ <TD>expensive</TD> }&else{ <TD>cheap</TD> }\r\n"
        "\t}\r\n"
        "</TABLE>\r\n"
        "# &sql(commented out)\r\n"
        "}\r\n";
    std::string script;
    script.reserve(bytes + block.size());
    while (script.size() < bytes)
        script += block;
    return script;
}
