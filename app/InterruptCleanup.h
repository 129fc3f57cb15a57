#pragma once
// The window program ended by SIGINT, SIGTERM or SIGHUP (a logout) mid-batch: the temporary file
// of the write in hand is removed before the process ends, so every output is complete or absent.

namespace pixtrel {

// Installs the handlers; call once at start-up.
void InstallInterruptCleanup();

}  // namespace pixtrel
