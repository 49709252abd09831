// Every Spanish text of the window and its procedures, in one place.
#pragma once

#include <string_view>

namespace textos {

// The window.
inline constexpr std::string_view kTituloVentana = "Reparación de Bases de Datos";
inline constexpr std::string_view kCmProceso = "&Reparar";
inline constexpr std::string_view kCmSalir = "&Salir";
inline constexpr std::string_view kLbFichero = "Nombre de la Base de Datos";
inline constexpr std::string_view kLbEsperarInicial = " ";

// Message boxes.
inline constexpr std::string_view kTituloInformacion = "Información";
inline constexpr std::string_view kTituloError = "Error = ";
inline constexpr std::string_view kBotonAceptar = "Aceptar";
inline constexpr std::string_view kBotonSi = "Sí";
inline constexpr std::string_view kBotonNo = "No";

// The repair request.
inline constexpr std::string_view kFaltaNombre =
    "Falta informar el nombre de la base de datos a reparar.";
inline constexpr std::string_view kNoExiste =
    "La base de datos no existe en la unidad o directorio especificado.";

// The repair procedure. The confirmation breaks its lines with two carriage
// returns and no line feed.
inline constexpr std::string_view kConfirmacion =
    "El proceso de reparación puede durar algunos segundos. Este tiempo dependerá del tamaño "
    "de la base de datos a reparar.\r\r¿Continuar con el proceso?";
inline constexpr std::string_view kReparando = "REPARANDO la base de datos ...";
inline constexpr std::string_view kCompactando = "COMPACTANDO la base de datos ...";
inline constexpr std::string_view kFinalizado =
    "El proceso de reparación de la base de datos ha finalizado.";
inline constexpr std::string_view kEnUso =
    "La Base de Datos a reparar en estos momentos está en uso. El proceso de Reparación queda "
    "cancelado.";
inline constexpr std::string_view kInexistente = "Base de Datos inexistente.";
inline constexpr std::string_view kNoEsAccess = "El fichero no es una Base de Datos de Access.";
// A database named like one of the scratch files would be deleted by the swap.
inline constexpr std::string_view kNombreReservado =
    "La base de datos no puede llamarse como un fichero de trabajo del proceso "
    "(\\BORRAR1.MDB, \\BORRAR2.BAK o \\BORRAR1.LDB).";
// Shown after the error when the swap failed and the database could not be
// put back under its own name; the name of the copy follows.
inline constexpr std::string_view kCopiaConservada =
    "La base de datos, tal como estaba antes del proceso, ha quedado en ";

// Another window holds the lock of the scratch files.
inline constexpr std::string_view kOtraReparacion =
    "Hay otra reparación de base de datos en curso. Espere a que termine y vuelva a "
    "intentarlo.";
// A "\BORRAR2.BAK" found before the swap has been moved aside: the text
// runs "...Antes" + its name + "...Ahora" + its new name + "...Fin".
inline constexpr std::string_view kBakApartadoAntes =
    "Una reparación anterior que no llegó a terminar dejó el fichero ";
inline constexpr std::string_view kBakApartadoAhora =
    ", que puede ser la única copia de una base de datos. No se ha borrado: ahora se llama ";
inline constexpr std::string_view kBakApartadoFin = ". Compruebe su contenido antes de borrarlo.";

// The scratch files, at the root of the current drive.
inline constexpr std::string_view kBorrar1Mdb = "\\BORRAR1.MDB";
inline constexpr std::string_view kBorrar2Bak = "\\BORRAR2.BAK";
inline constexpr std::string_view kBorrar1Ldb = "\\BORRAR1.LDB";
// Free names for a "\BORRAR2.BAK" moved aside: "\BORRAR2 (1).BAK", ...
inline constexpr std::string_view kBorrar2BakApartado = "\\BORRAR2 (";
inline constexpr std::string_view kBorrar2BakApartadoFin = ").BAK";
// Held locked for the whole procedure, so that two windows never share the
// scratch files; left in place.
inline constexpr std::string_view kBloqueo = "\\REPARAR.LCK";

// The settings of the main application and the default database name.
inline constexpr std::string_view kFicheroIni = ".\\TORV.INI";
inline constexpr std::string_view kSeccionIni = "General";
inline constexpr std::string_view kClaveIni = "PathDatosKEL";
inline constexpr std::string_view kFicheroPorDefecto = "KELxx.MDB";
inline constexpr std::string_view kMarcador = "xx";

}  // namespace textos
