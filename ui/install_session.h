// The one process-wide record through which the pages and the installation
// reach each other. Touched on the user-interface thread only.
#pragma once

#include <string>

#include "host/host_probes.h"

namespace tq::ui {

class CSelectPortDlg;
class CDetailSettingDlg;

struct InstallSession {
    OsKind osKind = Unclassified;                 // set by each showing of the Select OS page
    CSelectPortDlg* selectPortPage = nullptr;     // the current Select Port page, not owned
    CDetailSettingDlg* detailPage = nullptr;      // the open Detail Setting page, not owned
    std::string selectedPort;                     // as the spooler names it, in the system's code page
};

extern InstallSession theInstallSession;

}  // namespace tq::ui
