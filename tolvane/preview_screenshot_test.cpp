// The preview page as the user's browser shows it: a script's page extracted and written as the
// preview command writes it, opened by headless Chromium, which saves a PNG beside the windows'
// screenshots. Skipped where Chromium is not installed (`make screenshots` installs it).

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "tests/fixtures/run_command.h"
#include "tests/fixtures/temp_dir.h"
#include "tolvane/preview_extractor.h"
#include "tolvane/preview_file.h"

namespace {

constexpr const char* kScript =
    "&datasource(\"Driver=SQLite3;Database=shop.db\")\n"
    "&defsub(\"header\"){\n"
    "\t<h1>Shop and Co</h1>\n"
    "\t<p>Prices of ?date? # the date is set by the caller\n"
    "\t</p>\n"
    "}\n"
    "&html(\"index.html\"){\n"
    "\t<html><body style=\"font-family: sans-serif\">\n"
    "\t&header()\n"
    "\t<table border=\"1\" cellpadding=\"4\">\n"
    "\t<tr><th>Name</th><th>Price</th></tr>\n"
    "\t&foreachrow(\"SELECT name, price FROM items\"){\n"
    "\t\t<tr><td>?name?</td><td>?price? \\&euro;</td></tr>\n"
    "\t}\n"
    "\t</table>\n"
    "\t&if(?count? > 10){<p>Many items in stock</p>}&else{<p>Few items in stock</p>}\n"
    "\t</body></html>\n"
    "}\n";

std::string Chromium() {
    const char* path = std::getenv("PATH");
    std::string dirs = path == nullptr ? "" : path;
    for (std::size_t start = 0; start <= dirs.size();) {
        std::size_t end = dirs.find(':', start);
        if (end == std::string::npos) end = dirs.size();
        const std::string program = dirs.substr(start, end - start) + "/chromium";
        if (::access(program.c_str(), X_OK) == 0) return program;
        start = end + 1;
    }
    return "";
}

// Width and height from a PNG's header; 0 x 0 when the bytes are no PNG.
std::pair<unsigned, unsigned> PngSize(const std::string& bytes) {
    if (bytes.size() < 24 || bytes.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0) return {0, 0};
    const auto big = [&](std::size_t at) {
        unsigned value = 0;
        for (std::size_t i = 0; i < 4; ++i)
            value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
        return value;
    };
    return {big(16), big(20)};
}

TEST(PreviewScreenshotTest, ChromiumShowsThePreviewFile) {
    const std::string chromium = Chromium();
    if (chromium.empty()) GTEST_SKIP() << "chromium is not installed";
    fixtures::TempDir dir("preview_shot");
    ASSERT_TRUE(dir.Ok()) << dir.Error();
    std::filesystem::create_directory(dir.File("html"));

    CPreviewExtractor extractor;
    ASSERT_TRUE(extractor.BuildPage(kScript, "index.html"));
    CPreviewFile preview;
    const std::string file = preview.Write(PreviewDirectory(dir.Path(), "", "default", "html"),
                                           extractor.Output().GetWrittenText(), false);
    ASSERT_EQ(file, dir.File("html/quarntmp.html"));

    const char* shots = std::getenv("QUARN_SCREENSHOT_DIR");
    const std::string png = shots != nullptr && *shots != '\0'
                                ? std::string(shots) + "/tolvane_preview_page.png"
                                : dir.File("preview.png");
    std::filesystem::create_directories(std::filesystem::path(png).parent_path());
    std::filesystem::remove(png);
    // Root needs --no-sandbox; a profile of its own leaves the user's home alone.
    const std::vector<std::string> browser = {"timeout",
                                              "120",
                                              chromium,
                                              "--headless",
                                              "--no-sandbox",
                                              "--disable-gpu",
                                              "--user-data-dir=" + dir.File("profile"),
                                              "--window-size=1024,768"};
    std::string output;
    std::vector<std::string> dump = browser;
    dump.insert(dump.end(), {"--dump-dom", "file://" + file});
    ASSERT_EQ(fixtures::RunCommand(dump, &output), 0) << output;
    EXPECT_NE(output.find("<h1>Shop and Co</h1>"), std::string::npos) << output;
    EXPECT_NE(output.find("Many items in stock"), std::string::npos);
    EXPECT_EQ(output.find("Few items"), std::string::npos);
    EXPECT_EQ(output.find("the date is set"), std::string::npos);

    std::vector<std::string> shot = browser;
    shot.insert(shot.end(), {"--screenshot=" + png, "file://" + file});
    ASSERT_EQ(fixtures::RunCommand(shot, &output), 0) << output;
    const std::optional<std::string> bytes = fixtures::ReadTextFile(png);
    ASSERT_TRUE(bytes) << output;
    EXPECT_EQ(PngSize(*bytes), std::make_pair(1024u, 768u));
}

}  // namespace
