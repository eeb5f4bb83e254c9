// The progress dialog: the busy model mirrored into the window, and the close handshake with
// the sending thread.
//
// The handshake: the window is published under m_windowMutex at the end of OnInitDialog, and
// withdrawn under it in OnDestroy. Close looks at it under the same lock, so a close request
// made before the window exists is either seen by PublishWindow (which then closes the new
// window at once) or comes after the window was published (and Close sends the OK command).
#include "CBusyDialog.h"

#include "CWinApp.h"
#include "resource.h"

CBusyDialog::CBusyDialog() : CDialog(IDD_BUSY_DIALOG) {}

CBusyDialog::~CBusyDialog() = default;

void CBusyDialog::SetDuration(double seconds) {
  m_model.SetDuration(seconds);
  if (m_hWnd) {
    m_progress.SetRange32(0, m_model.RangeUpper());
    m_progress.SetPos(m_model.position());
  }
}

int CBusyDialog::UpdateTitle() {
  const int percent = m_model.Percent();
  SetText(FormatBusyCaption(m_caption, percent));
  return percent;
}

void CBusyDialog::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  DDX_Control(pDX, IDC_BUSY_UPPER_TEXT, m_upperStatic);
  DDX_Control(pDX, IDC_BUSY_PROGRESS, m_progress);
  DDX_Control(pDX, IDC_BUSY_LOWER_TEXT, m_lowerStatic);
}

bool CBusyDialog::PreTranslateMessage(const fw::Message& message) {
  // Enter and Escape would end the dialog; the sending side alone does that.
  if (message.message == fw::kKeyDown)
    return true;
  return CDialog::PreTranslateMessage(message);
}

bool CBusyDialog::OnInitDialog() {
  CDialog::OnInitDialog();
  m_timer = SetTimer(kTimerId, BusyModel::kIntervalMs);
  m_progress.SetRange32(0, m_model.RangeUpper());
  m_progress.SetStep(BusyModel::kStep);
  if (!m_caption.empty())
    SetText(m_caption);
  if (!m_upperText.empty())
    m_upperStatic.SetText(m_upperText);
  if (!m_lowerText.empty())
    m_lowerStatic.SetText(m_lowerText);
  if (const CWinApp* app = AfxGetApp())
    CenterWindow(app->m_pMainWnd);
  // Without its timer the dialog would never restore itself, and Close waits for that.
  ShowWindow(m_timer ? fw::kShowMinimized : fw::kShowRestore);
  BeginWaitCursor();
  PublishWindow();
  return true;
}

void CBusyDialog::PublishWindow() {
  bool closeNow;
  {
    std::lock_guard<std::mutex> lock(m_windowMutex);
    m_window = m_hWnd;
    closeNow = m_closeRequested;
  }
  if (closeNow)
    OnOK();
}

void CBusyDialog::OnTimer(std::uintptr_t id) {
  CDialog::OnTimer(id);
  const BusyModel::Tick tick = m_model.OnTick(IsIconic());
  RestoreWaitCursor();
  SetText(FormatBusyCaption(m_caption, tick.percent));
  if (tick.step)
    m_progress.SetPos(m_model.position());
  if (tick.restore)
    ShowWindow(fw::kShowRestore);
  // A Close waiting for the restore looks again at every tick (also after an operator restore).
  NotifyWindowChanged();
}

void CBusyDialog::OnOK() {
  EndWaitCursor();
  m_model.Finish();
  m_progress.SetPos(m_model.position());
  UpdateTitle();
  KillTimer(m_timer);
  CDialog::OnOK();
}

void CBusyDialog::OnDestroy() {
  {
    std::lock_guard<std::mutex> lock(m_windowMutex);
    m_window = nullptr;
  }
  NotifyWindowChanged();
  CDialog::OnDestroy();
}

void CBusyDialog::NotifyWindowChanged() {
  std::lock_guard<std::mutex> lock(m_windowMutex);
  m_windowChanged.notify_all();
}

void CBusyDialog::Close() {
  std::unique_lock<std::mutex> lock(m_windowMutex);
  if (!m_window) {
    m_closeRequested = true;
    return;
  }
  m_windowChanged.wait(lock,
                       [this] { return !m_window || !CWnd::FromHandle(m_window).IsIconic(); });
  void* const window = m_window;
  lock.unlock();
  // A window that ends between the unlock and the send makes the send return at once.
  if (window)
    CWnd::FromHandle(window).SendCommandAndWait(fw::kIdOk);
}

bool CBusyDialog::HasWindow() const {
  std::lock_guard<std::mutex> lock(m_windowMutex);
  return m_window != nullptr;
}
