#include "tolvane/save_name.h"

#include <gtest/gtest.h>

namespace {

struct SaveCase {
    const char* typed;
    const char* filter;
    const char* saved;
};

TEST(SaveNameTest, ABareNameGetsTheExtensionOfTheChosenFilter) {
    const SaveCase cases[] = {
        {"ins", "Script Files (*.scp)", "ins.scp"},
        {"/home/u/ins", "Script Files (*.scp)", "/home/u/ins.scp"},
        {"/home/u/out", "Runtime Script files (*.sce)", "/home/u/out.sce"},
        // A name with any extension, or a dot of its own, is kept as typed.
        {"/home/u/ins.scp", "Script Files (*.scp)", "/home/u/ins.scp"},
        {"/home/u/page.inc", "Script Files (*.scp)", "/home/u/page.inc"},
        {"/home/u/ins.", "Script Files (*.scp)", "/home/u/ins."},
        {"/home/u/.hidden", "Script Files (*.scp)", "/home/u/.hidden"},
        // A dot in a directory name does not count as the file's extension.
        {"/home/u.v/ins", "Script Files (*.scp)", "/home/u.v/ins.scp"},
        // Any file: no extension to add.
        {"/home/u/ins", "All Files (*)", "/home/u/ins"},
        {"/home/u/ins", "All Files (*.*)", "/home/u/ins"},
        {"/home/u/ins", "Scripts (*.scp *.sce)", "/home/u/ins"},
        {"/home/u/ins", "", "/home/u/ins"},
        {"", "Script Files (*.scp)", ""},
    };
    for (const SaveCase& c : cases)
        EXPECT_EQ(SaveFileName(c.typed, c.filter), c.saved) << c.typed << " | " << c.filter;
}

}  // namespace
