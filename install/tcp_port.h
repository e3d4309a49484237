// Network receipt printers on a Standard TCP/IP port: the HOST[:PORT] form,
// the port's name, its PORT_DATA_1 record, and the step that makes the port
// (or finds it made already) through the monitor's XcvData interface.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "install/install_run.h"
#include "platform/spooler.h"

namespace tq {

constexpr std::uint16_t kDefaultRawPortNumber = 9100;
constexpr std::uint32_t kProtocolRaw = 1;  // PROTOCOL_RAWTCP_TYPE
constexpr std::uint32_t kProtocolLpr = 2;  // PROTOCOL_LPR_TYPE
// The monitor's name as the spooler lists it (EnumMonitors, PORT_INFO_2).
extern const char kTcpPortMonitor[];  // "Standard TCP/IP Port"
// The longest host the record holds (sztHostAddress: 49 WCHARs with the NUL).
constexpr std::size_t kMaxHostLength = 48;

struct HostAndPort {
    std::string host;  // an IPv4 address or a name
    std::uint16_t number = kDefaultRawPortNumber;
};

// "HOST[:PORT]": HOST a dotted IPv4 address or a host name (letters, digits,
// '-' and '.'), PORT 1..65535 (9100 when left out). nullopt, with `error`
// saying what is wrong, for any other form.
std::optional<HostAndPort> ParseHostAndPort(const std::string& text, std::string& error);

// Whether a --port value names a network port: it begins with "tcp:" (any case).
bool IsTcpPortChoice(const std::string& port);

// What a Standard TCP/IP port holds that matters here (PORT_DATA_1's fields).
struct TcpPortSettings {
    std::string name;
    std::string host;
    std::uint32_t number = kDefaultRawPortNumber;
    std::uint32_t protocol = kProtocolRaw;
    bool snmpEnabled = false;
};

// The port a new installation makes for `address`: named as Windows names
// such ports, "IP_" and the host, with "_" and the number added when it is not
// 9100; RAW on that number; SNMP off.
TcpPortSettings NewTcpPort(const HostAndPort& address);

const char* ProtocolName(std::uint32_t protocol);  // "RAW", "LPR", "unknown"
// "RAW on HOST:NUMBER, SNMP off", for reports.
std::string DescribeTcpPort(const TcpPortSettings& port);

// The PORT_DATA_1 record (version 1, 964 bytes, texts as UTF-16LE) for
// XcvData "AddPort", and the reading of one that "GetConfigInfo" answers
// (nullopt when it is too short or not version 1).
std::vector<std::uint8_t> EncodePortData1(const TcpPortSettings& port);
std::optional<TcpPortSettings> DecodePortData1(const std::vector<std::uint8_t>& record);
constexpr std::uint32_t kPortData1Size = 964;
// CONFIG_INFO_DATA_1 (128 reserved bytes, then dwVersion 1): the input of
// XcvData "GetConfigInfo".
std::vector<std::uint8_t> EncodeConfigInfoData1();

// Makes the port, or reuses one of its name that is RAW on the same host and
// number. The step (kind NetworkPort, subject the port's name, target
// "HOST:NUMBER") is Succeeded when the port was made, AlreadyThere when it was
// reused, NoPortMonitor when the spooler has no Standard TCP/IP Port monitor,
// PortDiffers (with the existing port in `detail`) when a port of that name is
// set up otherwise, which is left as it is; Failed otherwise.
StepReport MakeTcpPort(platform::Spooler& spooler, const TcpPortSettings& port);

// An installation on a network port: the port first (MakeTcpPort), then
// InstallPrinter with the port's step at the head of its report. When the
// port cannot be had, nothing else is done: the report holds that step alone.
InstallReport InstallOnNetworkPort(const InstallChoices& choices, const TcpPortSettings& port, ProgressSink& sink,
                                   const platform::InstallPlatform& platform);

}  // namespace tq
