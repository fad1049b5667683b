// Checked calls: one line per platform read at the call site.
//
//   std::u16string name = vk::call(entry, &talvo::ICatalogEntry::Name);
//   vk::ComPtr<talvo::ICatalogEntry> e = vk::call(catalog, &talvo::ICatalog::Item, index.get());
//   vk::call(library, &talvo::ILibrary::Unlock, password.get());
//
// The operation's last parameter is its out parameter (when the call passes one argument fewer than
// the operation takes); a failure status raises ComError at the call.
#pragma once

#include "ComError.h"
#include "ComPtr.h"
#include "vkcom.h"

#include <string>
#include <tuple>
#include <type_traits>

namespace vk {

namespace detail {

template <class O> struct OutResult {
    using Type = O;
    using Slot = O;
    static Type take(Slot& s) { return s; }
};
template <> struct OutResult<Bstr> {
    using Type = std::u16string;
    using Slot = UniqueBstr;
    static Type take(Slot& s) { return s.str(); }
};
template <class U>
requires std::is_base_of_v<IUnknown, U>
struct OutResult<U*> {
    using Type = ComPtr<U>;
    using Slot = ComPtr<U>;
    static Type take(Slot& s) { return std::move(s); }
};

template <class S> auto* outAddress(S& s) {
    if constexpr (std::is_same_v<S, UniqueBstr>)
        return s.put();
    else if constexpr (requires { s.put(); })
        return s.put();
    else
        return &s;
}

template <class P> auto* raw(P& p) {
    if constexpr (requires { p.get(); })
        return p.get();
    else
        return p;
}

} // namespace detail

template <class Ptr, class I, class... P, class... A>
auto call(const Ptr& object, HResult (VK_CALL I::*method)(P...), A&&... args) {
    auto* self = detail::raw(const_cast<Ptr&>(object));
    if (!self)
        throwComError(E_POINTER_);
    if constexpr (sizeof...(A) == sizeof...(P)) {
        check((self->*method)(std::forward<A>(args)...));
    } else {
        static_assert(sizeof...(A) + 1 == sizeof...(P), "pass every argument but the out parameter");
        using OutPtr = std::tuple_element_t<sizeof...(P) - 1, std::tuple<P...>>;
        using R = detail::OutResult<std::remove_pointer_t<OutPtr>>;
        typename R::Slot slot{};
        check((self->*method)(std::forward<A>(args)..., detail::outAddress(slot)));
        return R::take(slot);
    }
}

// The same call with its status unchecked: the value as read, a read that delivers nothing counting as
// zero. Only for the reads whose status the tool ignores on purpose.
template <class Ptr, class I, class O> O callUnchecked(const Ptr& object, HResult (VK_CALL I::*method)(O*)) {
    auto* self = detail::raw(const_cast<Ptr&>(object));
    O out{};
    if (self)
        (void)(self->*method)(&out);
    return out;
}

} // namespace vk
