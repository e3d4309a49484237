// Network receipt printers: the tcp: port (its name, its PORT_DATA_1 record,
// making or reusing it), the check of a chosen port, the status probe, and a
// printer's state in words.
#include <gtest/gtest.h>

#include <CLI/CLI.hpp>
#include <deque>
#include <string>
#include <vector>

#include "cli/choice_options.h"
#include "cli/fleet_output.h"
#include "cli/network_output.h"
#include "install/machine_status.h"
#include "install/printer_probe.h"
#include "install/printer_state.h"
#include "install/tcp_port.h"
#include "platform/testing/recording_platform.h"

namespace tq {
namespace {

using platform::PortInfo;
using platform::testing::RecordingPlatform;

const std::string kMonitor = ",XcvMonitor Standard TCP/IP Port";

std::uint32_t DwordAt(const std::vector<std::uint8_t>& b, std::size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

std::vector<std::uint8_t> Utf16(const std::string& s) {
    std::vector<std::uint8_t> out;
    for (char c : s) {
        out.push_back(static_cast<std::uint8_t>(c));
        out.push_back(0);
    }
    return out;
}

TEST(HostAndPort, AcceptedForms) {
    struct Case {
        const char* text;
        const char* host;
        unsigned number;
    };
    for (const Case& c : std::vector<Case>{{"192.168.1.50", "192.168.1.50", 9100},
                                           {"192.168.1.50:9101", "192.168.1.50", 9101},
                                           {"0.0.0.0:1", "0.0.0.0", 1},
                                           {"kitchen-1.shop.local:65535", "kitchen-1.shop.local", 65535},
                                           {"PRN7", "PRN7", 9100}}) {
        std::string error;
        const auto parsed = ParseHostAndPort(c.text, error);
        ASSERT_TRUE(parsed) << c.text << ": " << error;
        EXPECT_EQ(parsed->host, c.host) << c.text;
        EXPECT_EQ(parsed->number, c.number) << c.text;
    }
}

TEST(HostAndPort, RefusedFormsSayWhy) {
    struct Case {
        std::string text;
        const char* says;
    };
    for (const Case& c : std::vector<Case>{{"", "names no host"},
                                           {":9100", "names no host"},
                                           {"10.0.0.1:", "not a number 1..65535"},
                                           {"10.0.0.1:0", "not a number 1..65535"},
                                           {"10.0.0.1:65536", "not a number 1..65535"},
                                           {"10.0.0.1:91OO", "not a number 1..65535"},
                                           {"10.0.0.1:+91", "not a number 1..65535"},
                                           {"10.0.0.1:9100:1", "more than one ':'"},
                                           {"fe80::1", "more than one ':'"},
                                           {"10.0.0.256", "not an IPv4 address"},
                                           {"10.0.0", "not an IPv4 address"},
                                           {"10.0..1", "not an IPv4 address"},
                                           {"bar printer", "not a host name"},
                                           {"-printer", "not a host name"},
                                           {"shop..local", "not a host name"},
                                           {"printer/1", "not a host name"},
                                           {std::string(49, 'a'), "longer than 48"}}) {
        std::string error;
        EXPECT_FALSE(ParseHostAndPort(c.text, error)) << c.text;
        EXPECT_NE(error.find(c.says), std::string::npos) << c.text << ": " << error;
    }
}

TEST(TcpPort, NamedAsWindowsNamesThemWithTheNumberOnlyWhenNot9100) {
    EXPECT_EQ(NewTcpPort({"192.168.1.50", 9100}).name, "IP_192.168.1.50");
    EXPECT_EQ(NewTcpPort({"192.168.1.50", 9101}).name, "IP_192.168.1.50_9101");
    EXPECT_EQ(NewTcpPort({"kitchen", 9100}).name, "IP_kitchen");
    const TcpPortSettings port = NewTcpPort({"kitchen", 4000});
    EXPECT_EQ(port.protocol, kProtocolRaw);
    EXPECT_FALSE(port.snmpEnabled);
    EXPECT_EQ(port.number, 4000u);
}

TEST(TcpPort, PortData1RecordHasTheSdkLayout) {
    const std::vector<std::uint8_t> b = EncodePortData1(NewTcpPort({"10.1.2.3", 9101}));
    ASSERT_EQ(b.size(), 964u);  // sizeof(PORT_DATA_1) with the SDK's layout
    std::vector<std::uint8_t> expected(964, 0);
    const auto put = [&](std::size_t at, const std::vector<std::uint8_t>& bytes) {
        std::copy(bytes.begin(), bytes.end(), expected.begin() + static_cast<long>(at));
    };
    const auto dword = [](std::uint32_t v) {
        return std::vector<std::uint8_t>{static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
                                         static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)};
    };
    put(0, Utf16("IP_10.1.2.3_9101"));  // sztPortName[64]
    put(128, dword(1));                 // dwVersion
    put(132, dword(1));                 // dwProtocol: RAW
    put(136, dword(964));               // cbSize
    put(144, Utf16("10.1.2.3"));        // sztHostAddress[49]
    put(952, dword(9101));              // dwPortNumber (after Reserved[540] and 2 bytes of padding)
    // dwSNMPEnabled at 956 and dwSNMPDevIndex at 960 stay 0: SNMP off.
    EXPECT_EQ(b, expected);

    const auto back = DecodePortData1(b);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->name, "IP_10.1.2.3_9101");
    EXPECT_EQ(back->host, "10.1.2.3");
    EXPECT_EQ(back->number, 9101u);
    EXPECT_EQ(back->protocol, kProtocolRaw);
    EXPECT_FALSE(DecodePortData1(std::vector<std::uint8_t>(b.begin(), b.begin() + 900)));

