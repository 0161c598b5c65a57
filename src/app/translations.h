#pragma once
// Qt's own texts in the user's language: the buttons and labels of the file
// dialogs, the print preview and the standard buttons come from Qt, not from
// the program, and stay English unless Qt's translations are loaded.
#include <QLocale>

class QCoreApplication;
class QTranslator;

namespace app {

// Loads Qt's translations for the locale (qtbase_<locale>.qm) from the
// folder "translations" beside the program, where an installation on
// Windows carries them, or else from Qt's own translations folder, and
// installs them in the application, which owns them. Null when none were
// found, as for an English locale.
QTranslator* installQtTranslations(QCoreApplication& application, const QLocale& locale = QLocale::system());

}  // namespace app
