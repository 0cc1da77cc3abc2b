#include "registry_sandbox.h"

#include <stdexcept>

namespace kestrov::testing {

registry_sandbox::registry_sandbox(kind sandbox_kind)
    : path_(L"Software\\Kestrov\\MirtelTestSandbox-" + std::to_wstring(GetCurrentProcessId())) {
    RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str());
    const DWORD options =
        sandbox_kind == kind::refuses_new_keys ? REG_OPTION_VOLATILE : REG_OPTION_NON_VOLATILE;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, options, KEY_ALL_ACCESS,
                        nullptr, &root_, nullptr) != ERROR_SUCCESS ||
        RegOverridePredefKey(HKEY_CURRENT_USER, root_) != ERROR_SUCCESS) {
        throw std::runtime_error("the registry sandbox could not be set up");
    }
}

registry_sandbox::~registry_sandbox() {
    RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    RegCloseKey(root_);
    RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str());
    RegDeleteKeyW(HKEY_CURRENT_USER, path_.c_str());
}

bool registry_sandbox::has_key(const wchar_t* path) const {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root_, path, 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
}

} // namespace kestrov::testing
