#pragma once
// The C locale for the engine's number and date texts, whatever the process locale is (Qt sets
// it from the environment). Nothing here changes the process locale or other threads' locales.

#include <locale.h>

namespace platform {

// The C locale object: made on first use, never freed; thread-safe.
locale_t CLocale();

// Makes `locale` the calling thread's locale for the object's life, for the C functions that
// have no _l form (snprintf, the multibyte conversions); the previous one comes back after.
class ThreadLocale {
public:
    explicit ThreadLocale(locale_t locale) : m_previous(uselocale(locale)) {}
    ~ThreadLocale() { uselocale(m_previous); }
    ThreadLocale(const ThreadLocale&) = delete;
    ThreadLocale& operator=(const ThreadLocale&) = delete;

private:
    locale_t m_previous;
};

}  // namespace platform
