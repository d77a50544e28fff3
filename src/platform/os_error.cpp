#include "platform/os_error.h"

#include <cerrno>
#include <cstring>

namespace vrx {

std::string ErrorText(int error) {
  switch (error) {
    case EACCES:
    case EPERM:
      return "Keine Berechtigung";
    case ENOSPC:
      return "Kein Platz mehr auf dem Datenträger";
    case EDQUOT:
      return "Speicherkontingent erschöpft";
    case EROFS:
      return "Das Dateisystem ist schreibgeschützt";
    case ENOENT:
      return "Nicht vorhanden";
    case EEXIST:
      return "Der Name ist schon vergeben";
    case EXDEV:
      return "Anderes Dateisystem";
    case ENOTDIR:
      return "Ein Teil des Pfades ist kein Ordner";
    case EISDIR:
      return "Ist ein Ordner";
    case ELOOP:
      return "Symbolische Verknüpfung";
    case ENAMETOOLONG:
      return "Der Name ist zu lang";
    case EMLINK:
      return "Zu viele harte Verknüpfungen";
    case EBUSY:
      return "Wird gerade benutzt";
    case EIO:
      return "Ein-/Ausgabefehler";
    case EOPNOTSUPP:
      return "Vom Dateisystem nicht unterstützt";
    default:
      return std::strerror(error);
  }
}

}  // namespace vrx
