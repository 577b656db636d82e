// Default Messages: a silent sink until the viewer or the CLI installs its own.
#include "image/Messages.h"

TModalResult SilentMessages::Ask(const std::string&, TMsgDlgType, unsigned buttons, bool) {
  if (buttons & mbYes) return TModalResult::mrYes;
  if (buttons & mbOK) return TModalResult::mrOK;
  if (buttons & mbNo) return TModalResult::mrNo;
  return TModalResult::mrCancel;
}

namespace {
SilentMessages g_silent;
Messages* g_current = &g_silent;
}  // namespace

Messages& DefaultMessages() {
  return *g_current;
}

void SetDefaultMessages(Messages* messages) {
  g_current = messages ? messages : &g_silent;
}
