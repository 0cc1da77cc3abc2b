// Points this process's HKEY_CURRENT_USER at a fresh scratch key while the object lives, so tests
// start from a clean account and never touch the real user's settings.
#pragma once

#include <string>

#include <windows.h>

namespace kestrov::testing {

class registry_sandbox {
public:
    // A volatile scratch key refuses ordinary (non-volatile) subkeys, which makes every attempt
    // to create the settings key fail.
    enum class kind { ordinary, refuses_new_keys };

    explicit registry_sandbox(kind sandbox_kind = kind::ordinary);
    registry_sandbox(const registry_sandbox&) = delete;
    registry_sandbox& operator=(const registry_sandbox&) = delete;
    ~registry_sandbox();

    // Whether the key exists below the sandbox's root.
    bool has_key(const wchar_t* path) const;

private:
    std::wstring path_;
    HKEY root_ = nullptr;
};

} // namespace kestrov::testing
