// The programs started for real on a private X server: every window each shows carries its own
// picture in _NET_WM_ICON, the property the window manager's task list and frames draw from.

#include <gtest/gtest.h>
#include <signal.h>

#include <QGuiApplication>
#include <QImage>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "kestrel/kestrel_icon.h"
#include "quarn/app/ui/quarn_icon.h"
#include "remote/ui/remote_icon.h"
#include "tests/fixtures/program_process.h"
#include "tests/fixtures/spawn_program.h"
#include "tests/fixtures/temp_dir.h"
#include "tests/fixtures/xvfb_server.h"
#include "tolvane/tolvane_icon.h"

// Xlib last: its macros (Bool, Status, None) would break the Qt and gtest headers.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include "tests/desktop/x_top_levels.h"

namespace {

using Clock = fixtures::ProgramProcess::Clock;
constexpr int kSize = 32;

struct Program {
    const char* name;
    const char* binary;
    QPixmap (*picture)(int);
};

void PrintTo(const Program& program, std::ostream* out) {
    *out << program.name;
}

// The `size` × `size` picture among a window's icons, as ARGB values; empty when it has none.
std::vector<unsigned long> IconOfSize(const std::string& displayName, unsigned long window,
                                      int size) {
    std::vector<unsigned long> pixels;
    Display* display = XOpenDisplay(displayName.c_str());
    if (display == nullptr) return pixels;
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    const Atom icon = XInternAtom(display, "_NET_WM_ICON", False);
    if (XGetWindowProperty(display, window, icon, 0, 1 << 20, False, XA_CARDINAL, &type, &format,
                           &count, &after, &data) == Success &&
        data != nullptr) {
        // Width, height and their pixels, one picture after another.
        const auto* values = reinterpret_cast<const unsigned long*>(data);
        for (unsigned long at = 0; at + 2 <= count;) {
            const unsigned long width = values[at];
            const unsigned long height = values[at + 1];
            const unsigned long end = at + 2 + width * height;
            if (end > count) break;
            if (width == static_cast<unsigned long>(size) && height == width) {
                // Xlib hands 32-bit items over as longs, sign-extended.
                for (unsigned long i = at + 2; i < end; ++i)
                    pixels.push_back(values[i] & 0xffffffffUL);
            }
            at = end;
        }
    }
    if (data != nullptr) XFree(data);
    XCloseDisplay(display);
    return pixels;
}

std::vector<unsigned long> Pixels(const QPixmap& picture) {
    const QImage image = picture.toImage().convertToFormat(QImage::Format_ARGB32);
    std::vector<unsigned long> pixels;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            pixels.push_back(image.pixel(x, y));
    return pixels;
}

class ProgramIconsX11Test : public testing::TestWithParam<Program> {};

TEST_P(ProgramIconsX11Test, EveryWindowCarriesTheProgramsPicture) {
    const Program& program = GetParam();
    fixtures::XvfbServer x;
    if (!x.Ok()) GTEST_SKIP() << x.Error();
    desktop_test::XTopLevels windows(x.Display());
    ASSERT_TRUE(windows.Ok());
    fixtures::TempDir dir{"program_icons_x11"};
    std::string error;
    ASSERT_TRUE(fixtures::InstallProgram(program.binary, dir.File(program.name), &error)) << error;
    // quarn's main window first, without the readme question or the splash.
    std::ofstream(dir.File("Quarn.ini")) << "[global]\r\nreadme=0\r\nsplashscr=0\r\n";
    std::vector<std::string> env{"HOME=" + dir.Path(), "XDG_RUNTIME_DIR=" + dir.Path(),
                                 "XDG_CONFIG_HOME=" + dir.Path(), "DISPLAY=" + x.Display(),
                                 "QT_QPA_PLATFORM=xcb"};
    for (const char* name : {"PATH", "ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS"})
        if (const char* value = std::getenv(name)) env.push_back(std::string(name) + "=" + value);

    fixtures::ProgramProcess run;
    ASSERT_EQ(run.Start(dir.File(program.name), {}, dir.Path(), env, dir.File("err.txt")), "");
    const long pid = run.Pid();
    std::vector<unsigned long> shown;
    ASSERT_TRUE(windows.WaitFor(
        [&](const std::vector<desktop_test::TopLevel>& now) {
            for (const auto& window : now)
                if (window.pid == pid) shown.push_back(window.id);
            return !shown.empty();
        },
        Clock::now() + std::chrono::seconds(30)))
        << program.name << " showed no window";
    const std::vector<unsigned long> expected = Pixels(program.picture(kSize));
    for (unsigned long window : shown)
        EXPECT_EQ(IconOfSize(x.Display(), window, kSize), expected)
            << program.name << " window 0x" << std::hex << window;

    run.Signal(SIGKILL);
    std::vector<std::string> lines;
    run.Finish(lines, Clock::now() + std::chrono::seconds(30));
}

INSTANTIATE_TEST_SUITE_P(Programs, ProgramIconsX11Test,
                         testing::Values(Program{"quarn", QUARN_BINARY, QuarnPicture},
                                         Program{"tolvane", TOLVANE_BINARY, TolvanePicture},
                                         Program{"kestrel", KESTREL_BINARY, KestrelPicture},
                                         Program{"remote", REMOTE_BINARY, RemotePicture}),
                         [](const testing::TestParamInfo<Program>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace

// The pictures are drawn here too, to be compared: that takes a GUI application, which needs no
// display of its own.
int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
