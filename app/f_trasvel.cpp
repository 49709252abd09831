#include "app/f_trasvel.h"

#include "platform/notices.h"
#include "platform/text.h"
#include "platform/textos.h"
#include "repair/proceso_reparacion.h"
#include "settings/leer_fichero_ini.h"
#include "settings/nombre_por_defecto.h"
#include "storage/espacio_libre.h"

namespace app {
namespace {

// Truth values in 16-bit integers.
constexpr std::int16_t kTrue = -1;
constexpr std::int16_t kFalse = 0;

// Enables "&Reparar" again when the procedure is over, however it ends.
class ReEnable {
 public:
  explicit ReEnable(platform::Ui& ui) : ui_(ui) { ui_.setCmProcesoEnabled(false); }
  ~ReEnable() { ui_.setCmProcesoEnabled(true); }
  ReEnable(const ReEnable&) = delete;
  ReEnable& operator=(const ReEnable&) = delete;

 private:
  platform::Ui& ui_;
};

}  // namespace

fTrasvel::fTrasvel(platform::Ui& ui, platform::Files& fs, platform::DbEngine& engine,
                   platform::Profile& profile, platform::DiskSpace& disk)
    : ui_(ui), fs_(fs), engine_(engine), profile_(profile), disk_(disk) {}

void fTrasvel::Form_Load() {
  const std::string carpeta =
      LeerFicheroIni(textos::kFicheroIni, textos::kSeccionIni, textos::kClaveIni);
  const std::optional<std::string> nombre = settings::nombrePorDefecto(carpeta);
  if (!nombre) return;
  ui_.setCmpText(*nombre);
  if (auto seleccion = settings::seleccionMarcador(ui_.cmpText())) {
    ui_.setCmpSelection(seleccion->inicio, seleccion->longitud);
  }
}

void fTrasvel::Cmp_KeyDown(std::int16_t KeyCode, std::int16_t /*Shift*/) {
  if (KeyCode == kTeclaEnter) ui_.focusCmProceso();
  else if (KeyCode == kTeclaEsc) ui_.closeWindow();
}

void fTrasvel::CmProceso_Click() {
  // Upper case first, then the blanks go; every step reads Cmp afresh.
  ui_.setCmpText(platform::trimBlanks(platform::upperCase(ui_.cmpText())));
  ui_.focusCmp();
  if (ui_.cmpText().empty()) {
    platform::informationNotice(ui_, textos::kFaltaNombre);
    return;
  }
  if (!fs_.ordinaryFileExists(ui_.cmpText())) {
    platform::informationNotice(ui_, textos::kNoExiste);
    return;
  }
  ReEnable reEnable(ui_);
  Respuesta_ = ProcesoReparacion() ? kTrue : kFalse;
}

void fTrasvel::CmSalir_Click() { ui_.closeWindow(); }

std::string fTrasvel::LeerFicheroIni(std::string_view FicheroIni, std::string_view Seccion,
                                     std::string_view Valor) {
  return settings::LeerFicheroIni(profile_, FicheroIni, Seccion, Valor);
}

double fTrasvel::EspacioLibreEnDisco(std::string Drive) {
  return storage::EspacioLibreEnDisco(ui_, fs_, disk_, std::move(Drive));
}

bool fTrasvel::ProcesoReparacion() {
  return repair::ProcesoReparacion(ui_, fs_, engine_, Respuesta_);
}

}  // namespace app
