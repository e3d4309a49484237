// tqinstall ports and monitors: the spooler's lists as they stand.
#pragma once

namespace tq::cli {

int RunPorts(bool json);
int RunMonitors(bool json);

}  // namespace tq::cli
