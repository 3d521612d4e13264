#pragma once
// The policy values in the registry: the machine's key and the user's.
#include "config/registry_profile.h"
#include "config/settings_policy.h"

namespace qmo {

class RegistryPolicySource : public PolicySource {
public:
    RegistryPolicySource();
    std::optional<PolicyValue> Read(PolicyScope scope, std::string_view name) override;
    void BeginBatch() override;
    void EndBatch() override;

private:
    RegistryProfile m_machine;
    RegistryProfile m_user;
};

}  // namespace qmo
