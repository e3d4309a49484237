// Asking a network receipt printer for its state with the ESC/POS real-time
// status requests DLE EOT 1 (printer), 2 (offline cause) and 4 (roll paper).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "install/tcp_port.h"
#include "platform/tcp_client.h"

namespace tq {

// Whether `byte` can be a real-time status answer: bits 1 and 4 set, bits 0
// and 7 clear. Anything else is not a printer's answer.
bool IsStatusAnswer(std::uint8_t byte);

// The printer's state as far as its answers tell; nullopt where no answer told.
struct PrinterStatus {
    std::optional<bool> online;          // DLE EOT 1, bit 3 clear
    std::optional<bool> drawerPin3High;  // DLE EOT 1, bit 2
    std::optional<bool> coverOpen;       // DLE EOT 2, bit 2
    std::optional<bool> paperNearEnd;    // DLE EOT 4, bits 2 and 3
    // DLE EOT 4, bits 5 and 6; also true when DLE EOT 2 says printing
    // stopped at the paper end (bit 5).
    std::optional<bool> paperOut;
};

// Reads the three answers (each nullopt when it did not come or was not a
// status answer).
PrinterStatus DecodeStatus(std::optional<std::uint8_t> printer, std::optional<std::uint8_t> offlineCause,
                           std::optional<std::uint8_t> rollPaper);

struct ProbeResult {
    HostAndPort address;
    bool reachable = false;
    platform::ErrorCode connectError = platform::kErrorSuccess;  // why it was not reachable
    bool connectTimedOut = false;
    bool answerTimedOut = false;  // a request got no answer in time (the rest were not sent)
    bool connectionClosed = false;  // the printer closed the connection before answering all
    std::vector<std::uint8_t> notAnswers;  // bytes that came back but are not status answers
    platform::ErrorCode sendError = platform::kErrorSuccess;
    PrinterStatus status;
    std::int64_t ms = 0;  // from the connect to the last answer
};

// Connects, sends DLE EOT 1, 2, 4 one after the other and reads one byte for
// each, waiting at most `timeoutMs` for the connection and for each answer.
// After an answer that did not come in time nothing more is asked: a late
// answer would be taken for the next one.
ProbeResult ProbePrinter(platform::TcpClient& client, const HostAndPort& address, unsigned timeoutMs);

// Whether the printer can print: reachable, online, cover closed, paper not out.
bool ProbeReady(const ProbeResult& result);

// What stands in the way, in words: "unreachable", "no answer within the
// timeout", "offline", "cover open", "paper out", ... Empty when ready.
std::vector<std::string> ProbeProblems(const ProbeResult& result);

}  // namespace tq
