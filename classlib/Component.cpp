#include "classlib/Component.h"

#include <algorithm>

namespace tn {

TComponent::TComponent(TComponent* owner) : FOwner(owner) {
    if (FOwner) FOwner->FComponents.push_back(this);
}

TComponent::~TComponent() {
    // Reached without Free only when a constructor failed part-way: still free what is owned.
    DestroyComponents();
    if (FOwner) {
        auto& list = FOwner->FComponents;
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
    }
}

void TComponent::Free(TComponent* c) noexcept {
    if (!c || c->FDestroying) return;
    c->FDestroying = true;
    c->BeforeDestruction();
    delete c;
}

void TComponent::BeforeDestruction() noexcept {
    DestroyComponents();
}

void TComponent::DestroyComponents() noexcept {
    while (!FComponents.empty()) {
        TComponent* last = FComponents.back();
        // Unlinked first, so a component that is already being freed is not freed again.
        FComponents.pop_back();
        last->FOwner = nullptr;
        Free(last);
    }
}

void TComponent::RemoveComponent(TComponent* c) noexcept {
    if (!c || c->FOwner != this) return;
    FComponents.erase(std::remove(FComponents.begin(), FComponents.end(), c), FComponents.end());
    c->FOwner = nullptr;
}

TComponent* TComponent::FindComponent(const std::wstring& name) const noexcept {
    for (TComponent* c : FComponents)
        if (c->FName == name) return c;
    return nullptr;
}

} // namespace tn
