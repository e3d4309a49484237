#include "install/printer_probe.h"

#include <chrono>
#include <cstdio>

namespace tq {
namespace {

constexpr std::uint8_t kDle = 0x10, kEot = 0x04;

bool Bit(std::uint8_t byte, int n) { return (byte >> n) & 1; }

// The answer if it is a status answer.
std::optional<std::uint8_t> Valid(std::optional<std::uint8_t> answer) {
    if (answer && IsStatusAnswer(*answer)) return answer;
    return std::nullopt;
}

std::string Hex(std::uint8_t byte) {
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", byte);
    return text;
}

}  // namespace

bool IsStatusAnswer(std::uint8_t byte) { return (byte & 0x93) == 0x12; }

PrinterStatus DecodeStatus(std::optional<std::uint8_t> printer, std::optional<std::uint8_t> offlineCause,
                           std::optional<std::uint8_t> rollPaper) {
    PrinterStatus s;
    if (const auto b = Valid(printer)) {
        s.online = !Bit(*b, 3);
        s.drawerPin3High = Bit(*b, 2);
    }
    const auto cause = Valid(offlineCause);
    if (cause) s.coverOpen = Bit(*cause, 2);
    if (const auto b = Valid(rollPaper)) {
        s.paperNearEnd = Bit(*b, 2) && Bit(*b, 3);
        s.paperOut = Bit(*b, 5) && Bit(*b, 6);
    }
    if (cause && Bit(*cause, 5)) s.paperOut = true;  // printing stopped at the paper end
    return s;
}

ProbeResult ProbePrinter(platform::TcpClient& client, const HostAndPort& address, unsigned timeoutMs) {
    ProbeResult result;
    result.address = address;
    const auto start = std::chrono::steady_clock::now();
    const auto elapsed = [&] {
        return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start)
            .count();
    };
    const platform::TcpWait connected = client.Connect(address.host, address.number, timeoutMs);
    if (!connected.call.ok) {
        result.connectError = connected.call.error;
        result.connectTimedOut = connected.timedOut;
        result.ms = elapsed();
        return result;
    }
    result.reachable = true;

    std::optional<std::uint8_t> answers[3];
    const std::uint8_t requests[3] = {1, 2, 4};
    for (int i = 0; i < 3; ++i) {
        const platform::CallResult sent = client.Send({kDle, kEot, requests[i]});
        if (!sent.ok) {
            result.sendError = sent.error;
            break;
        }
        const platform::TcpReceived got = client.Receive(1, timeoutMs);
        if (got.bytes.empty()) {
            if (got.closed) {
                result.connectionClosed = true;
            } else if (got.wait.timedOut) {
                result.answerTimedOut = true;
            } else {
                result.sendError = got.wait.call.error;
            }
            break;
        }
        answers[i] = got.bytes[0];
        if (!IsStatusAnswer(got.bytes[0])) result.notAnswers.push_back(got.bytes[0]);
        result.ms = elapsed();
    }
    client.Close();
    if (result.ms == 0) result.ms = elapsed();
    result.status = DecodeStatus(answers[0], answers[1], answers[2]);
    return result;
}

bool ProbeReady(const ProbeResult& r) {
    return r.reachable && r.status.online == true && r.status.coverOpen == false && r.status.paperOut == false;
}

std::vector<std::string> ProbeProblems(const ProbeResult& r) {
    std::vector<std::string> problems;
    if (!r.reachable) {
        problems.push_back(r.connectTimedOut ? "unreachable: no connection within the timeout" : "unreachable");
        return problems;
    }
    if (r.answerTimedOut) problems.push_back("no answer within the timeout");
    if (r.connectionClosed) problems.push_back("the printer closed the connection before it answered");
    if (r.sendError) problems.push_back("the connection failed while asking");
    for (const std::uint8_t byte : r.notAnswers) {
        problems.push_back("an answer that is not a printer's status (" + Hex(byte) + ")");
    }
    if (r.status.online == false) problems.push_back("offline");
    if (r.status.coverOpen == true) problems.push_back("cover open");
    if (r.status.paperOut == true) problems.push_back("paper out");
    if (problems.empty() && !ProbeReady(r)) problems.push_back("the printer did not tell its whole state");
    return problems;
}

}  // namespace tq
