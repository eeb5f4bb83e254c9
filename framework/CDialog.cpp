// The shared half of the dialog: message routing to the handlers, the default handlers and
// data exchange. DoModal, EndDialog's wake-up, the cursor and control binding live in the back
// ends.
#include "CDialog.h"

bool CDialog::HandleMessage(unsigned message, std::uintptr_t wParam, std::intptr_t /*lParam*/) {
  switch (message) {
    case fw::kInitDialog:
      return OnInitDialog();
    case fw::kTimer:
      OnTimer(wParam);
      return true;
    case fw::kDestroy:
      OnDestroy();
      return true;
    case fw::kCommand:
      // The low word is the command id; the high word is 0 (button click) for the buttons.
      if (((wParam >> 16) & 0xFFFF) != 0)
        return false;
      if ((wParam & 0xFFFF) == fw::kIdOk) {
        OnOK();
        return true;
      }
      if ((wParam & 0xFFFF) == fw::kIdCancel) {
        OnCancel();
        return true;
      }
      return false;
    default:
      return false;
  }
}

void CDialog::EndDialog(int result) {
  m_nModalResult = result;
  m_bEndModal = true;
  WakeModalLoop();
}

bool CDialog::UpdateData(bool saveAndValidate) {
  CDataExchange exchange{this, saveAndValidate};
  DoDataExchange(&exchange);
  return true;
}

bool CDialog::OnInitDialog() {
  UpdateData(false);
  return true;
}

void CDialog::OnOK() {
  EndDialog(fw::kIdOk);
}

void CDialog::OnCancel() {
  EndDialog(fw::kIdCancel);
}

void CDialog::OnTimer(std::uintptr_t /*id*/) {}
