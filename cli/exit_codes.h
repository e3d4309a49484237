#pragma once

namespace tq::cli {

// The same for every command.
constexpr int kExitDone = 0;          // everything succeeded
constexpr int kExitFailed = 1;        // something failed; the report says what
constexpr int kExitBadArguments = 2;  // bad arguments, or a command this system cannot run
constexpr int kExitNotAllowed = 3;    // no administrator rights
// Another run held the machine-wide lock for the whole wait; endpoint
// management retries later (ERROR_INSTALL_ALREADY_RUNNING).
constexpr int kExitAnotherRun = 1618;

}  // namespace tq::cli
