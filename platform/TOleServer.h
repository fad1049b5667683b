// The least base of a component that stands for one server class of the component runtime: it
// holds the server description and connects to the server on first use.
#pragma once

#include "ComPtr.h"
#include "vkcom.h"

#include <cstdint>
#include <string>

namespace vk {

enum class ConnectKind { ckRunningOrNew, ckNewInstance, ckRunningInstance };

struct ServerData {
    Guid classId;
    Guid interfaceId;
    Guid eventInterfaceId; // kNullGuid: the component receives no events
    int32_t version = 0;
};

class TOleServer {
public:
    TOleServer(const TOleServer&) = delete;
    TOleServer& operator=(const TOleServer&) = delete;

    ConnectKind connectKind() const { return m_connectKind; }
    bool autoConnect() const { return m_autoConnect; }
    const std::string& remoteMachineName() const { return m_remoteMachineName; }
    const ServerData& serverData() const { return m_serverData; }

protected:
    explicit TOleServer(const ServerData& data) : m_serverData(data) {}
    ~TOleServer() = default;

    // Obtains the server object as the connect kind says: a running instance from the
    // running-object table, else a new one. A creation failure raises ComError with the status
    // text followed by ", ClassID: " and the class identifier.
    ComPtr<IUnknown> getServer();

private:
    ServerData m_serverData;
    ConnectKind m_connectKind = ConnectKind::ckRunningOrNew;
    bool m_autoConnect = false;
    std::string m_remoteMachineName;
};

} // namespace vk
