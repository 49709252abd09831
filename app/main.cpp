// Reparador: one window that repairs and compacts an Access 97 database.
//
// The program takes no options: Qt sees only the program's name. The drives
// of Windows names are the Linux ones (C: the home folder, Z: the root), the
// current folder the one the program starts in.
#include <QtWidgets/QApplication>

#include "app/application.h"
#include "app/f_trasvel.h"
#include "app/trasvel_dialog.h"
#include "jet/io/process_memory.h"
#include "platform/drive_map.h"
#include "platform/jet_engine.h"
#include "platform/linux_file_system.h"
#include "platform/linux_profile.h"
#include "platform/qt_ui.h"
#include "platform/statvfs_disk_space.h"

int main(int argc, char* argv[]) {
  jet::releaseBigBlocksWhenFreed();
  int qtArgc = argc > 0 ? 1 : 0;
  QApplication application(qtArgc, argv);
  app::configureApplication(application);

  platform::DriveMap drives = platform::DriveMap::forThisProcess();
  platform::LinuxFileSystem files(drives);
  platform::JetEngine engine(drives);
  platform::LinuxProfile profile(drives);
  platform::StatvfsDiskSpace disk(drives);

  app::TrasvelDialog window;
  platform::QtUi ui(window, window.cmp(), window.cmProceso(), window.lbEsperar());
  app::fTrasvel logic(ui, files, engine, profile, disk);
  window.setLogic(&logic);

  logic.Form_Load();
  window.show();  // a dialog without a parent shows centred on its screen
  return application.exec();
}
