#include "platform/c_locale.h"

namespace platform {

// glibc hands out its static C locale object here, so this neither allocates nor fails.
locale_t CLocale() {
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", locale_t{});
    return locale;
}

}  // namespace platform
