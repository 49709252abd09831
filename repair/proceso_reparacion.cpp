// The repair procedure, step by step:
//
//   1. Confirmation (Yes/No); No ends it here, with success. Before any
//      work, "\REPARAR.LCK" is locked until no file is touched any more, so
//      that two windows never share the scratch files (a second one says so
//      and touches nothing); and the database's name is taken once, as the
//      file system spells it: every later step uses exactly that name, since
//      once step 7 has moved the file, the name matched again could find
//      another file whose name differs only in letter case.
//   2. Hourglass, LbEsperar shown: "REPARANDO la base de datos ...".
//   3. The engine repairs the database in place.
//   4. LbEsperar: "COMPACTANDO la base de datos ...".
//   5. The engine compacts the database into "\BORRAR1.MDB", which is then
//      flushed to disk before any file is moved.
//   6. A "\BORRAR2.BAK" left by an earlier run may be the only copy of a
//      database: it is never deleted but moved aside, to the first free
//      "\BORRAR2 (n).BAK", and the user is told where. A symbolic link there
//      holds no data and is removed.
//   7. The database moves to "\BORRAR2.BAK".
//   8. "\BORRAR1.MDB" moves to the database's name, letter for letter.
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

#include <memory>
#include <optional>
#include <string>

#include "platform/notices.h"
#include "platform/textos.h"

namespace repair {
namespace {

using platform::RunError;
using platform::RunStatus;

// More "\BORRAR2 (n).BAK" than anyone keeps: past it, step 6 fails with 58.
constexpr int kMaxApartados = 999;

struct Failure {
  RunError error;
  // Where the database lies when step 8 failed and could not be undone.
  std::optional<std::string> keptAt = std::nullopt;
};

RunStatus deleteIfPresent(platform::Files& fs, std::string_view name) {
  if (!fs.ordinaryFileExists(name)) return {};
  return fs.remove(name);
}

// The name of `name` on disk, or `name` when it cannot be had.
std::string spelledOnDisk(platform::Files& fs, std::string_view name) {
  platform::RunResult<std::string> own = fs.nameOnDisk(name);
  return own ? *own : std::string(name);
}

// True iff the database, named as on disk, is one of the scratch files,
// which the swap would delete or overwrite.
bool isScratchFile(platform::Files& fs, const std::string& database) {
  for (std::string_view scratch : {textos::kBorrar1Mdb, textos::kBorrar2Bak, textos::kBorrar1Ldb}) {
    platform::RunResult<std::string> other = fs.nameOnDisk(scratch);
    if (other && *other == database) return true;
  }
  return false;
}

// Step 6: what lies at "\BORRAR2.BAK" goes out of the swap's way, and no
// database with it.
RunStatus setStaleBakAside(platform::Ui& ui, platform::Files& fs) {
  if (fs.isSymbolicLink(textos::kBorrar2Bak)) return fs.remove(textos::kBorrar2Bak);
  if (!fs.ordinaryFileExists(textos::kBorrar2Bak)) return {};
  const std::string before = spelledOnDisk(fs, textos::kBorrar2Bak);
  for (int n = 1;; ++n) {
    const std::string aside = std::string(textos::kBorrar2BakApartado) + std::to_string(n) +
                              std::string(textos::kBorrar2BakApartadoFin);
    if (RunStatus s = fs.rename(textos::kBorrar2Bak, aside); !s) {
      if (s.error().number != platform::errnum::kFileExists || n == kMaxApartados) return s;
      continue;  // the name is taken: the next one
    }
    ui.setHourglass(false);  // the box is no wait
    platform::informationNotice(
        ui, std::string(textos::kBakApartadoAntes) + before +
                std::string(textos::kBakApartadoAhora) + spelledOnDisk(fs, aside) +
                std::string(textos::kBakApartadoFin));
    ui.setHourglass(true);
    return {};
  }
}

// Steps 3 to 10 on `database`, the name as it is on disk.
std::optional<Failure> repairAndSwap(platform::Ui& ui, platform::Files& fs,
                                     platform::DbEngine& engine, const std::string& database) {
  if (RunStatus s = engine.repairDatabase(database); !s) return Failure{s.error()};
  ui.setLbEsperarCaption(textos::kCompactando);
  ui.repaintWindow();
  if (RunStatus s = engine.compactDatabase(database, textos::kBorrar1Mdb); !s) {
    return Failure{s.error()};
  }
  if (RunStatus s = fs.flush(textos::kBorrar1Mdb); !s) return Failure{s.error()};
  if (RunStatus s = setStaleBakAside(ui, fs); !s) return Failure{s.error()};
  if (RunStatus s = fs.rename(database, textos::kBorrar2Bak); !s) return Failure{s.error()};
  if (RunStatus s = fs.renameExact(textos::kBorrar1Mdb, database); !s) {
    if (fs.renameExact(textos::kBorrar2Bak, database)) return Failure{s.error()};
    return Failure{s.error(), spelledOnDisk(fs, textos::kBorrar2Bak)};
  }
  if (RunStatus s = deleteIfPresent(fs, textos::kBorrar2Bak); !s) return Failure{s.error()};
  if (RunStatus s = deleteIfPresent(fs, textos::kBorrar1Ldb); !s) return Failure{s.error()};
  return std::nullopt;
}

bool handleFailure(platform::Ui& ui, const Failure& failure) {
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
  if (failure.keptAt) {
    platform::informationNotice(ui, std::string(textos::kCopiaConservada) + *failure.keptAt + ".");
  }
  ui.setLbEsperarVisible(false);
  return false;
}

}  // namespace

bool ProcesoReparacion(platform::Ui& ui, platform::Files& fs, platform::DbEngine& engine,
                       std::int16_t& Respuesta) {
  Respuesta = ui.messageBox(textos::kConfirmacion, textos::kTituloInformacion,
                            platform::MessageIcon::Question, platform::MessageButtons::YesNo);
  if (Respuesta != platform::kAnswerYes) return true;
  std::optional<Failure> failure;
  {
    platform::RunResult<std::unique_ptr<platform::FileLock>> lock = fs.lockExclusive(textos::kBloqueo);
    if (!lock) return handleFailure(ui, Failure{lock.error()});
    if (!*lock) {
      platform::informationNotice(ui, textos::kOtraReparacion);
      return false;
    }
    // A name that is not on disk goes to the engine as typed: it says the
    // database does not exist.
    platform::RunResult<std::string> database = fs.nameOnDisk(ui.cmpText());
    if (database && isScratchFile(fs, *database)) {
      platform::informationNotice(ui, textos::kNombreReservado);
      return false;
    }
    ui.setHourglass(true);
    ui.setLbEsperarVisible(true);
    ui.setLbEsperarCaption(textos::kReparando);
    ui.repaintWindow();
    failure = repairAndSwap(ui, fs, engine, database ? *database : ui.cmpText());
  }  // the lock goes: no file is touched any more
  if (failure) return handleFailure(ui, *failure);
  ui.setHourglass(false);
  ui.setLbEsperarVisible(false);
  platform::informationNotice(ui, textos::kFinalizado);
  return true;
}

}  // namespace repair
