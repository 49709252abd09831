// fTrasvel: the program's only window, as logic. The Qt view (trasvel_dialog.h)
// forwards its events here; everything the logic does to the window, the
// files, the settings, the disk or the engine goes through platform/.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/db_engine.h"
#include "platform/disk_space.h"
#include "platform/files.h"
#include "platform/profile.h"
#include "platform/run_status.h"
#include "platform/ui.h"

namespace app {

// Virtual key codes Cmp_KeyDown tells apart.
inline constexpr std::int16_t kTeclaEnter = 13;
inline constexpr std::int16_t kTeclaEsc = 27;

class fTrasvel {
 public:
  // Everything passed must outlive the window.
  fTrasvel(platform::Ui& ui, platform::Files& fs, platform::DbEngine& engine,
           platform::Profile& profile, platform::DiskSpace& disk);

  // Load: proposes the default database name, with the placeholder selected.
  void Form_Load();
  // Key down in Cmp: Enter moves the focus to "&Reparar" (without pressing
  // it), Esc closes the window; `Shift` (the modifiers) makes no difference.
  void Cmp_KeyDown(std::int16_t KeyCode, std::int16_t Shift);
  // "&Reparar": normalises and checks the name, then runs the repair.
  void CmProceso_Click();
  // "&Salir": closes the window.
  void CmSalir_Click();

  // The value of a key in a settings file ("" when missing).
  std::string LeerFicheroIni(std::string_view FicheroIni, std::string_view Seccion,
                             std::string_view Valor);
  // Free bytes on a drive; -1 on failure (reported), 2147483647 on overflow.
  double EspacioLibreEnDisco(std::string Drive);

  // The answer of the last confirmation, then the procedure's result
  // (-1 true, 0 false).
  std::int16_t Respuesta() const { return Respuesta_; }

 private:
  bool ProcesoReparacion();

  platform::Ui& ui_;
  platform::Files& fs_;
  platform::DbEngine& engine_;
  platform::Profile& profile_;
  platform::DiskSpace& disk_;
  std::int16_t Respuesta_ = 0;
};

}  // namespace app
