// The repair procedure, step by step:
//
//   1. Confirmation (Yes/No); No ends it here, with success.
//   2. Hourglass, LbEsperar shown: "REPARANDO la base de datos ...".
//   3. The engine repairs the database in place.
//   4. LbEsperar: "COMPACTANDO la base de datos ...".
//   5. The engine compacts the database into "\BORRAR1.MDB", which is then
//      flushed to disk before any file is moved.
//   6. A stale "\BORRAR2.BAK" is deleted.
//   7. The database moves to "\BORRAR2.BAK".
//   8. "\BORRAR1.MDB" moves to the database's name (as spelled on disk).
//   9. "\BORRAR2.BAK" is deleted, and 10. "\BORRAR1.LDB" if the engine left it.
//  11. Default pointer, LbEsperar hidden; 12. "finalizado" notice.
//
// A failure at any step goes to one handler: default pointer, a notice for
// the engine's 3000, 3044 and 3049 or else an error report, LbEsperar hidden.
// Files stay as the failing step left them, with one exception that keeps
// the database from being lost: when step 8 fails, the database goes back
// from "\BORRAR2.BAK" to its own name; if even that fails, a second notice
// tells the user where it is.
#include "repair/proceso_reparacion.h"

#include <optional>
#include <string>

#include "platform/notices.h"
#include "platform/textos.h"

namespace repair {
namespace {

using platform::Error;
using platform::Status;

struct Failure {
  Error error;
  bool databaseLeftInBak = false;  // step 8 failed and could not be undone
};

Status deleteIfPresent(platform::FileSystem& fs, std::string_view name) {
  if (!fs.ordinaryFileExists(name)) return {};
  return fs.remove(name);
}

// True iff the database is one of the scratch files, which the swap would
// delete or overwrite.
bool isScratchFile(platform::FileSystem& fs, const std::string& database) {
  platform::Result<std::string> own = fs.nameOnDisk(database);
  if (!own) return false;  // the engine will say the database does not exist
  for (std::string_view scratch : {textos::kBorrar1Mdb, textos::kBorrar2Bak, textos::kBorrar1Ldb}) {
    platform::Result<std::string> other = fs.nameOnDisk(scratch);
    if (other && *other == *own) return true;
  }
  return false;
}

// Steps 3 to 10; the database's name is read from Cmp at each step.
std::optional<Failure> repairAndSwap(platform::Ui& ui, platform::FileSystem& fs,
                                     platform::DbEngine& engine) {
  if (Status s = engine.repairDatabase(ui.cmpText()); !s) return Failure{s.error()};
  ui.setLbEsperarCaption(textos::kCompactando);
  ui.repaintWindow();
  if (Status s = engine.compactDatabase(ui.cmpText(), textos::kBorrar1Mdb); !s) {
    return Failure{s.error()};
  }
  if (Status s = fs.flush(textos::kBorrar1Mdb); !s) return Failure{s.error()};
  if (Status s = deleteIfPresent(fs, textos::kBorrar2Bak); !s) return Failure{s.error()};
  // The compacted copy takes the name exactly as the file system spells it,
  // not as Cmp (upper case) does: a case-sensitive disk keeps its name.
  platform::Result<std::string> own = fs.nameOnDisk(ui.cmpText());
  if (!own) return Failure{own.error()};
  if (Status s = fs.rename(ui.cmpText(), textos::kBorrar2Bak); !s) return Failure{s.error()};
  if (Status s = fs.rename(textos::kBorrar1Mdb, *own); !s) {
    const bool restored = fs.rename(textos::kBorrar2Bak, *own).ok();
    return Failure{s.error(), !restored};
  }
  if (Status s = deleteIfPresent(fs, textos::kBorrar2Bak); !s) return Failure{s.error()};
  if (Status s = deleteIfPresent(fs, textos::kBorrar1Ldb); !s) return Failure{s.error()};
  return std::nullopt;
}

bool handleFailure(platform::Ui& ui, platform::FileSystem& fs, const Failure& failure) {
  ui.setHourglass(false);
  switch (failure.error.number) {
    case platform::errnum::kDatabaseInUse:
      platform::informationNotice(ui, textos::kEnUso);
      break;
    case platform::errnum::kDatabaseMissing:
      platform::informationNotice(ui, textos::kInexistente);
      break;
    case platform::errnum::kNotADatabase:
      platform::informationNotice(ui, textos::kNoEsAccess);
      break;
    default:
      platform::errorReport(ui, failure.error);
  }
  if (failure.databaseLeftInBak) {
    platform::Result<std::string> bak = fs.nameOnDisk(textos::kBorrar2Bak);
    platform::informationNotice(
        ui, std::string(textos::kCopiaConservada) +
                (bak ? *bak : std::string(textos::kBorrar2Bak)) + ".");
  }
  ui.setLbEsperarVisible(false);
  return false;
}

}  // namespace

bool ProcesoReparacion(platform::Ui& ui, platform::FileSystem& fs, platform::DbEngine& engine,
                       std::int16_t& Respuesta) {
  Respuesta = ui.messageBox(textos::kConfirmacion, textos::kTituloInformacion,
                            platform::MessageIcon::Question, platform::MessageButtons::YesNo);
  if (Respuesta != platform::kAnswerYes) return true;
  if (isScratchFile(fs, ui.cmpText())) {
    platform::informationNotice(ui, textos::kNombreReservado);
    return false;
  }
  ui.setHourglass(true);
  ui.setLbEsperarVisible(true);
  ui.setLbEsperarCaption(textos::kReparando);
  ui.repaintWindow();
  if (std::optional<Failure> failure = repairAndSwap(ui, fs, engine)) {
    return handleFailure(ui, fs, *failure);
  }
  ui.setHourglass(false);
  ui.setLbEsperarVisible(false);
  platform::informationNotice(ui, textos::kFinalizado);
  return true;
}

}  // namespace repair
