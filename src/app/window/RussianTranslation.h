#pragma once
// Qt's own texts (Yes/No, OK/Cancel, the open-file dialog) in Russian, like everything else the
// operator sees.
class QCoreApplication;
class QTranslator;

// Loads Qt's Russian translation (qtbase_ru.qm of Debian's qt6-translations-l10n) into the
// application and returns it (owned by the application); null when the file is not installed
// (the texts then stay English).
QTranslator* InstallRussianTranslation(QCoreApplication& app);
