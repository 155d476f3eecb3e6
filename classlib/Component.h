// The owner tree: every component is freed by its owner, and a freed component leaves its owner's
// list, so nothing is freed twice. The class library's objects derive from TObject.
#pragma once

#include <memory>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

namespace tn {

class TObject {
public:
    TObject() = default;
    TObject(const TObject&) = default;
    TObject& operator=(const TObject&) = default;
    virtual ~TObject() = default;
};

// Teardown order, written down once: Free calls BeforeDestruction while the whole object still
// exists (forms raise OnDestroy, windowed controls free their child controls and destroy their
// window, then every component frees the components it owns, last created first); the C++
// destructors that follow only unlink the object from its owner and parent.
class TComponent : public TObject {
public:
    explicit TComponent(TComponent* owner);
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;
    ~TComponent() override;

    // Builds a component owned by owner (which frees it), then runs its AfterConstruction.
    template <typename T, typename... Args>
    requires std::is_base_of_v<TComponent, T>
    static T* Create(TComponent& owner, Args&&... args) {
        auto made = std::unique_ptr<T, Deleter>(new T(&owner, std::forward<Args>(args)...));
        static_cast<TComponent*>(made.get())->AfterConstruction();
        return made.release();
    }
    struct Deleter {
        void operator()(TComponent* c) const noexcept { Free(c); }
    };
    template <typename T> using Owned = std::unique_ptr<T, Deleter>;
    // A component without owner, freed by the returned pointer.
    template <typename T, typename... Args>
    requires std::is_base_of_v<TComponent, T>
    static Owned<T> CreateOwned(Args&&... args) {
        Owned<T> made(new T(nullptr, std::forward<Args>(args)...));
        static_cast<TComponent*>(made.get())->AfterConstruction();
        return made;
    }
    // Frees a component (and with it everything it owns); null is allowed.
    static void Free(TComponent* c) noexcept;

    [[nodiscard]] TComponent* Owner() const noexcept { return FOwner; }
    [[nodiscard]] const std::vector<TComponent*>& Components() const noexcept {
        return FComponents;
    }
    [[nodiscard]] std::size_t ComponentCount() const noexcept { return FComponents.size(); }
    [[nodiscard]] const std::wstring& Name() const noexcept { return FName; }
    void SetName(std::wstring name) { FName = std::move(name); }
    [[nodiscard]] bool Destroying() const noexcept { return FDestroying; }
    // The first owned component of that name, or null.
    [[nodiscard]] TComponent* FindComponent(const std::wstring& name) const noexcept;

    // Frees every owned component, last created first.
    void DestroyComponents() noexcept;
    // Takes an owned component out of this owner's list: it then has no owner, and whoever holds
    // it frees it. Any other component is left as it is.
    void RemoveComponent(TComponent* c) noexcept;

protected:
    // Runs once the most derived constructor has finished.
    virtual void AfterConstruction() {}
    // Runs before the destructors, while virtual calls still reach the most derived class.
    virtual void BeforeDestruction() noexcept;

private:
    TComponent* FOwner;
    std::vector<TComponent*> FComponents;
    std::wstring FName;
    bool FDestroying = false;
};

} // namespace tn
