#include "TOleServer.h"

#include "ComError.h"

namespace vk {

ComPtr<IUnknown> TOleServer::getServer() {
    ComPtr<IUnknown> server;
    if (m_connectKind != ConnectKind::ckNewInstance) {
        const HResult h = getActiveObject(m_serverData.classId, server.put());
        if (succeeded(h) && server)
            return server;
        server.reset();
        if (m_connectKind == ConnectKind::ckRunningInstance)
            throw ComError(failed(h) ? h : MK_E_UNAVAILABLE_,
                           statusText(failed(h) ? h : MK_E_UNAVAILABLE_) +
                               ", ClassID: " + toString(m_serverData.classId));
    }
    // Only the runtime's own description of this creation may end up in the message.
    clearErrorInfo();
    const HResult h =
        coCreateInstance(m_serverData.classId, nullptr, CLSCTX_INPROC_SERVER_ | CLSCTX_LOCAL_SERVER_,
                         Iid<IUnknown>::value, server.putVoid());
    if (failed(h) || !server) {
        const HResult code = failed(h) ? h : E_NOINTERFACE_;
        std::u16string description;
        std::string text =
            takeErrorInfo(description) && !description.empty() ? toUtf8(description) : statusText(code);
        throw ComError(code, text + ", ClassID: " + toString(m_serverData.classId));
    }
    return server;
}

} // namespace vk
