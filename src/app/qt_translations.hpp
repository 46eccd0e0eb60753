// Qt's own texts (the standard buttons, the file dialog) in Chinese, as the rest of the program.
#pragma once

class QCoreApplication;

namespace vardex {

/// Installs Qt's translations of its own texts into `app`: the desktop's Chinese variant when it
/// asks for one, else Simplified Chinese. Looked up beside the program ("translations") and then
/// where Qt keeps them. False when none was found; the texts then stay in English.
bool installQtTranslations(QCoreApplication& app);

}  // namespace vardex