    const std::vector<std::uint8_t> config = EncodeConfigInfoData1();
    ASSERT_EQ(config.size(), 132u);  // CONFIG_INFO_DATA_1: Reserved[128], dwVersion
    EXPECT_EQ(DwordAt(config, 128), 1u);
}

// A machine whose spooler has the Standard TCP/IP Port monitor (as Windows does).
RecordingPlatform WithTcpMonitor() {
    RecordingPlatform rec;
    rec.monitors = {"Local Port", "Standard TCP/IP Port"};
    rec.ports = {{"LPT1:", "Local Port", ""}};
    return rec;
}

// An existing port as the monitor holds it.
void AddExistingPort(RecordingPlatform& rec, TcpPortSettings port) {
    rec.ports.push_back({port.name, "Standard TCP/IP Port", ""});
    rec.portData[port.name] = EncodePortData1(port);
}

TEST(MakeTcpPort, MakesTheRawPortThroughXcvDataAddPort) {
    RecordingPlatform rec = WithTcpMonitor();
    const TcpPortSettings port = NewTcpPort({"192.168.1.50", 9100});
    const StepReport step = MakeTcpPort(rec, port);
    EXPECT_EQ(step.kind, StepKind::NetworkPort);
    EXPECT_EQ(step.outcome, StepOutcome::Succeeded);
    EXPECT_EQ(step.subject, "IP_192.168.1.50");
    EXPECT_EQ(step.target, "192.168.1.50:9100");
    EXPECT_EQ(rec.CallNames(), (std::vector<std::string>{"EnumPortsA", "OpenPrinterA", "XcvDataW", "ClosePrinter"}));
    EXPECT_EQ(rec.calls()[1].args, (std::vector<std::string>{kMonitor, "SERVER_ACCESS_ADMINISTER"}));
    const auto xcv = rec.CallsNamed("XcvDataW").at(0);
    EXPECT_EQ(xcv.args[0], rec.calls()[3].args[0]);  // on the monitor's handle, which is closed after
    EXPECT_EQ(xcv.args[1], "AddPort");
    const std::vector<std::uint8_t> sent(xcv.args[2].begin(), xcv.args[2].end());
    EXPECT_EQ(sent, EncodePortData1(port));
    ASSERT_EQ(rec.ports.size(), 2u);
    EXPECT_EQ(rec.ports[1].name, "IP_192.168.1.50");
}

TEST(MakeTcpPort, ReusesAPortOfTheNameOnlyWithTheSameHostAndNumber) {
    struct Case {
        const char* name;
        TcpPortSettings existing;
        StepOutcome outcome;
        const char* detail;
    };
    const TcpPortSettings wanted = NewTcpPort({"kitchen.shop.local", 9100});
    TcpPortSettings otherHost = wanted, otherNumber = wanted, lpr = wanted, upper = wanted, snmp = wanted;
    otherHost.host = "10.0.0.9";
    otherNumber.number = 9101;
    lpr.protocol = kProtocolLpr;
    upper.host = "KITCHEN.shop.local";
    snmp.snmpEnabled = true;
    for (const Case& c : std::vector<Case>{
             {"same settings", wanted, StepOutcome::AlreadyThere, ""},
             {"host in other case", upper, StepOutcome::AlreadyThere, ""},
             {"SNMP on is kept", snmp, StepOutcome::AlreadyThere, ""},
             {"other host", otherHost, StepOutcome::PortDiffers, "RAW on 10.0.0.9:9100, SNMP off"},
             {"other number", otherNumber, StepOutcome::PortDiffers, "RAW on kitchen.shop.local:9101, SNMP off"},
             {"LPR", lpr, StepOutcome::PortDiffers, "LPR on kitchen.shop.local:9100, SNMP off"}}) {
        RecordingPlatform rec = WithTcpMonitor();
        AddExistingPort(rec, c.existing);
        const auto before = rec.portData;
        const StepReport step = MakeTcpPort(rec, wanted);
        EXPECT_EQ(step.outcome, c.outcome) << c.name;
        EXPECT_EQ(step.detail, c.detail) << c.name;
        EXPECT_EQ(rec.CallNames(),
                  (std::vector<std::string>{"EnumPortsA", "OpenPrinterA", "XcvDataW", "ClosePrinter"}))
            << c.name;
        const auto xcv = rec.CallsNamed("XcvDataW").at(0);
        EXPECT_EQ(rec.calls()[1].args[0], ",XcvPort IP_kitchen.shop.local") << c.name;
        EXPECT_EQ(xcv.args[1], "GetConfigInfo") << c.name;
        const std::vector<std::uint8_t> sent(xcv.args[2].begin(), xcv.args[2].end());
        EXPECT_EQ(sent, EncodeConfigInfoData1()) << c.name;
        EXPECT_EQ(rec.portData, before) << c.name << ": the port is not changed";
    }
}

TEST(MakeTcpPort, RoadsThatStop) {
    const TcpPortSettings wanted = NewTcpPort({"10.0.0.5", 9100});
    {  // Wine: no Standard TCP/IP Port monitor; OpenPrinter of its Xcv name fails with 1796.
        RecordingPlatform rec;
        rec.monitors = {"Local Port"};
        const StepReport step = MakeTcpPort(rec, wanted);
        EXPECT_EQ(step.outcome, StepOutcome::NoPortMonitor);
        EXPECT_EQ(step.error, 1796u);
        EXPECT_TRUE(IsFailure(step.outcome));
        EXPECT_TRUE(rec.CallsNamed("XcvDataW").empty());
        EXPECT_EQ(rec.CallNames(), (std::vector<std::string>{"EnumPortsA", "OpenPrinterA", "EnumMonitorsA"}));
    }
    {  // The monitor is there but refuses the handle: a plain failure.
        RecordingPlatform rec = WithTcpMonitor();
        rec.Fail("OpenPrinterA", 5);
        const StepReport step = MakeTcpPort(rec, wanted);
        EXPECT_EQ(step.outcome, StepOutcome::Failed);
        EXPECT_EQ(step.error, 5u);
    }
    {  // The call goes through but the monitor's status says no.
        RecordingPlatform rec = WithTcpMonitor();
        rec.ports.push_back({"IP_10.0.0.5", "Local Port", ""});  // listed...
        const StepReport step = MakeTcpPort(rec, wanted);
        EXPECT_EQ(step.outcome, StepOutcome::PortDiffers);  // ...but not a TCP/IP port
        EXPECT_EQ(step.detail, "a port of the monitor \"Local Port\"");
        EXPECT_TRUE(rec.CallsNamed("XcvDataW").empty());
    }
    {
        RecordingPlatform rec = WithTcpMonitor();
        rec.ports.push_back({"IP_10.0.0.5", "Standard TCP/IP Port", ""});  // its data unreadable
        const StepReport step = MakeTcpPort(rec, wanted);
        EXPECT_EQ(step.outcome, StepOutcome::Failed);
        EXPECT_EQ(step.error, 13u);  // the monitor's status
    }
    {
        RecordingPlatform rec = WithTcpMonitor();
        rec.Fail("EnumPortsA", 1722);
        const StepReport step = MakeTcpPort(rec, wanted);
        EXPECT_EQ(step.outcome, StepOutcome::Failed);
        EXPECT_EQ(step.error, 1722u);
        EXPECT_EQ(rec.CallNames(), (std::vector<std::string>{"EnumPortsA"}));
    }
}

TEST(InstallOnNetworkPort, ThePortComesFirstAndWithoutItNothingIsDone) {
    InstallChoices choices;
    choices.portName = "IP_10.0.0.5";
    const TcpPortSettings port = NewTcpPort({"10.0.0.5", 9100});
    {
        RecordingPlatform rec = WithTcpMonitor();
        // What the spooler lists after AddPrinterA, for the look at the printer's port.
        rec.printers = {{choices.model.displayName, "IP_10.0.0.5", choices.model.displayName}};
        const InstallReport report = InstallOnNetworkPort(choices, port, rec, rec.Platform());
        EXPECT_TRUE(report.Clean());
        ASSERT_GT(report.steps.size(), 1u);
        EXPECT_EQ(report.steps.front().kind, StepKind::NetworkPort);
        const auto names = rec.CallNames();
        const auto added = std::find(names.begin(), names.end(), "XcvDataW");
        const auto copied = std::find(names.begin(), names.end(), "CopyFileA");
        ASSERT_NE(copied, names.end());
        EXPECT_LT(added, copied);
        EXPECT_EQ(rec.CallsNamed("AddPrinterA").at(0).args[1], "IP_10.0.0.5");
    }
    {
        RecordingPlatform rec;
        rec.monitors = {"Local Port"};
        const InstallReport report = InstallOnNetworkPort(choices, port, rec, rec.Platform());
        EXPECT_FALSE(report.Clean());
        ASSERT_EQ(report.steps.size(), 1u);
        EXPECT_EQ(report.steps[0].outcome, StepOutcome::NoPortMonitor);
        EXPECT_EQ(report.environment, "Windows NT x86");
        for (const char* call : {"GetPrinterDriverDirectoryA", "CopyFileA", "AddPrinterDriverA", "AddPrinterA",
                                 "RegOpenKeyExA", "SetPosition"}) {
            EXPECT_TRUE(rec.CallsNamed(call).empty()) << call;
        }
        EXPECT_EQ(cli::InstallExitStatus(report), 1);
        EXPECT_NE(cli::ReportToText(report, [](platform::ErrorCode) { return std::string(); })
                      .find("no \"Standard TCP/IP Port\" port monitor; nothing was installed"),
                  std::string::npos);
    }
}

TEST(PortChoice, TcpFormsAndPortsTheSpoolerDoesNotList) {
    EXPECT_FALSE(cli::NetworkPortChoice("LPT1:"));
    EXPECT_EQ(cli::NetworkPortChoice("tcp:10.0.0.5")->name, "IP_10.0.0.5");
    EXPECT_EQ(cli::NetworkPortChoice("TCP:kitchen:9101")->name, "IP_kitchen_9101");
    EXPECT_THROW(cli::NetworkPortChoice("tcp:"), CLI::ValidationError);
    EXPECT_THROW(cli::NetworkPortChoice("tcp:10.0.0.5:0"), CLI::ValidationError);
    cli::ChoiceOptions options;
    options.port = "tcp:10.0.0.5:4000";
    EXPECT_EQ(cli::ResolveChoices(options).portName, "IP_10.0.0.5_4000");

    const std::vector<PortInfo> ports = {{"COM1:", "Local Port", ""}, {"LPT1:", "Local Port", ""}};
    EXPECT_FALSE(cli::PortNotListedMessage("lpt1:", ports));
    const auto empty = cli::PortNotListedMessage("", ports);
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->find("--port is empty"), 0u);
    EXPECT_NE(empty->find("The ports there are: \"COM1:\" \"LPT1:\"."), std::string::npos);
    const auto unknown = cli::PortNotListedMessage("LPT9:", ports);
    ASSERT_TRUE(unknown);
    EXPECT_NE(unknown->find("the spooler has no port \"LPT9:\""), std::string::npos);
    EXPECT_NE(unknown->find("\"COM1:\" \"LPT1:\""), std::string::npos);
    EXPECT_NE(cli::PortNotListedMessage("X", {})->find("The spooler lists no ports."), std::string::npos);
}

