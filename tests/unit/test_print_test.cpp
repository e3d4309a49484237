#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "catalog/model_catalog.h"
#include "cli/test_print_output.h"
#include "install/printer_state.h"
#include "install/test_print.h"
#include "install/test_receipt.h"
#include "platform/testing/recording_platform.h"

namespace tq {
namespace {

using platform::testing::RecordingPlatform;
using platform::testing::SpooledJob;

// The receipt's text lines with the ESC/POS commands it uses taken out.
std::vector<std::string> TextLines(const std::string& receipt) {
    std::vector<std::string> lines(1);
    for (std::size_t i = 0; i < receipt.size();) {
        const char c = receipt[i];
        if (c == 0x1B) {
            const char command = receipt.at(i + 1);
            i += command == '@' ? 2 : command == 'p' ? 5 : 3;  // ESC @; ESC p m t1 t2; ESC a|E|d n
        } else if (c == 0x1D) {
            i += 3;  // GS V m
        } else if (c == '\n') {
            lines.emplace_back();
            ++i;
        } else {
            lines.back() += c;
            ++i;
        }
    }
    if (lines.back().empty()) lines.pop_back();
    return lines;
}

ReceiptFacts Facts(int row) {
    const ModelEntry& m = *ModelCatalog::Row(row);
    ReceiptFacts f;
    f.model = m.displayName;
    f.driver = m.displayName;
    f.port = "LPT1:";
    f.computer = "SHOP-TILL-2";
    f.dateTime = "2026-12-11 16:05:09";
    f.version = "7.0.0.0";
    f.paperWidthMm = m.paperWidthMm;
    f.cut = m.hasCutter;
    return f;
}

const std::string kFeed = "\x1B" "d\x04";
const std::string kCut = "\x1D" "V\x01";

TEST(TestReceipt, FitsThePaperAndEndsAsTheModelAndOptionsSay) {
    struct Case {
        const char* name;
        int row;
        bool noCut;
        int drawer;
        std::size_t columns;
        std::string ending;  // the receipt's last bytes
    };
    const Case cases[] = {
        {"58 mm without cutter", 7, false, 0, 32, kFeed},
        {"80 mm with cutter", 1, false, 0, 48, kFeed + kCut},
        {"80 mm with cutter, --no-cut", 1, true, 0, 48, kFeed},
        {"112 mm without cutter", 9, false, 0, 64, kFeed},
        {"drawer pin 2", 1, false, 2, 48, std::string("\x1Bp\x00\x19\xFA", 5) + kFeed + kCut},
        {"drawer pin 5, no cutter", 17, false, 5, 32, std::string("\x1Bp\x01\x19\xFA", 5) + kFeed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ReceiptFacts f = Facts(c.row);
        f.cut = f.cut && !c.noCut;
        f.drawerPin = c.drawer;
        const std::string r = BuildTestReceipt(f);
        EXPECT_EQ(r.substr(0, 2), "\x1B@");
        ASSERT_GE(r.size(), c.ending.size());
        EXPECT_EQ(r.substr(r.size() - c.ending.size()), c.ending);
        EXPECT_EQ(r.find("\x1DV") != std::string::npos, f.cut);
        EXPECT_EQ(r.find("\x1Bp") != std::string::npos, c.drawer != 0);

        const auto lines = TextLines(r);
        std::size_t widest = 0;
        for (const auto& line : lines) {
            EXPECT_LE(line.size(), c.columns) << line;
            widest = std::max(widest, line.size());
        }
        EXPECT_EQ(widest, c.columns);
        const std::string ruler = std::string("1234567890123456789012345678901234567890123456789012345678901234")
                                      .substr(0, c.columns);
        EXPECT_NE(std::find(lines.begin(), lines.end(), ruler), lines.end());

        std::string text;
        for (const auto& line : lines) text += line;
        for (const std::string& fact : {f.model, f.port, f.computer, f.dateTime, std::string("tqinstall 7.0.0.0")}) {
            EXPECT_NE(text.find(fact), std::string::npos) << fact;
        }
        std::string ascii;
        for (char ch = 0x20; ch < 0x7F; ++ch) ascii += ch;
        EXPECT_NE(text.find(ascii), std::string::npos) << "the printable ASCII characters, in order";
    }
}

TEST(TestReceipt, LongAndForeignFactsWrapAndStayPrintable) {
    ReceiptFacts f = Facts(7);
    f.port = "/tmp/a-rather-long-folder-name/and-a-long-port-file-name.bin";
    f.computer = "KASSE-\xC4\xD6";
    const auto lines = TextLines(BuildTestReceipt(f));
    std::string text;
    for (const auto& line : lines) {
        EXPECT_LE(line.size(), 32u) << line;
        for (char ch : line) EXPECT_TRUE(ch >= 0x20 && ch <= 0x7E) << line;
        text += line;
    }
    EXPECT_NE(text.find("KASSE-??"), std::string::npos);
    // The port's pieces follow each other on indented lines.
    std::string port;
    const auto first = std::find_if(lines.begin(), lines.end(), [](const std::string& l) { return l.rfind("Port:", 0) == 0; });
    ASSERT_NE(first, lines.end());
    for (auto it = first; it != lines.end() && (it == first || it->rfind("          ", 0) == 0); ++it) {
        port += it->substr(10);
    }
    EXPECT_EQ(port, f.port);
}

TEST(PrinterState, BitsBecomeWords) {
    using namespace printer_state;
    EXPECT_EQ(PrinterStateText(0, 0), "ready");
    EXPECT_EQ(PrinterStateText(kPrinterOffline | kPrinterPaperOut, 0), "paper out, offline");
    EXPECT_EQ(PrinterStateText(0, kAttributeWorkOffline), "working offline");
    EXPECT_EQ(PrinterStateText(0x80000000u | kPrinterPaused, 0), "paused, other status 0x80000000");
    EXPECT_TRUE(PrinterInTrouble(kPrinterNotAvailable, 0));
    EXPECT_TRUE(PrinterInTrouble(0, kAttributeWorkOffline));
    EXPECT_FALSE(PrinterInTrouble(0x400 /* printing */ | 0x20000 /* toner low */, 0));
    EXPECT_EQ(JobWords(0x20 | 0x40), (std::vector<std::string>{"offline", "paper out"}));
    EXPECT_FALSE(JobInTrouble(0x8 | 0x10 | 0x80));  // spooling, printing, printed
    EXPECT_TRUE(JobInTrouble(0x200));                // blocked
}

// The spooler double with one printer of row 1 on LPT1:, and a clock that moves
// on by each pause asked for.
struct Spooled {
    RecordingPlatform machine;
    unsigned slept = 0;

    Spooled() { machine.printers = {{"TQ-A10(Cut) Series", "LPT1:", "TQ-A10(Cut) Series"}}; }

    TestPrintReport Send(std::int64_t timeoutMs = 1000) {
        TestPrintRequest request;
        request.printer = "TQ-A10(Cut) Series";
        request.timeoutMs = timeoutMs;
        request.pollMs = 250;
        request.receipt = [](const platform::InstalledPrinter& p) { return "receipt for " + p.port; };
        request.nowMs = [this] {
            std::int64_t ms = 0;
            for (const auto& call : machine.CallsNamed("Sleep")) ms += std::stoi(call.args.at(0));
            return ms;
        };
        return SendTestReceipt(machine, machine, request);
    }
};

TEST(TestPrint, SendsOneRawJobAndReturnsOnceItLeftTheQueue) {
    Spooled s;
    const TestPrintReport r = s.Send();
    EXPECT_EQ(r.outcome, TestPrintOutcome::Printed);
    EXPECT_EQ(s.machine.CallNames(),
              (std::vector<std::string>{"OpenPrinterA", "GetPrinterA", "StartDocPrinterA", "WritePrinter",
                                        "EndDocPrinter", "GetJobA", "GetPrinterA", "ClosePrinter"}));
    EXPECT_EQ(s.machine.CallsNamed("OpenPrinterA")[0].args.at(1), "PRINTER_ACCESS_USE");
    ASSERT_EQ(s.machine.jobs.size(), 1u);
    const SpooledJob& job = s.machine.jobs[0];
    EXPECT_EQ(job.dataType, "RAW");
    EXPECT_EQ(job.bytes, "receipt for LPT1:");
    EXPECT_TRUE(job.ended);
    EXPECT_EQ(r.jobId, job.id);
    EXPECT_EQ(r.driver, "TQ-A10(Cut) Series");
    EXPECT_EQ(r.port, "LPT1:");
    EXPECT_EQ(r.bytesWritten, r.bytes);
}

TEST(TestPrint, WaitRoads) {
    using namespace printer_state;
    struct Case {
        const char* name;
        std::uint32_t jobStatus;       // the held job's status (every poll)
        int leavesAfterPolls;          // -1: never
        std::size_t sleeps;
        std::uint32_t printerStatus;   // from the start
        std::uint32_t attributes;
        TestPrintOutcome outcome;
        const char* words;             // in the text report
    };
    const Case cases[] = {
        {"printing, then gone after 3 polls", 0x10, 3, 3, 0, 0, TestPrintOutcome::Printed, "Printed"},
        {"kept in the queue as printed", kJobPrinted, -1, 0, 0, 0, TestPrintOutcome::Printed, "Printed"},
        {"queued at the timeout", 0, -1, 4, 0, 0, TestPrintOutcome::StillQueued, "still in the queue after 1 s"},
        {"printer paused", 0, -1, 4, kPrinterPaused, 0, TestPrintOutcome::StillQueued, "printer: paused"},
        {"printer offline", 0x20, -1, 4, kPrinterOffline, 0, TestPrintOutcome::StillQueued,
         "job: offline; printer: offline"},
        {"unplugged: working offline", 0, -1, 4, 0, kAttributeWorkOffline, TestPrintOutcome::StillQueued,
         "printer: working offline"},
        {"paper out", 0x40, -1, 4, kPrinterPaperOut, 0, TestPrintOutcome::StillQueued, "job: paper out"},
        {"job error", kJobError, -1, 4, kPrinterError, 0, TestPrintOutcome::JobFailed, "job failed (job: error"},
        {"deleted after an error", kJobError, 2, 2, 0, 0, TestPrintOutcome::JobFailed,
         "job failed (job: left the queue, last seen error"},
        {"gone, but the printer is not available", 0, 1, 1, kPrinterNotAvailable, 0, TestPrintOutcome::PrinterNotReady,
         "printer reports: not available"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Spooled s;
        s.machine.printers[0].status = c.printerStatus;
        s.machine.printers[0].attributes = c.attributes;
        s.machine.printers[0].jobs = 1;
        s.machine.holdJobs = true;
        s.machine.heldJobStatus = c.jobStatus;
        s.machine.onGetJob = [&](SpooledJob* job, int earlier) {
            if (job && earlier == c.leavesAfterPolls) job->inQueue = false;
        };
        const TestPrintReport r = s.Send(1000);
        EXPECT_EQ(TestPrintOutcomeName(r.outcome), std::string(TestPrintOutcomeName(c.outcome)));
        // At the timeout: 1000 ms in pauses of 250, then the last look.
        EXPECT_EQ(s.machine.CallsNamed("Sleep").size(), c.sleeps);
        EXPECT_EQ(r.waitedMs, static_cast<std::int64_t>(c.sleeps) * 250);
        EXPECT_EQ(s.machine.CallNames().back(), "ClosePrinter");
        cli::TestPrintSettings settings{ModelCatalog::Row(1), true, 0, 1000};
        const std::string text = cli::TestPrintToText(settings, r, [](platform::ErrorCode) { return ""; });
        EXPECT_NE(text.find(c.words), std::string::npos) << text;
        EXPECT_EQ(cli::TestPrintExitStatus(r), c.outcome == TestPrintOutcome::Printed ? 0 : 1);
    }
}

TEST(TestPrint, JobThatCannotBeAskedForHasLeftOnlyWhenTheQueueIsEmpty) {
    for (const std::uint32_t waiting : {0u, 1u}) {
        SCOPED_TRACE(waiting);
        Spooled s;
        s.machine.printers[0].jobs = waiting;
        s.machine.holdJobs = true;
        s.machine.Fail("GetJobA", platform::kErrorInvalidHandle);
        const TestPrintReport r = s.Send(500);
        EXPECT_EQ(r.outcome, waiting ? TestPrintOutcome::StillQueued : TestPrintOutcome::Printed);
        EXPECT_EQ(r.jobQueryError, platform::kErrorInvalidHandle);
        EXPECT_EQ(s.machine.CallsNamed("Sleep").size(), waiting ? 2u : 0u);
    }
}

TEST(TestPrint, FailedCallsSayWhichAndLeaveNothingOpen) {
    struct Case {
        const char* name;
        const char* failing;  // "" for no such printer
        TestPrintOutcome outcome;
        std::vector<std::string> calls;
    };
    const Case cases[] = {
        {"no such printer", "", TestPrintOutcome::NoSuchPrinter, {"OpenPrinterA"}},
        {"access denied", "OpenPrinterA", TestPrintOutcome::NotOpened, {"OpenPrinterA"}},
        {"StartDocPrinterA", "StartDocPrinterA", TestPrintOutcome::NotSent,
         {"OpenPrinterA", "GetPrinterA", "StartDocPrinterA", "ClosePrinter"}},
        {"WritePrinter", "WritePrinter", TestPrintOutcome::NotSent,
         {"OpenPrinterA", "GetPrinterA", "StartDocPrinterA", "WritePrinter", "EndDocPrinter", "GetPrinterA",
          "ClosePrinter"}},
        {"EndDocPrinter", "EndDocPrinter", TestPrintOutcome::NotSent,
         {"OpenPrinterA", "GetPrinterA", "StartDocPrinterA", "WritePrinter", "EndDocPrinter", "GetPrinterA",
          "ClosePrinter"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Spooled s;
        if (std::string(c.failing).empty()) {
            s.machine.printers.clear();
        } else {
            s.machine.Fail(c.failing, platform::kErrorAccessDenied);
        }
        const TestPrintReport r = s.Send();
        EXPECT_EQ(TestPrintOutcomeName(r.outcome), std::string(TestPrintOutcomeName(c.outcome)));
        EXPECT_EQ(r.failedCall, std::string(c.failing).empty() ? "OpenPrinterA" : c.failing);
        EXPECT_EQ(s.machine.CallNames(), c.calls);
        EXPECT_FALSE(r.Succeeded());
        cli::TestPrintSettings settings{ModelCatalog::Row(1), true, 2, 1000};
        const auto json = cli::TestPrintToJson(settings, r, [](platform::ErrorCode e) {
            return e == platform::kErrorAccessDenied ? std::string("Access is denied.") : std::string();
        });
        EXPECT_EQ(json["outcome"], TestPrintOutcomeName(c.outcome));
        EXPECT_EQ(json["succeeded"], false);
        EXPECT_EQ(json["drawerPin"], 2);
        EXPECT_EQ(json["failedCall"], r.failedCall);
        if (r.error == platform::kErrorAccessDenied) {
            EXPECT_NE(json["words"].get<std::string>().find("error 5 (Access is denied.)"), std::string::npos);
        }
    }
}

}  // namespace
}  // namespace tq
