// The shipped stub shows the wizard: pages, progress display and tray are wired
// in before WinMain runs. Test variants of the stub that record the pre-loaded
// pages instead leave this file out.
#include "stub/wizard_wiring.h"

namespace {
const bool installed = (qel::stub::install_wizard(), true);
}  // namespace
