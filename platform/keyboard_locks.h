#pragma once
// The state of the keyboard's Caps Lock, Num Lock and Scroll Lock, read from the X server's
// keyboard indicators. Not thread-safe: one thread owns a reader.

#include <optional>
#include <string>

struct _XDisplay;

namespace platform {

struct KeyboardLocks {
    bool caps = false;
    bool num = false;
    bool scroll = false;

    bool operator==(const KeyboardLocks&) const = default;
};

class IKeyboardLockReader {
public:
    virtual ~IKeyboardLockReader() = default;
    // The locks now; nullopt when they cannot be known, which stays so for this reader.
    virtual std::optional<KeyboardLocks> Read() = 0;
};

// Reads the indicators named "Caps Lock", "Num Lock" and "Scroll Lock" over a connection of its
// own, so it never disturbs a toolkit's. A lock whose indicator the keymap lacks reads as off.
class XkbLockReader : public IKeyboardLockReader {
public:
    // Connects once to `display` ("" for $DISPLAY); without a server that has the keyboard
    // extension, every Read() is nullopt.
    explicit XkbLockReader(const std::string& display = "");
    ~XkbLockReader() override;
    XkbLockReader(const XkbLockReader&) = delete;
    XkbLockReader& operator=(const XkbLockReader&) = delete;

    std::optional<KeyboardLocks> Read() override;

private:
    bool IndicatorOn(unsigned long name) const;

    _XDisplay* m_display = nullptr;
    unsigned long m_caps = 0;
    unsigned long m_num = 0;
    unsigned long m_scroll = 0;
};

}  // namespace platform