TEST(PrinterStatusAnswers, FixedBitsAndTheirMeaning) {
    // Bits 1 and 4 set, 0 and 7 clear: 0x12 is the quiet answer.
    for (int b = 0; b < 256; ++b) {
        const bool fixed = (b & 0x01) == 0 && (b & 0x80) == 0 && (b & 0x02) && (b & 0x10);
        EXPECT_EQ(IsStatusAnswer(static_cast<std::uint8_t>(b)), fixed) << b;
    }
    struct Case {
        const char* name;
        std::optional<std::uint8_t> eot1, eot2, eot4;
        std::optional<bool> online, drawer, cover, nearEnd, out;
    };
    const std::nullopt_t none = std::nullopt;
    for (const Case& c : std::vector<Case>{
             {"all quiet", 0x12, 0x12, 0x12, true, false, false, false, false},
             {"offline, drawer pin high", 0x1E, 0x12, 0x12, false, true, false, false, false},
             {"cover open", 0x12, 0x16, 0x12, true, false, true, false, false},
             {"stopped at paper end", 0x12, 0x32, 0x12, true, false, false, false, true},
             {"near end", 0x12, 0x12, 0x1E, true, false, false, true, false},
             {"one near-end bit is not near end", 0x12, 0x12, 0x16, true, false, false, false, false},
             {"paper out", 0x12, 0x12, 0x72, true, false, false, false, true},
             {"one paper-out bit is not out", 0x12, 0x12, 0x32, true, false, false, false, false},
             {"no answers", none, none, none, none, none, none, none, none},
             {"bytes that are no answers", 0x00, 0xFF, 0x13, none, none, none, none, none},
             {"only the first answered", 0x12, none, none, true, false, none, none, none}}) {
        const PrinterStatus s = DecodeStatus(c.eot1, c.eot2, c.eot4);
        EXPECT_EQ(s.online, c.online) << c.name;
        EXPECT_EQ(s.drawerPin3High, c.drawer) << c.name;
        EXPECT_EQ(s.coverOpen, c.cover) << c.name;
        EXPECT_EQ(s.paperNearEnd, c.nearEnd) << c.name;
        EXPECT_EQ(s.paperOut, c.out) << c.name;
    }
}

