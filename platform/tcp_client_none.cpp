// A build without Winsock has no TCP client.
#include "platform/tcp_client.h"

namespace tq::platform {

std::unique_ptr<TcpClient> SystemTcpClient() { return nullptr; }

}  // namespace tq::platform
