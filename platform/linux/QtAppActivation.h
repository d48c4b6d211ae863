#pragma once

#include "platform/ActivationPolicy.h"

namespace moorvane {

// Linux has no Dock icon to give or take: the policy is kept so the app's own windows can follow it (a
// regular app's windows appear in the task bar; an accessory's windows skip it).
class QtAppActivation final : public AppActivation {
  public:
    void setActivationPolicy(ActivationPolicy policy) override { policy_ = policy; }
    ActivationPolicy policy() const { return policy_; }

  private:
    ActivationPolicy policy_ = ActivationPolicy::regular;
};

}  // namespace moorvane
