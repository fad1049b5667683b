// Counted reference to an interface of the component runtime.
#pragma once

#include "ComError.h"
#include "vkcom.h"

#include <cstddef>
#include <utility>

namespace vk {

template <class T> class ComPtr {
public:
    ComPtr() = default;
    ComPtr(std::nullptr_t) {}
    // Adds a reference: the caller keeps its own.
    explicit ComPtr(T* p) : m_p(p) {
        if (m_p)
            m_p->AddRef();
    }
    ComPtr(const ComPtr& o) : m_p(o.m_p) {
        if (m_p)
            m_p->AddRef();
    }
    ComPtr(ComPtr&& o) noexcept : m_p(std::exchange(o.m_p, nullptr)) {}
    ~ComPtr() { reset(); }

    // Adds the new reference before releasing the old one, so self-assignment is safe.
    ComPtr& operator=(const ComPtr& o) {
        T* old = m_p;
        m_p = o.m_p;
        if (m_p)
            m_p->AddRef();
        if (old)
            old->Release();
        return *this;
    }
    ComPtr& operator=(ComPtr&& o) noexcept {
        if (this != &o) {
            T* old = std::exchange(m_p, std::exchange(o.m_p, nullptr));
            if (old)
                old->Release();
        }
        return *this;
    }
    ComPtr& operator=(std::nullptr_t) {
        reset();
        return *this;
    }

    // Takes over a reference without adding one.
    static ComPtr attach(T* p) {
        ComPtr c;
        c.m_p = p;
        return c;
    }
    [[nodiscard]] T* detach() { return std::exchange(m_p, nullptr); }
    void reset() {
        if (T* old = std::exchange(m_p, nullptr))
            old->Release();
    }
    // Releases what is held and hands out the address for an out parameter.
    T** put() {
        reset();
        return &m_p;
    }
    void** putVoid() { return reinterpret_cast<void**>(put()); }

    T* get() const { return m_p; }
    T* operator->() const { return m_p; }
    explicit operator bool() const { return m_p != nullptr; }

    // Asks for another interface; the status of the query, the result through out.
    template <class U> HResult tryQuery(ComPtr<U>& out) const {
        if (!m_p)
            return E_POINTER_;
        return m_p->QueryInterface(Iid<U>::value, out.putVoid());
    }
    // Asks for another interface; a refusal raises ComError.
    template <class U> ComPtr<U> query() const {
        ComPtr<U> out;
        HResult h = tryQuery(out);
        if (failed(h))
            throwComError(h);
        if (!out)
            throwComError(E_NOINTERFACE_);
        return out;
    }

    friend bool operator==(const ComPtr& a, const ComPtr& b) { return a.m_p == b.m_p; }

private:
    T* m_p = nullptr;
};

} // namespace vk
