// The repair-and-compact procedure of the window fTrasvel.
#pragma once

#include <cstdint>

#include "platform/db_engine.h"
#include "platform/files.h"
#include "platform/ui.h"

namespace repair {

// Asks for confirmation, then has the engine repair the database named in
// Cmp and compact it into "\BORRAR1.MDB", and puts the compacted copy in the
// database's place through "\BORRAR2.BAK". The answer to the confirmation
// (6 Yes, 7 No) goes into `Respuesta`. Every failure is shown to the user
// here. Returns false iff a failure was shown; true also when the user
// answers No.
bool ProcesoReparacion(platform::Ui& ui, platform::Files& fs, platform::DbEngine& engine,
                       std::int16_t& Respuesta);

}  // namespace repair
