// Win32 error codes as plain numbers, so the pure layers can carry and test them.
#pragma once

#include <cstdint>

namespace tq::platform {

// A Win32 error code (GetLastError, or a registry call's LSTATUS); 0 is success.
using ErrorCode = std::uint32_t;

constexpr ErrorCode kErrorSuccess = 0;
constexpr ErrorCode kErrorFileNotFound = 2;
constexpr ErrorCode kErrorPathNotFound = 3;
constexpr ErrorCode kErrorAccessDenied = 5;
constexpr ErrorCode kErrorInvalidHandle = 6;
constexpr ErrorCode kErrorInvalidParameter = 87;
constexpr ErrorCode kErrorInsufficientBuffer = 122;
constexpr ErrorCode kErrorInvalidPrinterName = 1801;
constexpr ErrorCode kErrorPrinterAlreadyExists = 1802;
constexpr ErrorCode kErrorPrinterDriverInUse = 3001;
constexpr ErrorCode kErrorCallNotImplemented = 120;

// The outcome of one call: whether it succeeded and, if not, its error code.
struct CallResult {
    bool ok = true;
    ErrorCode error = kErrorSuccess;

    static CallResult Success() { return {true, kErrorSuccess}; }
    static CallResult Failure(ErrorCode error) { return {false, error}; }
};

}  // namespace tq::platform
