#pragma once
// The system's dial-up service as quarn uses it: which entries exist, which are up, bringing one
// up and taking it down. The process uses one backend, chosen at first use from what the system
// offers; tests install their own for a scope.

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace platform {

// What one dial attempt asks for.
struct DialRequest {
    std::string entry;
    std::string user;      // "" leaves the entry's own
    std::string password;  // "" leaves the entry's own
};

// The backend's name for a connection it started, also one whose attempt failed; nullopt: none.
using DialupHandle = std::optional<std::string>;

// Operations block their thread until the service has answered. A backend keeps no state between
// calls, so any thread may call it.
class DialupBackend {
public:
    virtual ~DialupBackend() = default;

    // False when this system has no dial-up service; every other operation then fails.
    virtual bool Present() const = 0;
    // 1 with `names` holding the entries whose connection is up; 0 when they could not be listed.
    virtual int ListActive(std::vector<std::string>& names) = 0;
    // 1 with `names` holding every entry a user may choose to dial; 0 when they could not be
    // listed.
    virtual int ListEntries(std::vector<std::string>& names) = 0;
    // Brings `request.entry` up, waiting until it is up (1) or the attempt failed (0). `handle` is
    // set whenever an attempt was started, so that a failed one can be hung up too.
    virtual int Dial(const DialRequest& request, DialupHandle& handle) = 0;
    // Ends the connection or failed attempt `handle` names; nothing when it names none.
    virtual void HangUp(const DialupHandle& handle) = 0;
};

// A backend for the system as PATH shows it now: NetworkManager's when nmcli is found, else one
// that has no dial-up service.
std::unique_ptr<DialupBackend> MakeSystemDialupBackend();

// The backend of this process: the one a ScopedDialupBackend installed, else the system's,
// chosen once at the first call.
DialupBackend& CurrentDialupBackend();

// Makes `backend` the process's backend while this lives, then restores the previous one.
// Scopes nest; `backend` must outlive this object.
class ScopedDialupBackend {
public:
    explicit ScopedDialupBackend(DialupBackend& backend);
    ~ScopedDialupBackend();
    ScopedDialupBackend(const ScopedDialupBackend&) = delete;
    ScopedDialupBackend& operator=(const ScopedDialupBackend&) = delete;

private:
    DialupBackend* m_previous;
};

}  // namespace platform
