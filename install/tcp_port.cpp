#include "install/tcp_port.h"

#include "install/convergence.h"

#include <algorithm>
#include <cctype>

#include "platform/names.h"
#include "install/step_building.h"

namespace tq {

using platform::LowerAscii;
using platform::SameName;

const char kTcpPortMonitor[] = "Standard TCP/IP Port";

namespace {

using platform::CallResult;
using platform::ErrorCode;

// PORT_DATA_1's layout (tcpxcv.h): WCHAR texts, DWORDs on 4-byte boundaries.
constexpr std::size_t kPortNameAt = 0, kPortNameChars = 64;
constexpr std::size_t kVersionAt = 128;
constexpr std::size_t kProtocolAt = 132;
constexpr std::size_t kSizeAt = 136;
constexpr std::size_t kHostAt = 144, kHostChars = 49;
constexpr std::size_t kIpAddressAt = 378, kIpAddressChars = 16;
constexpr std::size_t kPortNumberAt = 952;
constexpr std::size_t kSnmpEnabledAt = 956;
constexpr std::size_t kConfigInfoSize = 132;  // CONFIG_INFO_DATA_1
constexpr std::size_t kConfigVersionAt = 128;

bool AllDigits(const std::string& s) {
    return !s.empty() && std::all_of(s.begin(), s.end(), [](unsigned char c) { return std::isdigit(c); });
}

std::vector<std::string> Split(const std::string& s, char at) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = s.find(at, start);
        parts.push_back(s.substr(start, end - start));
        if (end == std::string::npos) return parts;
        start = end + 1;
    }
}

bool IsIpv4(const std::string& host) {
    const auto parts = Split(host, '.');
    return parts.size() == 4 && std::all_of(parts.begin(), parts.end(), [](const std::string& p) {
               return AllDigits(p) && p.size() <= 3 && std::stoi(p) <= 255;
           });
}

bool IsHostName(const std::string& host) {
    for (const auto& label : Split(host, '.')) {
        if (label.empty() || label.size() > 63 || label.front() == '-' || label.back() == '-') return false;
        const bool ok = std::all_of(label.begin(), label.end(),
                                    [](unsigned char c) { return std::isalnum(c) || c == '-'; });
        if (!ok) return false;
    }
    return true;
}

void PutDword(std::vector<std::uint8_t>& record, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) record[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::uint32_t GetDword(const std::vector<std::uint8_t>& record, std::size_t at) {
    std::uint32_t value = 0;
    for (int i = 0; i < 4; ++i) value |= static_cast<std::uint32_t>(record[at + i]) << (8 * i);
    return value;
}

// An ASCII text as UTF-16LE in a field of `chars` WCHARs, cut to leave the NUL.
void PutText(std::vector<std::uint8_t>& record, std::size_t at, std::size_t chars, const std::string& text) {
    for (std::size_t i = 0; i < text.size() && i + 1 < chars; ++i) {
        record[at + 2 * i] = static_cast<std::uint8_t>(text[i]);
        record[at + 2 * i + 1] = 0;
    }
}

// A UTF-16LE field up to its NUL; characters outside ASCII become '?'.
std::string GetText(const std::vector<std::uint8_t>& record, std::size_t at, std::size_t chars) {
    std::string text;
    for (std::size_t i = 0; i < chars; ++i) {
        const unsigned c = record[at + 2 * i] | (record[at + 2 * i + 1] << 8);
        if (c == 0) break;
        text += c < 0x80 ? static_cast<char>(c) : '?';
    }
    return text;
}

}  // namespace

