// File copies of the installation run.
#pragma once

#include <string>

#include "platform/error_code.h"

namespace tq::platform {

class FileSystem {
public:
    virtual ~FileSystem() = default;

    // CopyFileA(source, destination, failIfExists). (Not named CopyFile: that
    // is a macro of <windows.h>.)
    virtual CallResult Copy(const std::string& source, const std::string& destination, bool failIfExists) = 0;

    // DeleteFileA(path). (Not named DeleteFile, for the same reason.)
    virtual CallResult Delete(const std::string& path) = 0;

    // Whether both files exist and hold the same bytes (read through
    // CreateFileA and ReadFile). False when either cannot be read.
    virtual bool SameBytes(const std::string& first, const std::string& second) = 0;
};

}  // namespace tq::platform
