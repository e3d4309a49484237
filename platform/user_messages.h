// The message box of the installation run. The wizard shows it with its
// AfxMessageBox; tqinstall shows nothing, since its report carries the failure.
#pragma once

#include <string>

namespace tq::platform {

class UserMessages {
public:
    virtual ~UserMessages() = default;

    // Shows `textCp936` (code page 936 bytes) with an OK button, modally until
    // confirmed. (Not named MessageBox: that is a macro of <windows.h>.)
    virtual void ShowOk(const std::string& textCp936) = 0;
};

}  // namespace tq::platform