std::optional<HostAndPort> ParseHostAndPort(const std::string& text, std::string& error) {
    HostAndPort address;
    const auto colon = text.find(':');
    address.host = text.substr(0, colon);
    if (colon != std::string::npos) {
        const std::string number = text.substr(colon + 1);
        if (number.find(':') != std::string::npos) {
            error = "'" + text + "' has more than one ':'; give HOST or HOST:PORT (IPv6 addresses are not supported)";
            return std::nullopt;
        }
        if (!AllDigits(number) || number.size() > 5 || std::stoul(number) < 1 || std::stoul(number) > 65535) {
            error = "the port number '" + number + "' in '" + text + "' is not a number 1..65535";
            return std::nullopt;
        }
        address.number = static_cast<std::uint16_t>(std::stoul(number));
    }
    if (address.host.empty()) {
        error = "'" + text + "' names no host; give HOST or HOST:PORT, such as 192.168.1.50 or 192.168.1.50:9100";
        return std::nullopt;
    }
    if (address.host.size() > kMaxHostLength) {
        error = "the host '" + address.host + "' is longer than " + std::to_string(kMaxHostLength) + " characters";
        return std::nullopt;
    }
    const bool numeric = std::all_of(address.host.begin(), address.host.end(),
                                     [](unsigned char c) { return std::isdigit(c) || c == '.'; });
    if (numeric ? !IsIpv4(address.host) : !IsHostName(address.host)) {
        error = numeric ? "'" + address.host + "' is not an IPv4 address (four numbers 0..255 with dots between)"
                        : "'" + address.host + "' is not a host name (letters, digits, '-' and '.')";
        return std::nullopt;
    }
    return address;
}

bool IsTcpPortChoice(const std::string& port) { return LowerAscii(port.substr(0, 4)) == "tcp:"; }

TcpPortSettings NewTcpPort(const HostAndPort& address) {
    TcpPortSettings port;
    port.name = "IP_" + address.host;
    if (address.number != kDefaultRawPortNumber) port.name += "_" + std::to_string(address.number);
    port.host = address.host;
    port.number = address.number;
    port.protocol = kProtocolRaw;
    port.snmpEnabled = false;
    return port;
}

const char* ProtocolName(std::uint32_t protocol) {
    switch (protocol) {
        case kProtocolRaw: return "RAW";
        case kProtocolLpr: return "LPR";
    }
    return "unknown";
}

std::string DescribeTcpPort(const TcpPortSettings& port) {
    return std::string(ProtocolName(port.protocol)) + " on " + port.host + ":" + std::to_string(port.number) +
           ", SNMP " + (port.snmpEnabled ? "on" : "off");
}

std::vector<std::uint8_t> EncodePortData1(const TcpPortSettings& port) {
    std::vector<std::uint8_t> record(kPortData1Size, 0);
    PutText(record, kPortNameAt, kPortNameChars, port.name);
    PutDword(record, kVersionAt, 1);
    PutDword(record, kProtocolAt, port.protocol);
    PutDword(record, kSizeAt, kPortData1Size);
    PutText(record, kHostAt, kHostChars, port.host);
    PutDword(record, kPortNumberAt, port.number);
    PutDword(record, kSnmpEnabledAt, port.snmpEnabled ? 1 : 0);
    return record;
}

std::optional<TcpPortSettings> DecodePortData1(const std::vector<std::uint8_t>& record) {
    if (record.size() < kPortData1Size || GetDword(record, kVersionAt) != 1) return std::nullopt;
    TcpPortSettings port;
    port.name = GetText(record, kPortNameAt, kPortNameChars);
    port.protocol = GetDword(record, kProtocolAt);
    port.host = GetText(record, kHostAt, kHostChars);
    if (port.host.empty()) port.host = GetText(record, kIpAddressAt, kIpAddressChars);
    port.number = GetDword(record, kPortNumberAt);
    port.snmpEnabled = GetDword(record, kSnmpEnabledAt) != 0;
    return port;
}

std::vector<std::uint8_t> EncodeConfigInfoData1() {
    std::vector<std::uint8_t> record(kConfigInfoSize, 0);
    PutDword(record, kConfigVersionAt, 1);
    return record;
}

