#include "scanning/BatchCycle.h"

#include "scanning/BatchView.h"

BatchCycle::BatchCycle(KScan& scanner, KImgp& imaging, Dialogs& dialogs, BatchView& view,
                       const StationSettings& settings, const LoginResult& login, AuditLog& audit)
    : KScan1(scanner),
      KImgp1(imaging),
      dialogs_(dialogs),
      view_(view),
      settings_(settings),
      login_(login),
      audit_(audit),
      lostBatches_(audit) {}

void BatchCycle::SetMode(StationMode mode) {
    mode_ = mode;
    view_.updateInterface(mode);
}
