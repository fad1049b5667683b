#include "TCore2.h"

#include "Call.h"
#include "ComError.h"

namespace talvo {

TCore2::TCore2() : vk::TOleServer(vk::ServerData{CLSID_Core2, vk::Iid<ICore>::value, vk::kNullGuid, 500}) {}

TCore2::~TCore2() {
    Disconnect();
}

void TCore2::Connect() {
    if (m_default)
        return;
    vk::ComPtr<vk::IUnknown> server = getServer();
    vk::ComPtr<ICore> core;
    const vk::HResult h = server.tryQuery(core);
    if (vk::failed(h) || !core) {
        // A description the server may have left for the refusal is not ours to show.
        vk::clearErrorInfo();
        throw vk::ComError(vk::E_NOINTERFACE_, "Interface not supported");
    }
    // The object obtained first is released in favour of its ICore.
    m_default = std::move(core);
}

void TCore2::Disconnect() {
    m_default.reset();
}

vk::ComPtr<ICore> TCore2::DefaultInterface() {
    if (!m_default)
        Connect();
    if (!m_default)
        throw AssertionError("DefaultInterface is NULL. Component is not connected to Server. You must call "
                             "'Connect' or 'ConnectTo' before this operation (TOleServer.cpp, line 3980)");
    return m_default;
}

vk::ComPtr<ICatalog> TCore2::Catalog() {
    return vk::call(DefaultInterface(), &ICore::Catalog);
}

} // namespace talvo