namespace {

// Fails the step with the call's error, or with the monitor's status when the
// call went through but the monitor refused.
bool Failed(StepReport& step, const platform::XcvAnswer& answer) {
    if (!answer.call.ok) {
        steps::SetFailure(step, answer.call);
        return true;
    }
    if (answer.status != platform::kErrorSuccess) {
        steps::SetFailure(step, CallResult::Failure(answer.status));
        return true;
    }
    return false;
}

// Compares the existing port `name` with `wanted`: AlreadyThere when it is RAW
// on the same host and number, PortDiffers otherwise.
void CompareExisting(platform::Spooler& spooler, const platform::PortInfo& existing, const TcpPortSettings& wanted,
                     StepReport& step) {
    if (!SameName(existing.monitor, kTcpPortMonitor)) {
        step.outcome = StepOutcome::PortDiffers;
        step.detail = "a port of the monitor \"" + existing.monitor + "\"";
        return;
    }
    const platform::OpenPrinterResult open = spooler.OpenXcv(",XcvPort " + existing.name);
    if (!open.call.ok) {
        steps::SetFailure(step, open.call);
        return;
    }
    const platform::XcvAnswer answer = spooler.XcvData(open.handle, "GetConfigInfo", EncodeConfigInfoData1(),
                                                       kPortData1Size);
    spooler.ClosePrinter(open.handle);
    if (Failed(step, answer)) return;
    const std::optional<TcpPortSettings> held = DecodePortData1(answer.output);
    if (!held) {
        step.outcome = StepOutcome::Failed;
        step.error = platform::kErrorInvalidParameter;
        step.detail = "the monitor's answer about the port is not a PORT_DATA_1 record";
        return;
    }
    if (held->protocol == kProtocolRaw && SameName(held->host, wanted.host) && held->number == wanted.number) {
        step.outcome = StepOutcome::AlreadyThere;
    } else {
        step.outcome = StepOutcome::PortDiffers;
        step.detail = DescribeTcpPort(*held);
    }
}

}  // namespace

StepReport MakeTcpPort(platform::Spooler& spooler, const TcpPortSettings& port) {
    StepReport step = steps::Step(StepKind::NetworkPort, port.name, port.host + ":" + std::to_string(port.number));
    const steps::StepTimer timer;
    const platform::PortList listed = spooler.EnumPorts();
    const auto existing = std::find_if(listed.ports.begin(), listed.ports.end(),
                                       [&](const platform::PortInfo& p) { return SameName(p.name, port.name); });
    if (!listed.call.ok) {
        steps::SetFailure(step, listed.call);
    } else if (existing != listed.ports.end()) {
        CompareExisting(spooler, *existing, port, step);
    } else {
        const platform::OpenPrinterResult open = spooler.OpenXcv(std::string(",XcvMonitor ") + kTcpPortMonitor);
        if (!open.call.ok) {
            // Wine answers 1796 (unknown port); whatever the error, the
            // monitor list tells whether the monitor is missing.
            const platform::MonitorList monitors = spooler.EnumMonitors();
            const bool missing = monitors.call.ok && std::none_of(monitors.names.begin(), monitors.names.end(),
                                                                  [](const std::string& m) {
                                                                      return SameName(m, kTcpPortMonitor);
                                                                  });
            steps::SetFailure(step, open.call);
            if (missing) step.outcome = StepOutcome::NoPortMonitor;
        } else {
            const platform::XcvAnswer added = spooler.XcvData(open.handle, "AddPort", EncodePortData1(port), 0);
            spooler.ClosePrinter(open.handle);
            Failed(step, added);
        }
    }
    step.durationMs = timer.ElapsedMs();
    return step;
}

InstallReport InstallOnNetworkPort(const InstallChoices& choices, const TcpPortSettings& port, ProgressSink& sink,
                                   const platform::InstallPlatform& platform) {
    StepReport portStep = MakeTcpPort(platform.spooler, port);
    // Only a port made now is a change; a port reused as it was is not.
    portStep.changed = portStep.outcome == StepOutcome::Succeeded;
    InstallReport report;
    if (IsFailure(portStep.outcome)) {
        report.environment = EnvironmentName(choices.architecture);
        report.changesKnown = true;  // nothing was done, so nothing changed
    } else {
        report = InstallConverging(choices, sink, platform);
    }
    report.steps.insert(report.steps.begin(), portStep);
    return report;
}

}  // namespace tq