// A stand-in network: a refused or silent connection, or answers in turn.
class FakeTcp final : public platform::TcpClient {
public:
    platform::TcpWait connect{platform::CallResult::Success(), false};
    std::deque<std::uint8_t> answers;  // one per request; when empty, silence
    bool closeWhenOut = false;          // the printer closes instead of staying silent
    std::vector<std::vector<std::uint8_t>> sent;

    platform::TcpWait Connect(const std::string&, std::uint16_t, unsigned) override { return connect; }
    platform::CallResult Send(const std::vector<std::uint8_t>& bytes) override {
        sent.push_back(bytes);
        return platform::CallResult::Success();
    }
    platform::TcpReceived Receive(std::size_t, unsigned) override {
        platform::TcpReceived r;
        if (!answers.empty()) {
            r.bytes = {answers.front()};
            answers.pop_front();
        } else if (closeWhenOut) {
            r.closed = true;
        } else {
            r.wait = {platform::CallResult::Failure(10060), true};
        }
        return r;
    }
    void Close() override {}
};

TEST(ProbePrinter, AsksThreeTimesAndSaysWhatStandsInTheWay) {
    struct Case {
        const char* name;
        std::deque<std::uint8_t> answers;
        bool refused, closes;
        std::size_t requests;
        bool ready;
        std::vector<std::string> problems;
    };
    for (const Case& c : std::vector<Case>{
             {"ready", {0x12, 0x12, 0x12}, false, false, 3, true, {}},
             {"offline and cover open", {0x1A, 0x16, 0x12}, false, false, 3, false, {"offline", "cover open"}},
             {"paper out", {0x12, 0x12, 0x72}, false, false, 3, false, {"paper out"}},
             {"near end is still ready", {0x12, 0x12, 0x1E}, false, false, 3, true, {}},
             {"silent: nothing more is asked", {}, false, false, 1, false, {"no answer within the timeout"}},
             {"silent after the first", {0x12}, false, false, 2, false, {"no answer within the timeout"}},
             {"closes", {}, false, true, 1, false, {"the printer closed the connection before it answered"}},
             {"not a printer", {0x48, 0x54, 0x54}, false, false, 3, false,
              {"an answer that is not a printer's status (0x48)", "an answer that is not a printer's status (0x54)",
               "an answer that is not a printer's status (0x54)"}},
             {"refused", {}, true, false, 0, false, {"unreachable"}}}) {
        FakeTcp tcp;
        tcp.answers = c.answers;
        tcp.closeWhenOut = c.closes;
        if (c.refused) tcp.connect = {platform::CallResult::Failure(10061), false};
        const ProbeResult r = ProbePrinter(tcp, {"127.0.0.1", 9100}, 50);
        EXPECT_EQ(tcp.sent.size(), c.requests) << c.name;
        for (std::size_t i = 0; i < tcp.sent.size(); ++i) {
            const std::uint8_t n[] = {1, 2, 4};
            EXPECT_EQ(tcp.sent[i], (std::vector<std::uint8_t>{0x10, 0x04, n[i]})) << c.name;
        }
        EXPECT_EQ(r.reachable, !c.refused) << c.name;
        EXPECT_EQ(ProbeReady(r), c.ready) << c.name;
        EXPECT_EQ(ProbeProblems(r), c.problems) << c.name;
    }
}

