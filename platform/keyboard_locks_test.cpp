#include "platform/keyboard_locks.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <optional>
#include <string>

#include "tests/fixtures/xvfb_server.h"

// Last: Xlib's macros (None, Bool, ...) clash with names in the headers above.
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>

namespace platform {

// Found by gtest beside the type, for readable failures.
void PrintTo(const KeyboardLocks& locks, std::ostream* out) {
    *out << "{caps " << locks.caps << ", num " << locks.num << ", scroll " << locks.scroll << "}";
}

namespace {

TEST(XkbLockReaderTest, WithoutAnXDisplayTheLocksAreUnknown) {
    const char* saved = getenv("DISPLAY");
    const std::string display = saved != nullptr ? saved : "";
    unsetenv("DISPLAY");
    XkbLockReader reader;
    if (saved != nullptr) setenv("DISPLAY", display.c_str(), 1);
    EXPECT_EQ(reader.Read(), std::nullopt);
    EXPECT_EQ(reader.Read(), std::nullopt);
}

// The locks set by another client of the same server, the way a keyboard sets them.
class XkbLockReaderServerTest : public testing::Test {
protected:
    void SetUp() override {
        if (!m_x.Ok()) GTEST_SKIP() << m_x.Error();
        m_control = XOpenDisplay(m_x.Display().c_str());
        ASSERT_NE(m_control, nullptr);
    }
    void TearDown() override {
        if (m_control != nullptr) XCloseDisplay(m_control);
    }
    // Locks (or unlocks) the modifiers of `mask` and waits until the server has done it.
    void LockModifiers(unsigned mask, bool on) {
        ASSERT_TRUE(XkbLockModifiers(m_control, XkbUseCoreKbd, mask, on ? mask : 0));
        XSync(m_control, False);
    }
    // Turns a named indicator on or off directly, for a lock the keymap gives no modifier.
    void SetIndicator(const char* name, bool on) {
        const Atom atom = XInternAtom(m_control, name, False);
        ASSERT_TRUE(XkbSetNamedIndicator(m_control, atom, True, on, False, nullptr));
        XSync(m_control, False);
    }

    fixtures::XvfbServer m_x;
    Display* m_control = nullptr;
};

TEST_F(XkbLockReaderServerTest, ReportsEachLockAsItIsLockedAndUnlocked) {
    XkbLockReader reader(m_x.Display());
    EXPECT_EQ(reader.Read(), (KeyboardLocks{false, false, false}));
    // Num Lock's modifier is whichever the keymap binds to the Num_Lock key.
    const unsigned numMask = XkbKeysymToModifiers(m_control, XK_Num_Lock);
    ASSERT_NE(numMask, 0u) << "the server's keymap binds no modifier to Num_Lock";

    LockModifiers(LockMask, true);
    EXPECT_EQ(reader.Read(), (KeyboardLocks{true, false, false}));
    LockModifiers(numMask, true);
    EXPECT_EQ(reader.Read(), (KeyboardLocks{true, true, false}));
    SetIndicator("Scroll Lock", true);
    EXPECT_EQ(reader.Read(), (KeyboardLocks{true, true, true}));

    LockModifiers(LockMask, false);
    EXPECT_EQ(reader.Read(), (KeyboardLocks{false, true, true}));
    LockModifiers(numMask, false);
    EXPECT_EQ(reader.Read(), (KeyboardLocks{false, false, true}));
    SetIndicator("Scroll Lock", false);
    EXPECT_EQ(reader.Read(), (KeyboardLocks{false, false, false}));
}

}  // namespace
}  // namespace platform
