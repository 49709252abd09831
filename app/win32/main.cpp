// Reparador for Windows: the same window logic (fTrasvel) over the Win32
// view and the Windows adapters. The program takes no options; names are the
// system's own, the current folder the one it starts in.
#include <windows.h>

#include "app/f_trasvel.h"
#include "app/win32/trasvel_window.h"
#include "platform/win32/windows_disk_space.h"
#include "platform/win32/windows_file_system.h"
#include "platform/win32/windows_jet_engine.h"
#include "platform/win32/windows_profile.h"
#include "platform/win32/win32_ui.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int show) {
  // Laid out at the system's DPI rather than scaled up as a bitmap.
  ::SetProcessDPIAware();

  platform::WindowsFileSystem files;
  platform::WindowsJetEngine engine;
  platform::WindowsProfile profile;
  platform::WindowsDiskSpace disk;

  app::TrasvelWindow window;
  platform::Win32Ui ui(window.handle(), window.cmp(), window.cmProceso(), window.lbEsperar());
  app::fTrasvel logic(ui, files, engine, profile, disk);
  window.setLogic(&logic, &ui);

  logic.Form_Load();
  ::ShowWindow(window.handle(), show);
  return app::TrasvelWindow::run(window.handle());
}
