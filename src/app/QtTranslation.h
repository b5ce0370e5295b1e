#pragma once

class QCoreApplication;

// Qt's own texts (standard buttons, file dialogs, context menus) in Japanese, to match the rest
// of the window, from the translations installed with Qt. False when they are not installed:
// Qt then speaks English.
bool InstallQtJapanese(QCoreApplication& app);