TEST(ProbePrinter, JsonKeysWithNullWhereNoAnswerTold) {
    FakeTcp tcp;
    tcp.answers = {0x16};  // online, drawer pin 3 high; then silence
    const nlohmann::json j = cli::ProbeToJson(ProbePrinter(tcp, {"10.0.0.5", 9101}, 50));
    EXPECT_EQ(j["host"], "10.0.0.5");
    EXPECT_EQ(j["port"], 9101);
    EXPECT_EQ(j["reachable"], true);
    EXPECT_EQ(j["online"], true);
    EXPECT_EQ(j["drawerPin3High"], true);
    EXPECT_TRUE(j["coverOpen"].is_null());
    EXPECT_TRUE(j["paperNearEnd"].is_null());
    EXPECT_TRUE(j["paperOut"].is_null());
    EXPECT_TRUE(j["ms"].is_number_integer());
    EXPECT_EQ(j.size(), 9u);
}

TEST(PrinterState, StatusShowsEachPrintersStateAndWaitingJobs) {
    RecordingPlatform rec;
    platform::InstalledPrinter a31{"TQ-A31 Series", "IP_10.0.0.5", "TQ-A31 Series", 0x00000081, 0, 3};
    platform::InstalledPrinter a10{"TQ-A10(No Cut) Series", "LPT1:", "TQ-A10(No Cut) Series", 0, 0, 0};
    rec.printers = {a31, a10};
    const MachineStatus status = ReadMachineStatus(rec, rec);
    const nlohmann::json j = cli::StatusToJson(status, [](platform::ErrorCode) { return std::string(); });
    EXPECT_EQ(j["models"][5]["printer"]["state"], "paused, offline");
    EXPECT_EQ(j["models"][5]["printer"]["stateWords"], nlohmann::json({"paused", "offline"}));
    EXPECT_EQ(j["models"][5]["printer"]["jobs"], 3);
    EXPECT_EQ(j["models"][0]["printer"]["state"], "ready");
    EXPECT_EQ(j["models"][0]["printer"]["jobs"], 0);
    const std::string text = cli::StatusToText(status, [](platform::ErrorCode) { return std::string(); });
    EXPECT_NE(text.find("on IP_10.0.0.5, paused, offline, 3 jobs waiting"), std::string::npos) << text;
    EXPECT_NE(text.find("on LPT1:, ready, 0 jobs waiting"), std::string::npos) << text;
}

}  // namespace
}  // namespace tq
