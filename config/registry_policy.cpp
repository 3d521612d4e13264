#include "config/registry_policy.h"

namespace qmo {
namespace {

// The key's parent; the key itself is read as the profile's one section.
constexpr wchar_t kPolicyParent[] = L"SOFTWARE\\Policies\\Quenvale";
constexpr std::string_view kPolicySection = "Memory Optimizer";

}  // namespace

RegistryPolicySource::RegistryPolicySource()
    : m_machine(HKEY_LOCAL_MACHINE, kPolicyParent), m_user(HKEY_CURRENT_USER, kPolicyParent) {}

std::optional<PolicyValue> RegistryPolicySource::Read(PolicyScope scope, std::string_view name) {
    const RegistryProfile& hive = scope == PolicyScope::Machine ? m_machine : m_user;
    // A value larger than any list of ours reads as missing.
    const std::optional<RegistryProfile::RawValue> raw =
        hive.ReadRaw(kPolicySection, name, static_cast<DWORD>(kMaxProfileStringsBytes));
    return raw ? std::optional<PolicyValue>(DecodePolicyValue(raw->type, raw->data)) : std::nullopt;
}

void RegistryPolicySource::BeginBatch() {
    m_machine.BeginBatch();
    m_user.BeginBatch();
}

void RegistryPolicySource::EndBatch() {
    m_machine.EndBatch();
    m_user.EndBatch();
}

}  // namespace qmo
