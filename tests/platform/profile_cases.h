// Settings files, and the value of [General] PathDatosKEL that Windows'
// profile function gives for each with a buffer of 250: what our reader must
// answer on Linux, and what the function itself answers on Windows.
#pragma once

#include <string>
#include <vector>

namespace platform {

inline constexpr std::size_t kProfileBuffer = 250;

struct ProfileCase { const char* name; std::string bytes; std::string value; };

inline std::vector<ProfileCase> profileCases() {
  const std::string longValue(300, 'k');
  return {
      {"plain", "[General]\r\nPathDatosKEL=C:\\KEL\\DATOS\r\n", "C:\\KEL\\DATOS"},
      {"blanks and tabs around names and value",
       "  [ General ]  \r\n \tPathDatosKEL \t= \tC:\\Mis Datos \t\r\n", "C:\\Mis Datos"},
      {"letter case of section and key", "[GENERAL]\r\npathdatoskel=c:\\kel\r\n", "c:\\kel"},
      {"double quotes", "[General]\r\nPathDatosKEL=\"C:\\Mis Datos\"\r\n", "C:\\Mis Datos"},
      {"single quotes", "[General]\r\nPathDatosKEL='C:\\KEL'\r\n", "C:\\KEL"},
      {"unmatched quotes", "[General]\r\nPathDatosKEL=\"C:\\KEL'\r\n", "\"C:\\KEL'"},
      {"comment line", "[General]\r\n;PathDatosKEL=no\r\nPathDatosKEL=si\r\n", "si"},
      {"first of two keys and sections",
       "[General]\r\nPathDatosKEL=uno\r\nPathDatosKEL=dos\r\n[General]\r\nPathDatosKEL=tres\r\n",
       "uno"},
      {"key before any section", "PathDatosKEL=fuera\r\n[Otra]\r\nX=1\r\n", ""},
      {"key in another section", "[Otra]\r\nPathDatosKEL=no\r\n[General]\r\nX=1\r\n", ""},
      {"section after another", "[Otra]\r\nPathDatosKEL=no\r\n[General]\r\nPathDatosKEL=si\r\n",
       "si"},
      {"empty value", "[General]\r\nPathDatosKEL=\r\n", ""},
      {"blank value", "[General]\r\nPathDatosKEL=   \r\n", ""},
      {"value longer than the buffer", "[General]\r\nPathDatosKEL=" + longValue + "\r\n",
       longValue.substr(0, kProfileBuffer - 1)},
      {"no line end at the end", "[General]\r\nPathDatosKEL=C:\\KEL", "C:\\KEL"},
      {"line feeds alone", "[General]\nPathDatosKEL=C:\\KEL\n", "C:\\KEL"},
      {"code page 1252", "[General]\r\nPathDatosKEL=C:\\A\xD1O \x80\r\n", "C:\\AÑO €"},
      {"equals sign in the value", "[General]\r\nPathDatosKEL=a=b\r\n", "a=b"},
      {"text after the value", "[General]\r\nPathDatosKEL=C:\\KEL ; datos\r\n", "C:\\KEL ; datos"},
      {"empty file", "", ""},
  };
}

}  // namespace platform
