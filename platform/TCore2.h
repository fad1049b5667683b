// The connection component for the platform's Core2 server.
#pragma once

#include "ComPtr.h"
#include "TOleServer.h"
#include "talvo.h"

#include <stdexcept>

namespace talvo {

// Raised by DefaultInterface when no connection could be made.
class AssertionError : public std::logic_error {
public:
    using std::logic_error::logic_error;
};

class TCore2 final : public vk::TOleServer {
public:
    // Records the server description only; connects nothing and calls nothing of the server.
    TCore2();
    ~TCore2();

    // Obtains the server object and its ICore on the first call; later calls do nothing.
    void Connect();
    // Releases the held ICore, if any.
    void Disconnect();
    // A new reference to the held ICore, connecting first when needed.
    vk::ComPtr<ICore> DefaultInterface();
    // ICore.Catalog: a fresh catalogue on each call.
    vk::ComPtr<ICatalog> Catalog();

    bool isConnected() const { return bool(m_default); }

private:
    vk::ComPtr<ICore> m_default;
};

} // namespace talvo
